#pragma once
// The mode engine: the cooperative main loop with its modes, the six-entry
// mode stack, the timers and the speed control; the memory scan, the
// frequency search and the signal check with hit recording; the connection,
// the pending actions of the menus, clearing everything and the engine's part
// of the shutdown. It also holds the logic of the main window's controls that
// does not need a window (channel stepping, entry-field checks, the control
// set-up for the selected radio).
//
// The windows never talk to the radio: they call RequestMode (the click of a
// mode button), store values in EngineState or the settings, or store a
// pending action and request mode 15. The engine tells them what to redraw
// through EngineView. No Qt below this line.
#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/Channel.h"
#include "core/Host.h"
#include "engine/App.h"
#include "engine/Startup.h"
#include "link/Reconnect.h"
#include "storage/FrequencyContext.h"
#include "storage/HitJournal.h"

namespace rigvane {

// Modes of the main loop.
enum EngineMode : int16_t {
    ModeManual = 0,
    ModeScan = 1,
    ModeTurboScan = 2,
    ModeSearch = 3,
    ModeTurboSearch = 4,
    ModeLoad = 5,
    ModeSet = 6,
    ModeMemToVfo = 7,
    ModeVfoToMem = 8,
    ModeSearchToRadio = 9,
    ModeRadioToSearch = 10,
    ModeSwapVfo = 11,
    ModeVfoRecall = 12,
    ModeChannelSelect = 13,
    ModeConnect = 14,
    ModePendingAction = 15,
    ModeEnded = 98,
    ModeShutdown = 99,
};

constexpr bool IsScanMode(int mode) {
    return mode == ModeScan || mode == ModeTurboScan;
}
constexpr bool IsSearchMode(int mode) {
    return mode == ModeSearch || mode == ModeTurboSearch;
}

// Pending action codes of the menus (mode 15).
enum ActionCode : int16_t {
    ActionGlobalParms = 0, // 1..8: radio parameters of radio code-1
    ActionAor8000Parms = 9,
    ActionThf6aParms = 10,
    ActionOpenFile = 11,
    ActionSaveFile = 12,
    ActionRadioTest = 13,
    ActionClearAll = 14,
    ActionDatabase = 15,
    ActionSort = 16,
    ActionLookup = 17,
    ActionLogFileName = 18,
    ActionLoadTrunkIds = 19,  // the trunk editor's "Load IDs from Radio"
    ActionSaveTrunkIds = 20,  // the trunk editor's "Save IDs to Radio"
    ActionExportJournal = 21, // File, "Export Hit Journal..."
};

// Filter strings of the file chooser.
extern const char* const FrequencyFileFilter; // F1
extern const char* const DatabaseFileFilter;  // F2
extern const char* const LogFileFilter;       // F3
extern const char* const JournalFileFilter;

// Colours of the signal meter labels.
constexpr uint32_t MeterThresholdColour = 65280; // green
constexpr uint32_t MeterSignalColour = 255;      // red
constexpr uint32_t MeterIdleColour = 12648384;   // light green
constexpr int MeterLabels = 12;

// One suspended mode.
struct ModeStackEntry {
    int16_t Mode = 0;
    uint8_t SignalLevel = 0;
    Channel State = MakeBlankChannel(); // the tuning state when it was suspended
    int16_t ChannelNo = 0;
    int16_t Bank = 0;
};

constexpr int ModeStackSize = 6;

// Counters of the engine since the program started.
struct ScanStats {
    int64_t Visits = 0; // channels and frequencies the scan and search listened to
    int64_t Hits = 0;
    double ChannelsPerSecond = 0; // visits per second over the last few seconds
};

// The engine's own state, plain data. The current channel is
// RadioState::CurrentChannel, the signal level and threshold are
// RadioState::SignalLevel/SignalThreshold, the switches live in
// Settings::Global and the data-changed flag is Memory::MemoryEdited.
struct EngineState {
    int16_t Mode = ModeManual;
    std::array<ModeStackEntry, ModeStackSize> Stack{};
    int16_t StackTop = -1; // -1 = empty

