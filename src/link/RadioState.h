#pragma once
// The tuning-state copies and the shared radio values that the radio
// operations and the drivers read and write.
#include <array>
#include <cstdint>
#include <string>

#include "core/Channel.h"

namespace rigvane {

struct RadioState {
    // What the radio should be set to (before an apply) or was read as (after a read).
    Channel Current = MakeBlankChannel();
    // What the radio was last set to or read as; the apply sends only what differs.
    Channel LastSent = MakeBlankChannel();
    // The VFO windows' copies and the one the main window shows.
    std::array<Channel, 2> Vfo{MakeBlankChannel(), MakeBlankChannel()};
    int ActiveVfo = 0;
    // A copy kept while a short operation borrows Current.
    Channel SavedState = MakeBlankChannel();

    int16_t CurrentChannel = 0;  // memory channel that recall, store and load act on
    int16_t CurrentBank = 0;     // AOR3000A: bank last selected on the radio (1-based)
    uint8_t SignalLevel = 0;     // 0 (none) .. 11 after a signal read
    uint8_t SignalThreshold = 0; // a level at or below this counts as no signal
    bool SignalOff = false;      // forces the signal read to report 0
    std::string RawCommand;      // command word sent by the radio test
    std::string ReplyResidue;    // received bytes not yet consumed as frames (drivers)
    int CurrentSearchBank = 0;   // search bank moved by LoadSearchBank / StoreSearchBank
    int CurrentTrunkBank = 0;    // trunk bank moved by LoadTrunkBank / SetTrunkBank
    bool LightOn = false;        // the main window's light switch (SetLight)
    // Drivers whose radio refuses a command that follows its last answer too
    // closely send nothing before this time (host milliseconds).
    int64_t PacedUntilMs = 0;
    // A driver's note between operations about the radio (TH-F6A: the
    // radio was switched to its memory mode); OpenRadio clears it.
    bool DriverFlag = false;
    std::string ModelText; // the model the radio reported (BCD396T)
    // Set by a driver when the radio refused (or did not answer) the last
    // frequency or memory channel it was asked to tune to: it is still where
    // it was. The engine clears it before it tunes and skips the listening.
    bool TuneRefused = false;
    // A refused signal request was reported; the next one is not, until a
    // signal read is answered again (a radio without signal reads would
    // otherwise fill the log on every read).
    bool SignalRefusalShown = false;
};

} // namespace rigvane
