#pragma once
// The frequency file writer. It rewrites an existing file line by line:
// comment lines (earlier "*** updated on" headers included) stay, each data
// line is replaced by the current contents of the entry it names (an emptied
// channel too), keyword lines are dropped; then the channels with a frequency,
// the scan and search banks and the non-blank trunk banks and IDs that the old
// file did not mention are appended. SAVESHORT chooses the short flag words.
//
// Called by the main window's save-file action and by the save at shutdown:
//   if (WriteFrequencyFile(ctx, path)) ...  // ctx.memory.MemoryEdited is now false
// The new contents go to a temporary file beside the target, which is then
// renamed over it: a failure or a crash part-way leaves the old file whole.
// On failure the "File Error" box "Create/update of Frequency file failed!"
// is shown, the reason goes to the message window, MemoryEdited stays set and
// false is returned.
#include <string>

#include "core/Text.h"
#include "storage/FrequencyContext.h"

namespace rigvane {

bool WriteFrequencyFile(const FrequencyContext& ctx, const std::string& path);

// The single lines, without their line end. `shortForm` selects the short
// flag words (SAVESHORT).
std::string ChannelLine(int number, const Channel& c, bool shortForm);
std::string ScanBankLine(int number, const Channel& b);
std::string SearchBankLine(int number, const Channel& b);
std::string TrunkBankLine(int number, const TrunkBank& t);
std::string TrunkIdLine(int number, const TrunkId& t, bool shortForm);
// "*** updated on m/d/yy h:mm:ssa/p "
std::string HeaderLine(const LocalDateTime& now);

} // namespace rigvane