    int16_t RequestedChannel = 0; // for mode 13
    int16_t RequestedRadio = -1;  // a radio chosen in RadioSelCmb, selected by mode 14
    Channel RequestedState = MakeBlankChannel(); // for mode 12
    int16_t Bank = 0;                            // current bank 0..99 (scan and search)
    int16_t ScanDirection = 1;
    int16_t SearchDirection = 1;

    // Load/Set range as the two entry fields hold it.
    int16_t LoadSetFirst = 0;
    int16_t LoadSetLast = 999;
    int16_t SearchBankCursor = 0; // modes 9 and 10

    int32_t LoopAlive = 0;
    bool DropDownOpen = false; // a modulation list is open: Manual does not poll

    // Countdowns and counters of Second_Timer.
    int16_t PriorityCountdown = 0;
    int32_t DelayCountdown = 0;
    int32_t ResumeCountdown = 0;
    int32_t Seconds = 0;
    int32_t SecondsOnChannel = 0;

    int16_t PendingAction = 0;
    bool Abort = false;         // signal-check abort flag
    bool PriorityCheck = false; // the priority check is running

    // What the meter shows.
    uint8_t LastShownLevel = 0;
    uint8_t LastShownThreshold = 0;

    uint8_t LightSwitch = 0; // "Light on Signal": 0, 1, 2 (grey)
    int16_t LastLight = -1;  // last applied light switch; -1 forces

    bool EditorRefusedToClose = false;
    bool TestRadioEnabled = true; // the "Test Radio" menu item

    ScanStats Stats;
};

// The state of the main window's controls for the selected radio, as the
// control set-up computes it.
struct ControlSetup {
    bool SearchEnabled = true;
    bool TurboSearchEnabled = true;
    bool MemButEnabled = true;
    bool LoadEnabled = true;
    bool SetEnabled = true;
    bool VfoToMemEnabled = true;
    bool LightEnabled = true;
    bool TurboScanVisible = false;
    bool TurboSearchVisible = false;
    bool SearchToRadioVisible = false;
    bool RadioToSearchVisible = false;
    bool CtcssVisible = false;
    bool Aor8000MenuEnabled = false;
    bool Thf6aMenuEnabled = false;
    bool BcVfoVisible = false;
    std::string BcVfoText;     // VfoChan + "<->VFO"
    std::string ComText;       // "COM " + port
    std::string ModelText;     // model name
    std::string SelRadText;    // radio number 1..9
    std::string MemButCaption; // "Use RADIO'S Memories" / "Use COMPUTER's Memories"
};

// What an entry field does with a key.
struct EntryKeyResult {
    bool Accept = false; // the key goes into the field
    bool Beep = false;
    bool ClearField = false;
    bool SetText = false; // replace the field's text with Text
    std::string Text;
    int FocusTo = -1; // move the focus to this field; -1 stays
};

// What an entry field does when it loses the focus.
struct EntryLeaveResult {
    bool Accepted = true;
    bool SetText = false; // replace the field's text with Text
    std::string Text;
    bool Beep = false;
    bool KeepFocus = false; // rejected: the focus goes back to the field
    std::string BoxTitle;   // non-empty: show this exclamation box
    std::string BoxText;
};

// Key codes for EntryKey besides printable characters.
constexpr int KeyEnter = 13;
constexpr int KeyBackspace = 8;
constexpr int KeyEscape = 27;

// What the windows (and a recorder in tests) hear from the engine. Every
// method does nothing by default.
class EngineView {
  public:
    virtual ~EngineView() = default;

