#pragma once
// What the frequency file reader and writer and the frequency database work
// on: the process-wide state they read and change, and the hooks through which
// they reach the parts above them (mode engine, main window, editors).
//
// The engine builds one from its App and keeps it for the run:
//   FrequencyContext ctx{app.host, app.slots, app.log, app.memory, app.settings,
//                        app.database, app.progress};
//   ctx.Actions = &engineKeywordActions;  // optional
//   ctx.Views = &windowViews;             // optional
#include <functional>

#include "core/Channel.h"
#include "core/FileSlots.h"
#include "core/Host.h"
#include "core/MessageLog.h"
#include "core/Progress.h"
#include "core/Settings.h"

namespace rigvane {

struct FrequencyDatabase;

// The kind of table entry a frequency-file line or a database operation changed.
enum class EntryKind { Channel, ScanBank, SearchBank, TrunkBank, TrunkId };

// What keyword lines of a frequency file ask of the mode engine and the main
// window. Values that live in the settings (delay, resume and priority times,
// the priority channel, the switches, the database name, the profile's
// memory flag) are stored by the reader itself before it calls these, so an
// implementation only has to act and redraw. Every method does nothing by
// default.
class FileKeywordActions {
  public:
    virtual ~FileKeywordActions() = default;

    // Presses main-window mode button `mode` (HALT/MANUAL 0, SCAN 1, SEARCH 3, LOAD 5).
    virtual void PressModeButton(int mode) { (void)mode; }
    // "F": requested tuning state := current tuning state with this frequency; mode 12.
    virtual void TuneFrequency(int32_t frequency) { (void)frequency; }
    // "M": requested tuning state := current tuning state with this modulation; mode 12.
    virtual void TuneMode(uint8_t mode) { (void)mode; }
    // "CHANNEL": requested state := current with this ChannelNo; mode 13.
    virtual void GoToChannel(int channel) { (void)channel; }
    // "CLEAR"/"CLEAR ALL" after the tables were cleared: the current tuning
    // state becomes BlankChannel and the operating mode 0.
    virtual void ClearedEverything() {}
    // A switch or value of the settings was changed by a keyword: "Banks On",
    // "Priority", "Resume" check boxes, the priority channel field (the new
    // value is already in Settings::Global).
    virtual void SettingsChanged() {}
    // "MEMORY"/"VFO": whether the main window's memory/VFO command is
    // available (its button enabled); when it is, the reader sets Memory of
    // the selected profile and calls ApplyMemoryMode.
    virtual bool MemoryCommandAvailable() { return false; }
    virtual void ApplyMemoryMode() {}
};

// Redisplay hooks of the windows that show memory; all optional.
struct MemoryViews {
    // An entry was changed; the editor that shows it (if any) redisplays it.
    std::function<void(EntryKind kind, int index)> OnEntryChanged;
    // Many entries may have changed: every memory window, the main window's
    // displays and the spectrum window refresh.
    std::function<void()> OnMemoryRefresh;
    // Hourglass pointer on (true) and back to normal (false).
    std::function<void(bool busy)> OnBusy;
};

struct FrequencyContext {
    Host& host;
    FileSlots& slots;
    MessageLog& log;
    Memory& memory;
    Settings& settings;
    FrequencyDatabase& database;
    Progress& progress;
    FileKeywordActions* Actions = nullptr; // null: keywords only change stored values
    MemoryViews* Views = nullptr;

    void EntryChanged(EntryKind kind, int index) const {
        if (Views && Views->OnEntryChanged) Views->OnEntryChanged(kind, index);
    }
    void MemoryRefresh() const {
        if (Views && Views->OnMemoryRefresh) Views->OnMemoryRefresh();
    }
    void Busy(bool busy) const {
        if (Views && Views->OnBusy) Views->OnBusy(busy);
    }
};

} // namespace rigvane
