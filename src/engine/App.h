#pragma once
// The one object that owns the program's process-wide state. main() creates
// it and hands it by reference to the windows; a test builds a fresh one per
// case over a SimHost. Each layer keeps its state in its own plain struct.
#include "core/Channel.h"
#include "core/FileSlots.h"
#include "core/Host.h"
#include "core/MessageLog.h"
#include "core/Progress.h"
#include "core/Settings.h"
#include "drivers/Registry.h"
#include "link/Radio.h"
#include "link/RadioState.h"
#include "link/SerialLink.h"
#include "storage/FrequencyDatabase.h"
#include "storage/HitJournal.h"

namespace rigvane {

struct App {
    explicit App(Host& h) : host(h), log(h, slots, settings.Global) { InstallDrivers(radio); }
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    Host& host;
    FileSlots slots;
    Memory memory;
    Settings settings;
    MessageLog log;
    FrequencyDatabase database; // the loaded frequency database
    Progress progress;          // progress window hooks and the shared cancel flag
    RadioState radioState;      // tuning-state copies: Current, LastSent, the VFOs
    HitJournal journal;         // one CSV record per hit (path set by the engine)
    // The serial link (its port factory is set by main()) and the radio
    // operations, with every supported family's driver installed.
    SerialLink link{host, settings, log, slots, radioState, nullptr};
    Radio radio{link, radioState, settings, log, memory, host, &progress};
};

} // namespace rigvane
