#pragma once
// The frequency file reader. A frequency file is the program's own text file
// of memory: one channel, scan bank ("@"), search bank ("#"), trunk bank ("%")
// or trunk ID ("&") per line, comment lines ("*") and keyword lines that act
// like a small script (switch banks on, tune a frequency, start a scan, read
// another file with CHAIN).
//
// Called by the main window's open-file action and by the CHAIN keyword:
//   ReadFrequencyFile(ctx, path);
// Problems in a line become "Record N in Error!" or "Record N Range Error!"
// in the message window; a file that cannot be opened gives the "Open Error"
// message box "Could Not Open <path>" (with the reason when it is refused)
// and changes nothing.
#include <string>

#include "storage/FrequencyContext.h"

namespace rigvane {

// How deep CHAIN keywords may nest (the file opened by the user is level 1).
constexpr int MaxChainDepth = 8;
// Far beyond any real frequency file (a full one is about 300 KB): a bigger
// file, or anything that is not a regular file (a FIFO, /dev/zero), is
// refused with the "Open Error" box; a longer line is a record in error.
constexpr long long MaxFrequencyFileBytes = 16LL * 1024 * 1024;
constexpr size_t MaxFrequencyLineBytes = 4096;

// Reads the whole file and applies every line. Returns false when the file
// could not be opened (after showing the "Open Error" box).
bool ReadFrequencyFile(const FrequencyContext& ctx, const std::string& path);

// Applies one line (without its line end) as the reader does and returns 0
// (accepted), 1 (error) or 2 (range error). Comment and blank lines give 0.
// CHAIN lines are refused here (1): chaining needs ReadFrequencyFile.
int ApplyFrequencyLine(const FrequencyContext& ctx, const std::string& line);

} // namespace rigvane