    // The tuning state was stored as the active VFO's copy: redraw it.
    virtual void DisplayVfo() {}
    // The current channel changed: redraw the three digits.
    virtual void DisplayChannel() {}
    // Set the mode button `index` (0..10) without requesting a mode.
    virtual void SelectModeButton(int index) { (void)index; }
    // Redraw the meter: colours[i] is the background of SigLab(i).
    virtual void SignalDisplay(int level, int threshold,
                               const std::array<uint32_t, MeterLabels>& colours) {
        (void)level, (void)threshold, (void)colours;
    }
    // The spectrum bar for a frequency, red (255) for a signal, else green.
    virtual void SpectrumBar(int32_t frequency, int level, uint32_t colour) {
        (void)frequency, (void)level, (void)colour;
    }
    // Show the channel in the memory editor (when it is open).
    virtual void ShowChannelInEditor(int channel) { (void)channel; }
    // The channel shown in the memory editor; -1 when it is not open.
    virtual int EditorChannel() { return -1; }
    // A channel record changed: the memory editor redraws it if it shows it.
    virtual void ChannelChanged(int channel) { (void)channel; }
    // Show the control set-up for the selected radio (the main window's
    // Drop_Down_Init asks the engine for it).
    virtual void RefreshControls(const ControlSetup& setup) { (void)setup; }
    virtual void BankLabel(int bank) { (void)bank; }
    virtual void ResumeLabel(int seconds) { (void)seconds; }
    // The priority channel field's background: red while the priority check runs.
    virtual void PriorityFieldHighlight(bool on) { (void)on; }
    // The active VFO's window redraws its background (light rule).
    virtual void VfoBackground() {}
    // Rewrite the two Load/Set fields with these plain numbers.
    virtual void LoadSetRange(int first, int last) { (void)first, (void)last; }
    // Refresh the memory, scan-bank, search-bank and trunk editors, the VFO
    // windows and the spectrum (after clear everything, connection, file
    // operations).
    virtual void RefreshEditors() {}
    // Trunk IDs or trunk banks changed: the trunk editor redisplays its entry.
    virtual void TrunkDataChanged() {}
    // The memory tables were read, sorted or rearranged as a whole: edits
    // recorded by the editors before no longer apply to the same entries.
    virtual void MemoryReplaced() {}
    // The search bank editor shows bank `bank` (modes 9, 10) / refresh it.
    virtual void SearchBankEditorShow(int bank) { (void)bank; }
    // Run the modal dialog of action code 0..10; false when it could not be shown.
    virtual bool RunDialog(int code) {
        (void)code;
        return false;
    }
    // The common file dialog; "" when cancelled.
    virtual std::string ChooseFile(const std::string& filter, int filterIndex,
                                   const std::string& initialName, bool save) {
        (void)filter, (void)filterIndex, (void)initialName, (void)save;
        return "";
    }
    virtual void SetBusyCursor(bool busy) { (void)busy; }
    // The active VFO changed: the VFO windows redraw their active marker.
    virtual void ActiveVfoChanged() {}
    virtual void TestRadioMenuEnabled(bool enabled) { (void)enabled; }
    // The speed label's text changed.
    virtual void SpeedLabel(const std::string& text) { (void)text; }
    // The MemBut caption changed.
    virtual void MemButCaption(const std::string& caption) { (void)caption; }
    // "Load " / "VFO->Mem" enabled states after "Don't Update Memory" changed.
    virtual void LoadButtonsEnabled(bool load, bool vfoToMem) { (void)load, (void)vfoToMem; }
    // The radio status label (connection) and the three radio captions.
    virtual void RadioCaptions(const ControlSetup& setup) { (void)setup; }
    // The statistics changed (once a second).
    virtual void StatisticsChanged() {}
};

class Engine : public FileKeywordActions {
  public:
    explicit Engine(App& app);
    ~Engine() override;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    void SetView(EngineView* view);
    EngineView& View() { return *view_; }
    EngineState& State() { return state_; }
    const EngineState& State() const { return state_; }
    App& AppRef() { return app_; }
    // The context for the frequency file reader and writer and the database;
    // keyword actions come back to this engine; Views (set by the engine)
    // pass redraws and the busy pointer on to the view.
    FrequencyContext& Context() { return context_; }
    MemoryViews Views;

