#include "engine/Engine.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "core/CodeTables.h"
#include "drivers/Registry.h"
#include "storage/FrequencyDatabase.h"
#include "storage/FrequencyFileReader.h"
#include "storage/FrequencyFileWriter.h"
#include "storage/SettingsFile.h"

namespace rigvane {

const char* const FrequencyFileFilter = "All Files (*.*)|*.*|Text files (*.frq) |*.frq";
const char* const DatabaseFileFilter = "All Files (*.*)|*.*|Dbase files (*.dbf) |*.dbf";
const char* const LogFileFilter = "All Files (*.*)|*.*| Log files (*.log) |*.log";
const char* const JournalFileFilter = "All Files (*.*)|*.*|CSV files (*.csv) |*.csv";

namespace {

// Not a mode: the pass of a running mode while its dropped radio is brought back.
constexpr int RecoveryPass = -1;

} // namespace

Engine::Engine(App& app)
    : app_(app), context_{app.host,     app.slots,    app.log,     app.memory,
                          app.settings, app.database, app.progress},
      reconnect_(app.radio, app.host) {
    context_.Actions = this;
    context_.Views = &Views;
    // File work reaches the windows through the view: a changed channel, the
    // refresh after a read, sort or lookup, and the busy pointer meanwhile.
    Views.OnEntryChanged = [this](EntryKind kind, int index) {
        if (kind == EntryKind::Channel) view_->ChannelChanged(index);
    };
    Views.OnMemoryRefresh = [this] {
        view_->MemoryReplaced();
        view_->RefreshEditors();
    };
    Views.OnBusy = [this](bool busy) { view_->SetBusyCursor(busy); };
    secondTimer_ = app_.host.CreateTimer([this] { SecondTick(); });
    app_.host.SetTimer(secondTimer_, 1000, true);
    repeatTimer_ = app_.host.CreateTimer([this] { RepeatTick(); });
}

Engine::~Engine() {
    app_.host.SetTimer(secondTimer_, 0, false);
    app_.host.SetTimer(repeatTimer_, 0, false);
}

void Engine::SetView(EngineView* view) {
    view_ = view ? view : &defaultView_;
}

bool Engine::OpenFrequencyFile(const std::string& path) {
    lastFrequencyFile_ = path;
    return ReadFrequencyFile(context_, path); // refreshes the windows when done
}

void Engine::OpenCommandLineFiles(const std::vector<std::string>& paths) {
    if (paths.empty()) return;
    OpenFrequencyFile(paths.front());
    for (size_t i = 1; i < paths.size(); ++i)
        app_.log.Dply("Not opened (one frequency file at a time): " + paths[i]);
}

StartupHooks Engine::MakeStartupHooks(StartupHooks base) {
    base.OpenRadio = [this](App&) { app_.radio.OpenRadio(); };
    base.LoadDatabase = [this](App&) {
        // A database that cannot be read is reported once by the reader's
        // box; the program goes on without descriptions. The default name
        // that nobody chose (a first start) is not worth a box: one line.
        const std::string& db = app_.settings.Global.DbFile;
        std::error_code ec;
        if (db == Globals().DbFile && !std::filesystem::exists(db, ec)) {
            app_.log.Dply("No frequency database " + db + ": service names are not looked up.");
            return;
        }
        ReadDatabase(context_, db);
    };
    return base;
}

// ---------------------------------------------------------------------------
// Small helpers

void Engine::SetModeValue(int mode) {
    state_.Mode = int16_t(mode);
    app_.radio.OperatingMode = mode;
}

void Engine::YieldNow() {
    state_.LoopAlive = 1;
    app_.host.Yield();
}

void Engine::IdleWait(int64_t since, int ms) {
    const int64_t left = since + ms - app_.host.NowMs();
    if (left > 0) app_.host.WaitForEvents(int(left));
}

bool Engine::RadioReachable() {
    // A radio without a port (the test radio) never opens one; a family
    // that opens the radio itself holds a session instead.
    return app_.link.Connected();
}

void Engine::ApplyState() {
    app_.radio.ApplyRadioState();
}

bool Engine::UseRadioMemories() const {
    return app_.settings.Selected().Memory;
}

bool Engine::NoLog() const {
    return app_.settings.Global.NoLog;
}

int Engine::CurrentChannel() const {
    return ClampChannel(app_.radioState.CurrentChannel);
}

void Engine::Trace(const std::string& label) {
    if (app_.settings.Selected().Detect != 0 && app_.link.DebugFile > 0)
        app_.link.DebugLog(label, "");
}

void Engine::SelectManual() {
    view_->SelectModeButton(ModeManual);
    RequestMode(ModeManual);
}

void Engine::DisplayVfo() {
    RadioState& rs = app_.radioState;
    rs.Vfo[rs.ActiveVfo & 1] = rs.Current;
    view_->DisplayVfo();
}

void Engine::DisplayChannel() {
    view_->DisplayChannel();
}

// ---------------------------------------------------------------------------
// Timers

void Engine::SecondTick() {
    auto down = [](auto& v) { v = v - 1 < 1 ? 0 : v - 1; };
    ++state_.Seconds;
    down(state_.PriorityCountdown);
    down(state_.DelayCountdown);
    down(state_.ResumeCountdown);
    ++state_.SecondsOnChannel;
    UpdateRates();
    view_->StatisticsChanged();
}

void Engine::RepeatTick() {
    StepChannel(repeatStep_);
    app_.host.SetTimer(repeatTimer_, 100, true);
}

// ---------------------------------------------------------------------------
// Mode requests and the stack

void Engine::RequestMode(int m) {
    RadioState& rs = app_.radioState;
    if (state_.StackTop >= ModeStackSize - 1) return; // stack full: ignored
    // Once the shutdown has told the loop to stop, no click may restart it.
    if (state_.Mode == ModeShutdown || state_.Mode == ModeEnded) return;
    if (m == ModeSwapVfo) {
        rs.ActiveVfo = rs.ActiveVfo == 0 ? 1 : 0;
        app_.log.Dply(rs.ActiveVfo == 1 ? "Switching to VFO-B" : "Switching to VFO-A");
        if (rs.SignalLevel > 0) {
            SignalOff();
            state_.LoopAlive = 1;
            app_.host.Yield();
        }
        view_->ActiveVfoChanged();
        const int mode = state_.Mode;
        if (!(IsSearchMode(mode) || mode == ModeChannelSelect)) return;
        // The new VFO's state is what mode 12 applies.
        state_.RequestedState = rs.Vfo[rs.ActiveVfo & 1];
        m = ModeVfoRecall;
    }
    if (m == state_.Mode) return;

    ++state_.StackTop;
    ModeStackEntry& e = state_.Stack[state_.StackTop];
    e.Mode = state_.Mode;
    e.ChannelNo = rs.CurrentChannel;
    e.Bank = state_.Bank;
    e.State = rs.Current;
    e.SignalLevel = rs.SignalLevel;

    SetModeValue(m);
    state_.Abort = true;
    if (rs.SignalLevel > 0) SignalOff();
    state_.LoopAlive = 1;
    static const char* const starts[] = {"Entering Manual Mode", "Starting Memory Scan",
                                         "Starting Turbo-Scan", "Starting Search Mode",
                                         "Starting Turbo-Search"};
    if (m >= ModeManual && m <= ModeTurboSearch) {
        app_.log.Dply(starts[m]);
        state_.StackTop = -1;
    }
    if (m >= 0 && m <= ModeRadioToSearch) view_->SelectModeButton(m);
}

void Engine::ReturnToPreviousMode() {
    RadioState& rs = app_.radioState;
    const int finishing = state_.Mode;
    if (state_.StackTop >= 0) {
        const ModeStackEntry e = state_.Stack[state_.StackTop];
        rs.Current = e.State;
        rs.CurrentChannel = e.ChannelNo;
        state_.Bank = e.Bank;
        if (finishing != ModeVfoToMem && finishing != ModeSwapVfo && finishing != ModeChannelSelect)
            ApplyState();
        --state_.StackTop;
        SetModeValue(e.Mode);
        if (e.Mode < ModeSwapVfo && e.Mode >= 0)
            view_->SelectModeButton(e.Mode);
        else
            RequestMode(e.Mode); // an unchanged mode: nothing happens
    } else if (state_.Mode >= ModeTurboSearch) {
        RequestMode(ModeManual);
    }
    DisplayVfo();
    DisplayChannel();
}

// ---------------------------------------------------------------------------
// The loop

bool Engine::RunPass() {
    const int mode = state_.Mode;
    if (mode == ModeEnded) return false;
    if (mode == ModeShutdown) {
        SetModeValue(ModeEnded);
        return false;
    }
    state_.LoopAlive = 1;
    const int64_t start = app_.host.NowMs();
    // A radio that answers is worth bringing back should it drop.
    if (app_.link.Connected() && !app_.link.RadioNotResponding && !app_.link.DeviceLost())
        reconnect_.Arm();
    // The running modes wait while a dropped radio is brought back; menus,
    // dialogs and a reconnect the user asks for go on as usual.
    const bool recovering = mode >= ModeManual && mode <= ModeTurboSearch && RadioDropped();
    try {
        switch (recovering ? RecoveryPass : mode) {
        case RecoveryPass:
            ReconnectPass();
            break;
        case ModeManual:
            ManualPass();
            break;
        case ModeScan:
        case ModeTurboScan:
            state_.StackTop = -1;
            MemoryScan();
            break;
        case ModeSearch:
        case ModeTurboSearch:
            state_.StackTop = -1;
            FrequencySearch();
            break;
        case ModeLoad:
            LoadPass();
            break;
        case ModeSet:
            SetPass();
            break;
        case ModeMemToVfo:
            MemToVfoPass();
            break;
        case ModeVfoToMem:
            VfoToMemPass();
            break;
        case ModeSearchToRadio:
            SearchBanksPass(false);
            break;
        case ModeRadioToSearch:
            SearchBanksPass(true);
            break;
        case ModeVfoRecall:
            VfoRecallPass();
            break;
        case ModeChannelSelect:
            ChannelSelectPass();
            break;
        case ModeConnect:
            Connect();
            break;
        case ModePendingAction:
            RunAction(state_.PendingAction);
            break;
        default:
            // No loop work: wait for an event rather than spin.
            IdleWait(start, IdleWaitMs);
            break;
        }
    } catch (const std::exception& e) {
        app_.log.Dply(std::string("*Mode engine error: ") + e.what());
        state_.StackTop = -1;
        SetModeValue(ModeManual);
        view_->SelectModeButton(ModeManual);
    } catch (...) {
        app_.log.Dply("*Mode engine error");
        state_.StackTop = -1;
        SetModeValue(ModeManual);
        view_->SelectModeButton(ModeManual);
    }
    state_.LoopAlive = 1;
    app_.host.Yield();
    if (state_.Mode == ModeShutdown) {
        SetModeValue(ModeEnded);
        return false;
    }
    return state_.Mode != ModeEnded;
}

void Engine::RunLoop() {
    while (RunPass()) {
    }
}

void Engine::ManualPass() {
    const int64_t start = app_.host.NowMs();
    state_.StackTop = -1;
    view_->SetBusyCursor(false);
    if (!state_.DropDownOpen) {
        if (app_.radio.Has(OpRead)) app_.radio.ReadRadioState();
        DisplayVfo();
        DisplayChannel();
        SignalCheck();
    }
    // Without a radio to talk to nothing paces the loop: wait for events.
    if (state_.DropDownOpen || !RadioReachable()) IdleWait(start, IdleWaitMs);
}

void Engine::ReadLoadSetRange() {
    int first = state_.LoadSetFirst, last = state_.LoadSetLast;
    if (first > last) std::swap(first, last);
    last = std::min(last, ChannelCount - 1);
    first = std::max(first, 0);
    state_.LoadSetFirst = int16_t(first);
    state_.LoadSetLast = int16_t(last);
    view_->LoadSetRange(first, last);
}

void Engine::LoadPass() {
    RadioState& rs = app_.radioState;
    const RadioProfile& prof = app_.settings.Selected();
    ReadLoadSetRange();
    const int remembered = view_->EditorChannel();
    int channel = std::max<int>(state_.LoadSetFirst, prof.MinChan);
    if (rs.SignalLevel > 0) SignalOff();
    rs.CurrentBank = -1;
    view_->SearchBankEditorShow(state_.SearchBankCursor);
    view_->BankLabel(state_.SearchBankCursor);
    while (state_.Mode == ModeLoad && channel <= state_.LoadSetLast) {
        if (channel <= app_.settings.Selected().MaxChan) {
            rs.CurrentChannel = int16_t(channel);
            DisplayChannel();
            app_.radio.LoadChannel();
            DisplayVfo();
            if (!NoLog()) {
                app_.memory.Channels[channel] = rs.Current;
                app_.memory.MemoryEdited = true;
            }
            view_->ShowChannelInEditor(channel);
            ++channel;
        } else {
            channel = state_.LoadSetLast + 1;
        }
        YieldNow();
    }
    if (remembered >= 0) view_->ShowChannelInEditor(remembered);
    ReturnToPreviousMode();
}

void Engine::SetPass() {
    RadioState& rs = app_.radioState;
    ReadLoadSetRange();
    if (rs.SignalLevel > 0) SignalOff();
    view_->BankLabel(state_.SearchBankCursor);
    int channel = state_.LoadSetFirst;
    while (state_.Mode == ModeSet && channel <= state_.LoadSetLast) {
        if (channel <= app_.settings.Selected().MaxChan) {
            rs.CurrentChannel = int16_t(channel);
            rs.Current = app_.memory.Channels[channel];
            DisplayChannel();
            DisplayVfo();
            app_.radio.StoreChannel();
            ++channel;
        } else {
            channel = state_.LoadSetLast + 1;
        }
        YieldNow();
    }
    ReturnToPreviousMode();
}

void Engine::MemToVfoPass() {
    RadioState& rs = app_.radioState;
    const int channel = CurrentChannel();
    app_.log.Dply("Memory Channel " + std::to_string(channel) + " Set to VFO");
    if (UseRadioMemories()) {
        if (rs.SignalLevel > 0) SignalOff();
        rs.CurrentChannel = int16_t(channel);
        app_.radio.LoadChannel();
    } else {
        Channel& ch = app_.memory.Channels[channel];
        if (!NoLog()) ch.Step = rs.Current.Step;
        rs.Current = ch;
        DisplayVfo();
    }
    if (state_.StackTop >= 0) state_.Stack[state_.StackTop].State = rs.Current;
    ReturnToPreviousMode();
}

void Engine::VfoToMemPass() {
    RadioState& rs = app_.radioState;
    const int channel = CurrentChannel();
    app_.log.Dply("VFO sent to Memory Channel " + std::to_string(channel));
    if (UseRadioMemories()) {
        if (rs.SignalLevel > 0) SignalOff();
        rs.CurrentChannel = int16_t(channel);
        app_.radio.StoreChannel();
    } else if (!NoLog()) {
        app_.memory.Channels[channel] = rs.Current;
        app_.memory.MemoryEdited = true;
        view_->ShowChannelInEditor(channel);
    }
    ReturnToPreviousMode();
}

void Engine::SearchBanksPass(bool store) {
    const int mode = store ? ModeRadioToSearch : ModeSearchToRadio;
    app_.log.Dply(store ? "Setting Search Memories to Radio"
                        : "Loading Search Memories from Radio");
    for (int bank = ClampBank(state_.SearchBankCursor); state_.Mode == mode && bank < BankCount;
         ++bank) {
        view_->BankLabel(bank);
        app_.radioState.CurrentSearchBank = bank;
        if (store)
            app_.radio.StoreSearchBank();
        else
            app_.radio.LoadSearchBank();
        view_->SearchBankEditorShow(bank);
        YieldNow();
    }
    state_.SearchBankCursor = 0;
    view_->SearchBankEditorShow(0);
    ReturnToPreviousMode();
}

void Engine::VfoRecallPass() {
    RadioState& rs = app_.radioState;
    rs.Current = state_.RequestedState;
    DisplayVfo();
    if (state_.StackTop >= 0) state_.Stack[state_.StackTop].State = rs.Current;
    ReturnToPreviousMode();
}

void Engine::ChannelSelectPass() {
    RadioState& rs = app_.radioState;
    const int channel = ClampChannel(state_.RequestedChannel);
    rs.CurrentChannel = int16_t(channel);
    DisplayChannel();
    if (!UseRadioMemories()) {
        Channel& ch = app_.memory.Channels[channel];
        if (!NoLog()) ch.Step = rs.Current.Step;
        rs.Current = ch;
        DisplayVfo();
        ApplyState();
    } else {
        app_.radio.RecallChannel();
    }
    if (state_.StackTop >= 0) {
        state_.Stack[state_.StackTop].State = rs.Current;
        state_.Stack[state_.StackTop].ChannelNo = int16_t(channel);
    }
    ReturnToPreviousMode();
}

// ---------------------------------------------------------------------------
// Connection, actions, clearing

void Engine::Connect() {
    RadioState& rs = app_.radioState;
    if (rs.SignalLevel > 0) SignalOff();
    if (state_.RequestedRadio >= 0) {
        app_.settings.SelectedRadio = uint8_t(state_.RequestedRadio);
        state_.RequestedRadio = -1;
    }
    view_->SetBusyCursor(true);
    if (app_.settings.SelectedRadio > ProfileCount) app_.settings.SelectedRadio = 0;
    rs.CurrentChannel = int16_t(ClampChannel(app_.settings.Selected().MinChan));
    DisplayChannel();
    // A radio the user connects is armed for reconnection once it answers.
    reconnect_.Disarm();
    app_.radio.OpenRadio();
    const ControlSetup setup = ComputeControls();
    view_->RadioCaptions(setup);
    rs.Current = rs.Vfo[rs.ActiveVfo & 1];
    DisplayVfo();
    view_->RefreshEditors();
    ApplyControlSetup();
    state_.StackTop = -1;
    SetModeValue(ModeManual);
    view_->SelectModeButton(ModeManual);
    view_->SetBusyCursor(false);
    // Another radio was chosen while this one was being opened.
    if (state_.RequestedRadio >= 0) RequestMode(ModeConnect);
}

void Engine::RequestAction(int code) {
    state_.PendingAction = int16_t(code);
    RequestMode(ModePendingAction);
}

void Engine::RunAction(int code) {
    const int topBefore = state_.StackTop;
    Globals& g = app_.settings.Global;
    bool returnAfter = true;
    if (code >= ActionGlobalParms && code <= ActionThf6aParms) {
        view_->RunDialog(code); // shown or not, the radio is connected afresh
        RequestMode(ModeConnect);
        if (state_.Mode != ModeConnect) SetModeValue(ModeConnect);
        return;
    }
    switch (code) {
    case ActionOpenFile: {
        const std::string path =
            view_->ChooseFile(FrequencyFileFilter, 2, lastFrequencyFile_, false);
        if (!path.empty()) OpenFrequencyFile(path);
        break;
    }
    case ActionSaveFile:
        SaveFrequencyFile();
        break;
    case ActionRadioTest:
        RunRadioTest();
        break;
    case ActionExportJournal: {
        const std::string path = view_->ChooseFile(JournalFileFilter, 2, "RIGVANE-HITS.csv", true);
        if (!path.empty()) ExportJournal(path);
        break;
    }
    case ActionClearAll:
        ClearEverything();
        state_.StackTop = -1;
        SetModeValue(ModeManual);
        view_->SelectModeButton(ModeManual);
        returnAfter = false;
        break;
    case ActionDatabase: {
        const std::string path = view_->ChooseFile(DatabaseFileFilter, 2, g.DbFile, false);
        if (!path.empty()) {
            g.DbFile = path;
            ReadDatabase(context_, path);
        }
        break;
    }
    case ActionSort:
        SortChannels(context_);
        break;
    case ActionLookup:
        LookupServices(context_);
        break;
    case ActionLoadTrunkIds:
    case ActionSaveTrunkIds:
        MoveTrunkIds(code == ActionSaveTrunkIds);
        break;
    case ActionLogFileName: {
        const std::string path = view_->ChooseFile(LogFileFilter, 2, g.LogFile, true);
        if (!path.empty()) {
            g.LogFile = path;
            app_.log.CloseLogFile();
        }
        break;
    }
    default:
        break;
    }
    if (!returnAfter) return;
    if (state_.Mode != ModePendingAction) {
        // A keyword of the file read asked for another mode: that mode
        // returns to what ran before the action, never to the action again.
        if (state_.StackTop == topBefore + 1 && state_.StackTop >= 0 &&
            state_.Stack[state_.StackTop].Mode == ModePendingAction)
            --state_.StackTop;
        return;
    }
    ReturnToPreviousMode();
}

void Engine::MoveTrunkIds(bool save) {
    Memory& mem = app_.memory;
    const auto idsBefore = mem.TrunkIds;
    const auto banksBefore = mem.TrunkBanks;
    app_.log.Dply(save ? "setting all TRUNK IDs.." : "Getting all TRUNK IDs..");
    if (save)
        app_.radio.SetTrunkBank();
    else
        app_.radio.LoadTrunkBank();
    // A load always offers the data for saving; a save only when the radio
    // changed what it took (an ID it shortened).
    if (!save || mem.TrunkIds != idsBefore || mem.TrunkBanks != banksBefore)
        mem.MemoryEdited = true;
    view_->TrunkDataChanged();
}

void Engine::RunRadioTest() {
    // The test writes what it sends and hears to TSTRADIO.DAT.
    const int slot = app_.slots.TakeFileSlot();
    std::FILE* file = nullptr;
    if (slot > 0) {
        const std::string dir = app_.link.TraceDir;
        const std::string path = dir.empty() ? "TSTRADIO.DAT" : dir + "/TSTRADIO.DAT";
        file = std::fopen(path.c_str(), "ab");
    }
    if (file) {
        const std::string line = "Radio test " + FormatMessageTime(app_.host.LocalNow()) + "\r\n";
        std::fwrite(line.data(), 1, line.size(), file);
    }
    app_.link.RadioTestFile = file;
    state_.TestRadioEnabled = false;
    view_->TestRadioMenuEnabled(false);
    app_.radio.RadioTest();
    app_.link.RadioTestFile = nullptr;
    if (file) std::fclose(file);
    app_.slots.ReleaseFileSlot(slot);
    state_.TestRadioEnabled = true;
    view_->TestRadioMenuEnabled(true);
}

bool Engine::SaveFrequencyFile() {
    const std::string path = view_->ChooseFile(FrequencyFileFilter, 2, lastFrequencyFile_, true);
    if (path.empty()) return false;
    lastFrequencyFile_ = path;
    return WriteFrequencyFile(context_, path);
}

void Engine::ClearEverything() {
    const Answer a =
        app_.host.MessageBox("Clear ALL", "All Channels & Banks will be cleared\n Are you sure?",
                             MsgIcon::Question, Buttons::YesNo, Answer::No);
    if (a != Answer::Yes) return;
    RadioState& rs = app_.radioState;
    if (rs.SignalLevel > 0) SignalOff();
    // The memory tables' own clear, as the CLEAR keyword of a file uses it.
    app_.memory.ClearAllMemory();
    SetModeValue(ModeManual);
    rs.Current = BlankChannel;
    state_.StackTop = -1;
    view_->RefreshEditors();
}

// ---------------------------------------------------------------------------
// Shutdown

bool Engine::Shutdown(const std::function<bool()>& closeWindows) {
    RadioState& rs = app_.radioState;
    SetModeValue(ModeShutdown);
    // Whatever the radio does, every wait of the running pass ends now.
    app_.link.Stopping = true;
    state_.Abort = true;
    rs.SignalLevel = 0;
    state_.EditorRefusedToClose = false;
    StopRepeat();
    app_.host.Yield();
    app_.link.CloseDebugFile();
    app_.link.CloseDebugKeyFile();
    if (AdjustSavedSettings) {
        Settings saved = app_.settings;
        AdjustSavedSettings(saved);
        settingsSaved_ = SaveSettings(saved, app_.host);
    } else {
        settingsSaved_ = SaveSettings(app_.settings, app_.host);
    }
    if (closeWindows && !closeWindows()) {
        // An editor refused to close: the program keeps running, in Manual.
        app_.link.Stopping = false;
        state_.EditorRefusedToClose = true;
        state_.StackTop = -1;
        SetModeValue(ModeManual);
        view_->SelectModeButton(ModeManual);
        return false;
    }
    if (app_.memory.MemoryEdited &&
        app_.host.MessageBox("Exit", "Data has changed. Save it?", MsgIcon::Question,
                             Buttons::YesNo) == Answer::Yes)
        SaveFrequencyFile();
    return true;
}

// ---------------------------------------------------------------------------
// File keywords

void Engine::PressModeButton(int mode) {
    if (mode >= 0 && mode <= ModeRadioToSearch) view_->SelectModeButton(mode);
    RequestMode(mode);
}

void Engine::TuneFrequency(int32_t frequency) {
    state_.RequestedState = app_.radioState.Current;
    state_.RequestedState.Frequency = frequency;
    RequestMode(ModeVfoRecall);
}

void Engine::TuneMode(uint8_t mode) {
    state_.RequestedState = app_.radioState.Current;
    state_.RequestedState.Mode = mode;
    RequestMode(ModeVfoRecall);
}

void Engine::GoToChannel(int channel) {
    state_.RequestedState = app_.radioState.Current;
    state_.RequestedState.ChannelNo = int16_t(ClampChannel(channel));
    state_.RequestedChannel = int16_t(ClampChannel(channel));
    RequestMode(ModeChannelSelect);
}

void Engine::ClearedEverything() {
    app_.radioState.Current = BlankChannel;
    SetModeValue(ModeManual);
    view_->SelectModeButton(ModeManual);
    view_->RefreshEditors();
}

void Engine::SettingsChanged() {
    ApplyControlSetup();
}

bool Engine::MemoryCommandAvailable() {
    return ComputeControls().MemButEnabled;
}

void Engine::ApplyMemoryMode() {
    view_->MemButCaption(MemButCaptionText());
    NoLogClicked(app_.settings.Global.NoLog);
}

void Engine::RecallVfo(const Channel& state) {
    state_.RequestedState = state;
    RequestMode(ModeVfoRecall);
}

// ---------------------------------------------------------------------------
// Controls

void Engine::StepChannel(int k) {
    const int current = CurrentChannel();
    int channel = current;
    if (k == 0) {
        channel = channel + 1 > ChannelCount - 1 ? 0 : channel + 1;
        state_.ScanDirection = 1;
    } else if (k == 1) {
        channel = channel - 1 < 0 ? ChannelCount - 1 : channel - 1;
        state_.ScanDirection = -1;
    } else if (k >= 2 && k <= 4) {
        std::string digits = ZeroPadded(channel, 3);
        int d = digits[k - 2] - '0' + (state_.ScanDirection < 0 ? -1 : 1);
        if (d > 9) d = 0;
        if (d < 0) d = 9;
        digits[k - 2] = char('0' + d);
        channel = std::stoi(digits);
    } else {
        return;
    }
    if (channel != current) {
        state_.RequestedChannel = int16_t(channel);
        RequestMode(ModeChannelSelect);
    }
}

void Engine::StartRepeat(int k, bool leftButton) {
    if (k < 0 || k > 4) return;
    if (k >= 2) state_.ScanDirection = leftButton ? 1 : -1;
    repeatStep_ = k;
    app_.host.SetTimer(repeatTimer_, 500, true);
    StepChannel(k);
}

void Engine::StopRepeat() {
    app_.host.SetTimer(repeatTimer_, 0, false);
}

EntryKeyResult Engine::EntryKey(int field, int key) const {
    EntryKeyResult r;
    if (key >= '0' && key <= '9') {
        r.Accept = true;
    } else if (key == KeyEnter) {
        r.FocusTo = (std::clamp(field, 0, 3) + 1) % 4;
    } else if (key == KeyBackspace) {
        r.ClearField = true;
    } else if (key == KeyEscape) {
        if (field == 0) {
            r.ClearField = true;
        } else if (field >= 1 && field <= 3) {
            const int v = field == 1   ? state_.LoadSetFirst
                          : field == 2 ? state_.LoadSetLast
                                       : app_.settings.Global.PriorityChannel;
            r.SetText = true;
            r.Text = ZeroPadded(v, 3);
        }
    } else {
        r.Beep = true;
    }
    return r;
}

EntryLeaveResult Engine::EntryLeave(int field, const std::string& text) {
    app_.link.KeyLog("Enter Rigvane Field " + std::to_string(field), text);
    EntryLeaveResult r;
    const std::string trimmed = TrimBlanks(text);
    const int64_t value = ValInt(trimmed);
    const RadioProfile& prof = app_.settings.Selected();
    auto reject = [&](const std::string& title, const std::string& message, bool beep) {
        r.Accepted = false;
        r.KeepFocus = true;
        r.Beep = beep;
        r.BoxTitle = title;
        r.BoxText = message;
    };
    switch (field) {
    case 0:
        if (trimmed.empty()) break;
        if (value < 0 || value > ChannelCount - 1) {
            reject(" entry error", "entry must be between 0 and 999", false);
            break;
        }
        state_.RequestedChannel = int16_t(value);
        r.SetText = true;
        r.Text = "";
        RequestMode(ModeChannelSelect);
        break;
    case 1:
    case 2:
        if (trimmed.empty() || value < prof.MinChan || value > prof.MaxChan) {
            reject("entry error",
                   "entry must be between " + std::to_string(prof.MinChan) + " and " +
                       std::to_string(prof.MaxChan),
                   true);
            break;
        }
        (field == 1 ? state_.LoadSetFirst : state_.LoadSetLast) = int16_t(value);
        r.SetText = true;
        r.Text = ZeroPadded(long(value), 3);
        break;
    case 3:
        if (trimmed.empty() || value < 0 || value > ChannelCount - 1) {
            reject(" entry error", "entry must be between 0 and 999", true);
            break;
        }
        app_.settings.Global.PriorityChannel = int16_t(value);
        r.SetText = true;
        r.Text = ZeroPadded(long(value), 3);
        break;
    default:
        break;
    }
    return r;
}

std::string Engine::SpeedLabelText(int speed) {
    return "speed   " + SignedText(100 - std::clamp(speed, 0, 100)) + "%";
}

std::string Engine::SpeedLabelText() const {
    return SpeedLabelText(app_.settings.Global.Speed);
}

void Engine::SetSpeed(int speed) {
    app_.settings.Global.Speed = int16_t(std::clamp(speed, 0, 100));
    view_->SpeedLabel(SpeedLabelText());
}

std::string Engine::MemButCaptionText() const {
    return app_.settings.Selected().Memory ? "Use RADIO'S Memories" : "Use COMPUTER's Memories";
}

void Engine::ToggleMemoryButton() {
    RadioProfile& prof = app_.settings.Selected();
    prof.Memory = !prof.Memory;
    view_->MemButCaption(MemButCaptionText());
    NoLogClicked(app_.settings.Global.NoLog);
}

void Engine::NoLogClicked(bool on) {
    app_.settings.Global.NoLog = on;
    const bool vfoToMem = !(!app_.settings.Selected().Memory && on);
    view_->LoadButtonsEnabled(!on, vfoToMem);
}

ControlSetup Engine::ComputeControls() const {
    const Settings& s = app_.settings;
    const RadioProfile& prof = s.Selected();
    const bool noLog = s.Global.NoLog;
    ControlSetup c;
    c.LoadEnabled = !noLog;
    c.VfoToMemEnabled = !(!prof.Memory && noLog);
    const FamilyCaps& caps = app_.link.CapsFor(prof.Protocol);
    const ModelCaps& model = caps.Model(prof.Model);
    c.SearchToRadioVisible = c.RadioToSearchVisible = caps.SearchBankButtons;
    c.Aor8000MenuEnabled = model.Dialog == ModelDialog::Aor8000;
    c.Thf6aMenuEnabled = model.Dialog == ModelDialog::Thf6a;
    if (!caps.RadioMemories) c.LoadEnabled = c.SetEnabled = c.MemButEnabled = false;
    if (caps.VfoChannel) {
        c.BcVfoVisible = true;
        c.BcVfoText = std::to_string(prof.VfoChan) + "<->VFO";
    }
    c.CtcssVisible = model.Ctcss;
    // The switch stays usable where the family has no light of its own to
    // drive; it goes grey on a model whose light cannot be switched.
    c.LightEnabled = !caps.Has(OpLight) || model.Light;
    // A radio that cannot read out its memories must not "load" blanks over
    // our channels (a Hamlib model without memory read-out, for one).
    if (const RadioDriver* driver = app_.link.Driver())
        if (!(driver->OpsFor(prof) & OpLoad)) c.LoadEnabled = false;
    c.ComText = "COM " + std::to_string(prof.Port);
    c.ModelText = ModelName(prof.Protocol, prof.Model);
    c.SelRadText = std::to_string(s.SelectedRadio + 1);
    const bool memory = prof.Memory && c.MemButEnabled;
    c.MemButCaption = memory ? "Use RADIO'S Memories" : "Use COMPUTER's Memories";
    return c;
}

void Engine::ApplyControlSetup() {
    view_->SetBusyCursor(true);
    RadioProfile& prof = app_.settings.Selected();
    if (!app_.link.CapsFor(prof.Protocol).RadioMemories) prof.Memory = false;
    const ControlSetup setup = ComputeControls();
    state_.LoadSetFirst = prof.MinChan;
    state_.LoadSetLast = prof.MaxChan;
    view_->RefreshControls(setup);
    view_->RadioCaptions(setup);
    view_->LoadSetRange(state_.LoadSetFirst, state_.LoadSetLast);
    view_->SpeedLabel(SpeedLabelText());
    view_->MemButCaption(setup.MemButCaption);
    view_->SetBusyCursor(false);
}

void Engine::SelectRadio(int index) {
    if (index < 0 || index > ProfileCount) return;
    if (index == app_.settings.SelectedRadio && state_.RequestedRadio < 0) return;
    // The running mode goes on with the radio it has until the reconnect
    // changes it: the new profile's protocol and limits never meet the old port.
    state_.RequestedRadio = int16_t(index);
    if (state_.Mode == ModeConnect) return; // the running connection picks it up
    if (app_.radioState.SignalLevel > 0) SignalOff();
    RequestMode(ModeConnect);
    if (state_.Mode != ModeConnect) state_.RequestedRadio = -1; // not entered: nothing changes
}

void Engine::RetryConnection() {
    if (app_.radioState.SignalLevel > 0) SignalOff();
    RequestMode(ModeConnect);
}

} // namespace rigvane
