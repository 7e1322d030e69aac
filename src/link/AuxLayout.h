#pragma once
// The aux controls of the VFO windows and the memory channel editor: which
// Channel field each check box and list edits, and which of them a radio
// shows, with what captions and list items. Both windows build their aux
// frame from one AuxLayout, so a radio looks the same in each.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Channel.h"
#include "link/RadioDriver.h"
#include "link/SerialLink.h"

namespace rigvane {

constexpr int AuxCheckCount = 6;
constexpr int AuxListCount = 7;

// Check box i edits the flag AuxFlags[i]; list i stores its index in AuxCodes[i].
extern const std::array<bool Channel::*, AuxCheckCount> AuxFlags;
extern const std::array<uint8_t Channel::*, AuxListCount> AuxCodes;

struct AuxLayout {
    bool Frame = true;
    std::array<bool, AuxCheckCount> CheckShown{};
    std::array<std::string, AuxCheckCount> CheckCaptions;
    std::array<bool, AuxListCount> ListShown{};
    std::array<std::string, AuxListCount> ListCaptions; // the label beside each list
    std::array<std::vector<std::string>, AuxListCount> ListItems;
};

// The common set-up (every control but Tone 3 shown, the tone table, the
// AGC, antenna, noise blanker and bandwidth lists), then the radio's own
// aux set-up. With `showAux` (the "Display Unused Aux" setting) nothing is hidden
// but Tone 3.
AuxLayout MakeAuxLayout(const AuxSpec& aux, bool showAux);

// The aux set-up a radio is shown with: its driver's (as the link sees the
// drivers, a test's own included); the common one for a protocol no driver
// serves.
AuxSpec AuxOf(const SerialLink& link, const RadioProfile& radio);

} // namespace rigvane