    // Hooks for start-up: opening the radio (step 12) and loading the
    // database when LOADFREQ asks for it (step 13).
    StartupHooks MakeStartupHooks(StartupHooks base = StartupHooks());

    // --- modes -----------------------------------------------------------
    // The click handler of ScanModeButton(m); also called directly.
    void RequestMode(int m);
    void ReturnToPreviousMode();
    // One pass of the main loop; returns false once the loop has ended.
    bool RunPass();
    // Runs passes until mode 99 (then stores 98).
    void RunLoop();
    void Connect();           // mode 14 body
    void RunAction(int code); // mode 15 body
    // Stores an action code and requests mode 15 (a menu item).
    void RequestAction(int code);
    void ClearEverything(); // asks "Clear ALL" first
    // Reads a frequency file as File, Open does once a name is chosen.
    bool OpenFrequencyFile(const std::string& path);
    // The files named on the command line: the first is opened, the others
    // are reported in the Message window (one file is open at a time).
    void OpenCommandLineFiles(const std::vector<std::string>& paths);
    void DisplayVfo();
    void DisplayChannel();

    // --- signal ----------------------------------------------------------
    void TurnSignalOff();   // the "off" button
    void MeterClick(int i); // SigLab(i)
    void SigDisplay();
    void SignalCheck();
    void RefreshLight(bool force);
    static std::string HitLine(int channel, const Channel& state, int level);
    static std::array<uint32_t, MeterLabels> MeterColours(int level, int threshold);

    // --- scan and search -------------------------------------------------
    void MemoryScan();
    void FrequencySearch();
    void PriorityCheck();

    // --- controls --------------------------------------------------------
    // One channel step (0 Up, 1 Dn, 2..4 digits).
    void StepChannel(int k);
    // Mouse-down on a channel button (k 0, 1) or digit (k 2..4, leftButton
    // decides the direction first): one step and the repeat timer.
    void StartRepeat(int k, bool leftButton = true);
    void StopRepeat();
    EntryKeyResult EntryKey(int field, int key) const;
    EntryLeaveResult EntryLeave(int field, const std::string& text);
    void SetSpeed(int speed);
    std::string SpeedLabelText() const;
    static std::string SpeedLabelText(int speed);
    void ToggleMemoryButton(); // MemBut
    std::string MemButCaptionText() const;
    void NoLogClicked(bool on); // "Don't Update Memory"
    ControlSetup ComputeControls() const;
    void ApplyControlSetup(); // applies the control set-up rules and tells the view
    // Choosing a radio in RadioSelCmb (reconnects only for a different one;
    // the choice takes effect when mode 14 runs, and not at all when mode 14
    // cannot be entered), double-clicking RadStatus (always reconnects).
    void SelectRadio(int index);
    void RetryConnection();
    void SetDropDownOpen(bool open) { state_.DropDownOpen = open; }
    // The VFO windows: requested tuning state and mode 12.
    void RecallVfo(const Channel& state);

    // --- shutdown --------------------------------------------------------
    // The engine's part of the shutdown: mode 99, abort, signal 0, traces
    // closed, settings written; then `closeWindows` (the window part, may be
    // empty) returns false when an editor refused to close: the shutdown is
    // cancelled and the loop goes back to Manual. Otherwise the changed-data
    // question. Returns true when the program may end.
    bool Shutdown(const std::function<bool()>& closeWindows = {});
    // True when the shutdown wrote the settings file.
    bool SettingsSaved() const { return settingsSaved_; }
    // Changes a copy of the settings before the shutdown writes it (values
    // that hold for one run only, such as a device given on the command line).
    std::function<void(Settings&)> AdjustSavedSettings;
    // Runs action 12's dialog and writer; true when written.
    bool SaveFrequencyFile();

    // --- FileKeywordActions ---------------------------------------------
    void PressModeButton(int mode) override;
    void TuneFrequency(int32_t frequency) override;
    void TuneMode(uint8_t mode) override;
    void GoToChannel(int channel) override;
    void ClearedEverything() override;
    void SettingsChanged() override;
    bool MemoryCommandAvailable() override;
    void ApplyMemoryMode() override;

    // Milliseconds a pass or visit that cannot talk to a radio waits for events.
    int IdleWaitMs = 20;

    // --- unattended operation -------------------------------------------
    // Reopening a radio that dropped; the running mode waits meanwhile and
    // carries on where it was once the radio answers again.
    Reconnector& Reconnect() { return reconnect_; }
    // One line of statistics (link and engine), as the status and
    // `--stats` show it.
    std::string StatisticsLine() const;
    // Writes the hit records since start to a CSV file (action 19's writer).
    bool ExportJournal(const std::string& path);

  private:
    void SecondTick();
    void RepeatTick();
    void YieldNow();
    void IdleWait(int64_t since, int ms);
    bool RadioReachable();
    void ApplyState();
    void ManualPass();
    void LoadPass();
    void SetPass();
    void MemToVfoPass();
    void VfoToMemPass();
    void SearchBanksPass(bool store);
    void VfoRecallPass();
    void ChannelSelectPass();
    void ReadLoadSetRange();
    // Tunes to a channel (or recalls the radio's); false when the radio refused.
    bool TuneToChannel(int channel);
    // After a tune: false (reported once per run of refusals) when the radio refused.
    bool TuneAccepted(const std::string& what);
    void StopScan(const char* title, const char* text);
    void RecordHitBegin();
    bool UseRadioMemories() const;
    bool NoLog() const;
    void Trace(const std::string& label);
    void SelectManual();
    void SetModeValue(int mode);
    int CurrentChannel() const;
    // Turns a shown signal off for the engine's own reasons (mode change,
    // resume timer, priority check): abort and level 0; the threshold stays.
    void SignalOff();
    void RunRadioTest();
    // The radio dropped while it was armed and the switch is on.
    bool RadioDropped() const;
    void ReconnectPass();
    void UpdateRates();
    HitRecord BeginJournalRecord();
    void EndJournalRecord(HitRecord& record, int64_t startMs);
    // Mode 15 body of the trunk editor's Load and Save: every trunk bank moved in
    // the main loop, so a running scan is suspended and resumed around it.
    void MoveTrunkIds(bool save);

    App& app_;
    EngineState state_;
    EngineView defaultView_;
    EngineView* view_ = &defaultView_;
    FrequencyContext context_;
    Host::TimerId secondTimer_ = 0;
    Host::TimerId repeatTimer_ = 0;
    int repeatStep_ = 0;
    bool settingsSaved_ = false;
    bool hitStored_ = true; // the running hit has a channel (search)
    int idlePasses_ = 0;    // scan passes in a row without a visit
    bool refusing_ = false; // the last tune was refused
    // Refused channels and frequencies reported since the scan or search began.
    std::set<std::string> reportedRefusals_;
    std::string lastFrequencyFile_;
    Reconnector reconnect_;
    // Where the running mode was when the radio dropped.
    struct Resume {
        int16_t ChannelNo = 0;
        int16_t Bank = 0;
        Channel State = MakeBlankChannel();
    } resume_;
    bool resumingSearch_ = false; // the search carries on: no start line
    bool journalFailing_ = false; // the journal's write failure was reported
    // Visit counts of the last seconds, for the channels-per-second rate.
    std::array<std::pair<int64_t, int64_t>, 6> visitSamples_{};
    int visitSampleCount_ = 0;
};

} // namespace rigvane
