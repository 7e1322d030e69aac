// The mode engine: requests and the mode stack, the short modes, connection,
// actions, clearing everything, shutdown and the control logic.
#include <filesystem>
#include <fstream>

#include "EngineFixture.h"
#include "common/FakeFamily.h"
#include "common/TempDir.h"
#include "storage/FrequencyFileReader.h"

namespace rigvane::test {
namespace {

TEST(ModeEngine, RequestsPushOnceAndTheSeventhIsIgnored) {
    EngineRig r;
    Engine& e = *r.engine;
    EXPECT_EQ(r.S().Mode, ModeManual);
    EXPECT_EQ(r.S().StackTop, -1);

    // The current mode again: nothing pushed, no message.
    const int before = r.Messages("Entering Manual Mode");
    e.RequestMode(ModeManual);
    EXPECT_EQ(r.S().StackTop, -1);
    EXPECT_EQ(r.Messages("Entering Manual Mode"), before);

    // Primary modes leave the stack empty; short ones push.
    e.RequestMode(ModeScan);
    EXPECT_EQ(r.S().StackTop, -1);
    EXPECT_EQ(r.Messages("Starting Memory Scan"), 1);
    e.RequestMode(ModeScan);
    EXPECT_EQ(r.S().StackTop, -1);

    const int nested[] = {ModeLoad,      ModeSet,           ModeMemToVfo,     ModeVfoToMem,
                          ModeVfoRecall, ModeChannelSelect, ModePendingAction};
    for (int i = 0; i < 6; ++i) {
        e.RequestMode(nested[i]);
        EXPECT_EQ(r.S().Mode, nested[i]);
        EXPECT_EQ(r.S().StackTop, i);
    }
    EXPECT_EQ(r.S().Stack[0].Mode, ModeScan);
    // Full: the seventh changes nothing, and neither does a primary mode.
    e.RequestMode(ModePendingAction);
    EXPECT_EQ(r.S().Mode, ModeChannelSelect);
    e.RequestMode(ModeManual);
    EXPECT_EQ(r.S().Mode, ModeChannelSelect);
    EXPECT_EQ(r.S().StackTop, 5);

    // Returning pops back through them; the last return lands in Scan.
    for (int i = 5; i >= 0; --i)
        e.ReturnToPreviousMode();
    EXPECT_EQ(r.S().Mode, ModeScan);
    EXPECT_EQ(r.S().StackTop, -1);
    EXPECT_EQ(r.view.ModeButtons.back(), ModeScan);
    // An empty stack in a mode of 4 or more goes back to Manual.
    e.RequestMode(ModeTurboSearch);
    e.ReturnToPreviousMode();
    EXPECT_EQ(r.S().Mode, ModeManual);
}

TEST(ModeEngine, MemToVfoDuringAScanResumesWhereItWas) {
    EngineRig r;
    for (int n : {3, 5, 8})
        r.SetChannel(n, 140 + n);
    r.SetChannel(5, 145.5);
    r.app.radioState.Current.Step = 1250;
    Engine& e = *r.engine;
    e.RequestMode(ModeScan);
    // Stop the scan as soon as it is listening on channel 5.
    r.RunUntil(
        [&] {
            return r.app.radioState.CurrentChannel == 5 && r.S().Mode == ModeScan &&
                   r.sim->FrequencyHz == 145500000;
        },
        10000);
    // RunUntil requested Manual; put the scan back on channel 5 by hand.
    e.RequestMode(ModeScan);
    r.app.radioState.CurrentChannel = 5;
    r.S().Bank = 7;
    r.app.radioState.Current.Step = 1250;
    r.app.radioState.Current.Frequency = 14000000; // the VFO wandered off

    e.RequestMode(ModeMemToVfo);
    EXPECT_EQ(r.S().StackTop, 0);
    e.RunPass();
    EXPECT_EQ(r.Messages("Memory Channel 5 Set to VFO"), 1);
    EXPECT_EQ(r.S().Mode, ModeScan);
    EXPECT_EQ(r.S().StackTop, -1);
    EXPECT_EQ(r.app.radioState.CurrentChannel, 5);
    EXPECT_EQ(r.S().Bank, 7);
    EXPECT_EQ(r.app.radioState.Current.Frequency, 14550000);
    EXPECT_EQ(r.Ch(5).Step, 1250);            // the tuning step went into the channel
    EXPECT_EQ(r.sim->FrequencyHz, 145500000); // and the state was sent
}

TEST(ModeEngine, SwapVfoSwitchesOnlyOrReappliesInSearchAndChannelSelect) {
    EngineRig r;
    Engine& e = *r.engine;
    RadioState& rs = r.app.radioState;
    rs.Vfo[1].Frequency = 14652000;
    rs.Vfo[1].Mode = 2;

    // Manual: only the active VFO changes.
    e.RequestMode(ModeSwapVfo);
    EXPECT_EQ(rs.ActiveVfo, 1);
    EXPECT_EQ(r.S().Mode, ModeManual);
    EXPECT_EQ(r.S().StackTop, -1);
    EXPECT_EQ(r.Messages("Switching to VFO-B"), 1);
    EXPECT_EQ(r.view.VfoMarkers, 1);
    e.RequestMode(ModeSwapVfo);
    EXPECT_EQ(rs.ActiveVfo, 0);
    EXPECT_EQ(r.Messages("Switching to VFO-A"), 1);

    // Scan: the same.
    e.RequestMode(ModeScan);
    e.RequestMode(ModeSwapVfo);
    EXPECT_EQ(r.S().Mode, ModeScan);

    // Search: the new VFO's state is applied through mode 12.
    e.RequestMode(ModeManual);
    e.RequestMode(ModeSearch);
    rs.ActiveVfo = 0;
    e.RequestMode(ModeSwapVfo);
    EXPECT_EQ(r.S().Mode, ModeVfoRecall);
    EXPECT_EQ(r.S().Stack[r.S().StackTop].Mode, ModeSearch);
    EXPECT_EQ(r.S().RequestedState.Frequency, 14652000);
    e.RunPass();
    EXPECT_EQ(r.S().Mode, ModeSearch);
    EXPECT_EQ(rs.Current.Frequency, 14652000);
    EXPECT_EQ(r.sim->FrequencyHz, 146520000);
}

TEST(ModeEngine, LoadAndSetRangesAreOrderedAndEndAtTheRadiosLastChannel) {
    EngineRig r;
    Engine& e = *r.engine;
    r.Profile().MinChan = 1;
    r.Profile().MaxChan = 12;
    for (int n = 0; n <= 20; ++n)
        r.SetChannel(n, 100 + n);

    // Set 15..10 (reversed): channels 10..12 reach the radio, nothing above.
    r.S().LoadSetFirst = 15;
    r.S().LoadSetLast = 10;
    e.RequestMode(ModeSet);
    e.RunPass();
    EXPECT_EQ(r.view.Ranges.back(), std::make_pair(10, 15));
    EXPECT_EQ(r.sim->Memories.size(), 3u);
    EXPECT_EQ(r.sim->Memories.count(10) + r.sim->Memories.count(11) + r.sim->Memories.count(12),
              3u);
    EXPECT_EQ(r.sim->Memories[12].FrequencyHz, 112000000);
    EXPECT_EQ(r.S().Mode, ModeManual);

    // Load 0..999: starts at MinChan, stops after MaxChan, editor put back.
    r.sim->Memories.clear();
    r.sim->Memories[1] = {150000000, 0x05, 1};
    r.sim->Memories[12] = {151000000, 0x05, 1};
    r.S().LoadSetFirst = -5;
    r.S().LoadSetLast = 2000;
    r.view.EditorChannel_ = 7;
    e.RequestMode(ModeLoad);
    e.RunPass();
    EXPECT_EQ(r.view.Ranges.back(), std::make_pair(0, 999));
    EXPECT_EQ(r.Ch(1).Frequency, 15000000);
    EXPECT_EQ(r.Ch(12).Frequency, 15100000);
    EXPECT_EQ(r.Ch(2).Frequency, 0);         // an empty radio memory empties the channel
    EXPECT_EQ(r.Ch(0).Frequency, 10000000);  // below MinChan: untouched
    EXPECT_EQ(r.Ch(13).Frequency, 11300000); // above MaxChan: untouched
    EXPECT_EQ(r.view.EditorShows.back(), 7);
    EXPECT_TRUE(r.app.memory.MemoryEdited);

    // "Don't Update Memory": Load reads but stores nothing.
    r.Ch(1).Frequency = 1;
    r.G().NoLog = true;
    e.RequestMode(ModeLoad);
    e.RunPass();
    EXPECT_EQ(r.Ch(1).Frequency, 1);
}

TEST(ModeEngine, AnOpenDropDownStopsManualPolling) {
    EngineRig r;
    Engine& e = *r.engine;
    const auto reads = [&] { return r.Count(std::string("\x03", 1)); };
    e.RunPass();
    const int polled = reads();
    EXPECT_GE(polled, 1);
    e.SetDropDownOpen(true);
    const int64_t t0 = r.host.NowMs();
    for (int i = 0; i < 20; ++i)
        e.RunPass();
    EXPECT_EQ(reads(), polled);
    EXPECT_GE(r.host.NowMs() - t0, 20 * 20); // each pass waited instead of spinning
    e.SetDropDownOpen(false);
    e.RunPass();
    EXPECT_EQ(reads(), polled + 1);
}

TEST(ModeEngine, ClearEverythingAsksFirst) {
    EngineRig r;
    Engine& e = *r.engine;
    r.SetChannel(4, 146.0);
    r.app.memory.ScanBanks[2].Valid = true;
    r.app.memory.TrunkBanks[1].SystemType = 3;
    r.app.radioState.Current.Frequency = 14600000;

    r.host.Answers.push_back(Answer::No);
    e.RequestAction(ActionClearAll);
    e.RunPass();
    ASSERT_EQ(r.host.Boxes.size(), 1u);
    EXPECT_EQ(r.host.Boxes[0].Title, "Clear ALL");
    EXPECT_EQ(r.host.Boxes[0].Text, "All Channels & Banks will be cleared\n Are you sure?");
    EXPECT_EQ(r.host.Boxes[0].Default, Answer::No); // Enter keeps the data
    EXPECT_EQ(r.Ch(4).Frequency, 14600000);
    EXPECT_TRUE(r.app.memory.ScanBanks[2].Valid);
    EXPECT_EQ(r.S().Mode, ModeManual);

    // Yes: the memory tables' one clear, nothing more and nothing less.
    r.app.memory.TrunkBanks[1].ScanEnabled = true;
    Memory cleared = r.app.memory;
    cleared.ClearAllMemory();
    r.host.Answers.push_back(Answer::Yes);
    e.RequestMode(ModeScan);
    e.RequestAction(ActionClearAll);
    e.RunPass();
    const Memory& m = r.app.memory;
    EXPECT_TRUE(m.Channels == cleared.Channels && m.ScanBanks == cleared.ScanBanks &&
                m.SearchBanks == cleared.SearchBanks && m.TrunkIds == cleared.TrunkIds &&
                m.TrunkBanks == cleared.TrunkBanks);
    EXPECT_EQ(r.app.radioState.Current, BlankChannel);
    EXPECT_EQ(r.S().Mode, ModeManual);
    EXPECT_EQ(r.S().StackTop, -1);
}

TEST(ModeEngine, ShutdownEndsTheLoopOrGoesBackToManualWhenAnEditorRefuses) {
    TempDir tmp;
    const std::string dir = tmp.Path();
    const std::string ini = dir + "/RIGVANE.INI";
    EngineRig r;
    Engine& e = *r.engine;
    r.app.settings.IniPath = ini;
    r.G().Speed = 40;

    // Cancelled: settings written, the loop keeps running in Manual.
    e.RequestMode(ModeScan);
    EXPECT_FALSE(e.Shutdown([] { return false; }));
    EXPECT_TRUE(r.S().EditorRefusedToClose);
    EXPECT_EQ(r.S().Mode, ModeManual);
    EXPECT_TRUE(e.RunPass());
    std::ifstream in(ini);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("40"), std::string::npos);

    // Changed data: asked once; No ends without saving.
    r.app.memory.MemoryEdited = true;
    r.host.Answers.push_back(Answer::No);
    const size_t boxes = r.host.Boxes.size();
    EXPECT_TRUE(e.Shutdown([] { return true; }));
    ASSERT_EQ(r.host.Boxes.size(), boxes + 1);
    EXPECT_EQ(r.host.Boxes.back().Title, "Exit");
    EXPECT_EQ(r.host.Boxes.back().Text, "Data has changed. Save it?");
    EXPECT_EQ(r.S().Mode, ModeShutdown);
    e.RequestMode(ModeScan); // a late click cannot restart the loop
    EXPECT_FALSE(e.RunPass());
    EXPECT_EQ(r.S().Mode, ModeEnded);

    // Yes saves through the file chooser.
    const std::string frq = dir + "/saved.frq";
    r.SetChannel(9, 150.0);
    r.app.memory.MemoryEdited = true;
    r.view.Files.push_back(frq);
    r.host.Answers.push_back(Answer::Yes);
    EXPECT_TRUE(e.Shutdown());
    EXPECT_FALSE(r.app.memory.MemoryEdited);
    std::ifstream saved(frq);
    std::string line;
    std::getline(saved, line);
    EXPECT_TRUE(saved.good());
}

TEST(ModeEngine, ChannelStepsDigitsAndRepeat) {
    EngineRig r;
    Engine& e = *r.engine;
    RadioState& rs = r.app.radioState;
    rs.CurrentChannel = 998;
    // "Up": one step at once.
    e.StartRepeat(0);
    EXPECT_EQ(r.S().RequestedChannel, 999);
    EXPECT_EQ(r.S().Mode, ModeChannelSelect);
    e.RunPass();
    EXPECT_EQ(rs.CurrentChannel, 999);
    e.StopRepeat();
    rs.CurrentChannel = 105;
    r.S().RequestedChannel = 0;
    // Right button on the tens digit: 105 -> 195, direction down.
    e.StartRepeat(3, false);
    e.StopRepeat();
    EXPECT_EQ(r.S().RequestedChannel, 195);
    EXPECT_EQ(r.S().ScanDirection, -1);
    e.RunPass();
    EXPECT_EQ(rs.CurrentChannel, 195);
    // Down from 0 wraps to 999.
    rs.CurrentChannel = 0;
    e.StepChannel(1);
    EXPECT_EQ(r.S().RequestedChannel, 999);
}

TEST(ModeEngine, RepeatTimerStepsEvery100MsAfterTheFirst500) {
    EngineRig r;
    Engine& e = *r.engine;
    r.app.radioState.CurrentChannel = 10;
    std::vector<int> requested;
    e.StartRepeat(0);
    requested.push_back(r.S().RequestedChannel);
    // The loop is not running: each tick recomputes from the current channel,
    // so count the ticks by moving the channel along with them.
    int ticks = 0;
    for (int ms = 0; ms < 750; ms += 10) {
        const int before = r.S().RequestedChannel;
        r.app.radioState.CurrentChannel = int16_t(before);
        r.host.Advance(10);
        if (r.S().RequestedChannel != before) ++ticks;
    }
    e.StopRepeat();
    // 500 ms to the first tick, then 100 ms: ticks at 500, 600, 700.
    EXPECT_EQ(ticks, 3);
    r.host.Advance(1000);
    EXPECT_EQ(ticks, 3);
}

TEST(ModeEngine, EntryFieldsControlSetupAndSwitches) {
    EngineRig r;
    Engine& e = *r.engine;
    r.Profile().MinChan = 1;
    r.Profile().MaxChan = 200;

    // Channel entry: 1000 is refused and keeps the focus; empty does nothing.
    EntryLeaveResult res = e.EntryLeave(0, "1000");
    EXPECT_TRUE(res.KeepFocus);
    EXPECT_EQ(res.BoxTitle, " entry error");
    EXPECT_EQ(res.BoxText, "entry must be between 0 and 999");
    res = e.EntryLeave(0, "");
    EXPECT_TRUE(res.Accepted);
    EXPECT_EQ(r.S().Mode, ModeManual);
    e.EntryLeave(0, "42");
    EXPECT_EQ(r.S().RequestedChannel, 42);
    EXPECT_EQ(r.S().Mode, ModeChannelSelect);
    // Load/Set fields follow the radio's channel range.
    res = e.EntryLeave(1, "0");
    EXPECT_TRUE(res.Beep);
    EXPECT_EQ(res.BoxTitle, "entry error");
    EXPECT_EQ(res.BoxText, "entry must be between 1 and 200");
    EXPECT_EQ(e.EntryLeave(2, "7").Text, "007");
    EXPECT_EQ(e.EntryKey(2, KeyEscape).Text, "007");

    EXPECT_EQ(Engine::SpeedLabelText(25), "speed    75%");

    // The controls follow the family's data: a model whose light cannot be
    // switched, one with CTCSS and a settings dialog, a VFO channel, no
    // radio memories.
    FakeFamily family(ProtoBearcat);
    family.caps.Ops |= OpLight;
    family.caps.VfoChannel = true;
    family.caps.Models[0].Light = true;
    family.caps.Models[1].Ctcss = true;
    family.caps.Models[1].Dialog = ModelDialog::Thf6a;
    AddFamily(r.app.link, family);
    RadioProfile& p = r.Profile();
    p.Protocol = ProtoBearcat;
    p.VfoChan = 17;
    ControlSetup c = e.ComputeControls();
    EXPECT_TRUE(c.LightEnabled);
    EXPECT_FALSE(c.CtcssVisible);
    EXPECT_FALSE(c.Thf6aMenuEnabled);
    EXPECT_TRUE(c.BcVfoVisible);
    EXPECT_EQ(c.BcVfoText, "17<->VFO");
    p.Model = 1;
    c = e.ComputeControls();
    EXPECT_FALSE(c.LightEnabled);
    EXPECT_TRUE(c.CtcssVisible);
    EXPECT_TRUE(c.Thf6aMenuEnabled);
    EXPECT_FALSE(c.Aor8000MenuEnabled);
    family.caps.RadioMemories = false;
    p.Memory = true;
    e.ApplyControlSetup();
    EXPECT_FALSE(p.Memory);
    c = e.ComputeControls();
    EXPECT_FALSE(c.LoadEnabled || c.SetEnabled || c.MemButEnabled);
    // A protocol no driver serves: the plain set-up.
    p.Protocol = ProtoAor5000;
    c = e.ComputeControls();
    EXPECT_TRUE(c.LightEnabled && c.LoadEnabled && c.MemButEnabled);
    EXPECT_FALSE(c.BcVfoVisible || c.CtcssVisible || c.SearchToRadioVisible);
    p.Model = 0;
    // A radio without a memory read-out (Hamlib's R8500) offers no Load, which
    // would write blanks over our channels; one with it (the dummy) does.
    p.Protocol = ProtoHamlib;
    p.HamlibModel = 3042;
    EXPECT_FALSE(e.ComputeControls().LoadEnabled);
    p.HamlibModel = 1;
    EXPECT_TRUE(e.ComputeControls().LoadEnabled);
    // "Don't Update Memory" with the computer's memories: no Load, no VFO->Mem.
    p.Protocol = ProtoIcom;
    e.NoLogClicked(true);
    c = e.ComputeControls();
    EXPECT_FALSE(c.LoadEnabled);
    EXPECT_FALSE(c.VfoToMemEnabled);
    e.ToggleMemoryButton();
    EXPECT_EQ(e.MemButCaptionText(), "Use RADIO'S Memories");
    EXPECT_TRUE(e.ComputeControls().VfoToMemEnabled);
}

TEST(ModeEngine, ConnectionAndDialogsEndInManualWithTheRadioOpened) {
    EngineRig r;
    Engine& e = *r.engine;
    RadioState& rs = r.app.radioState;
    rs.Vfo[0].Frequency = 14652000;
    rs.Vfo[0].Mode = 2;
    r.Profile().MinChan = 3;

    // Choosing the radio that is selected does not reconnect.
    e.SelectRadio(0);
    EXPECT_EQ(r.S().Mode, ModeManual);

    // A dialog (shown or not) leads to a connection.
    r.view.DialogShown = false;
    e.RequestMode(ModeScan);
    e.RequestAction(3);
    e.RunPass();
    EXPECT_EQ(r.view.Dialogs, std::vector<int>{3});
    EXPECT_EQ(r.S().Mode, ModeConnect);
    e.RunPass();
    EXPECT_EQ(r.S().Mode, ModeManual);
    EXPECT_EQ(r.S().StackTop, -1);
    EXPECT_EQ(rs.CurrentChannel, 3);
    EXPECT_EQ(rs.Current.Frequency, 14652000);
    EXPECT_TRUE(r.app.link.PortOpen());
    EXPECT_EQ(r.view.ModeButtons.back(), ModeManual);
}

TEST(ModeEngine, WindowsFollowFileWork) {
    TempDir dir;
    const std::string frq = dir.Path() + "/in.frq";
    {
        std::ofstream out(frq);
        out << "005 0145.50000 FM 00000 00000 NDLY Fire\n";
        out << "@ 3 10 20 SCAN Fire\n";
        out << "007 0146.00000 FM 00000 00000 NDLY Tower\n";
    }
    EngineRig r;
    Engine& e = *r.engine;
    auto balanced = [&] {
        int depth = 0;
        for (bool b : r.view.BusyCalls)
            depth += b ? 1 : -1;
        return depth == 0;
    };

    // Open: each channel line redraws its channel; then one refresh of every
    // window (editors, VFOs, spectrum); the busy pointer while reading.
    r.view.BusyCalls.clear();
    r.view.Files.push_back(frq);
    e.RequestAction(ActionOpenFile);
    e.RunPass();
    EXPECT_EQ(r.view.ChangedChannels, (std::vector<int>{5, 7}));
    EXPECT_EQ(r.view.Refreshes, 1);
    EXPECT_EQ(r.view.Replaced, 1);
    ASSERT_FALSE(r.view.BusyCalls.empty());
    EXPECT_TRUE(r.view.BusyCalls.front());
    EXPECT_TRUE(balanced());

    // Sort and lookup rearrange or fill channels: one refresh each.
    e.RequestAction(ActionSort);
    e.RunPass();
    EXPECT_EQ(r.view.Refreshes, 2);
    e.RequestAction(ActionLookup);
    e.RunPass();
    EXPECT_EQ(r.view.Refreshes, 3);
    EXPECT_EQ(r.view.Replaced, 3);

    // A file that cannot be opened still leaves the pointer normal.
    r.view.BusyCalls.clear();
    r.view.Files.push_back(dir.Path() + "/missing.frq");
    e.RequestAction(ActionOpenFile);
    e.RunPass();
    EXPECT_TRUE(balanced());

    // Clear ALL answered Yes refreshes too.
    r.host.Answers.push_back(Answer::Yes);
    const int before = r.view.Refreshes;
    e.RequestAction(ActionClearAll);
    e.RunPass();
    EXPECT_EQ(r.view.Refreshes, before + 1);
}

// Another radio chosen while the scan tunes a channel: everything up to the
// reconnect still goes out with the radio that was selected (the sim sees
// no frame for another address), and the choice holds after it.
TEST(ModeEngine, AnotherRadioTakesEffectInTheReconnect) {
    EngineRig r;
    r.SetChannel(1, 145.0, 1);
    r.SetChannel(2, 146.0, 4);
    RadioProfile& other = r.app.settings.RadioProfiles[1];
    other = r.Profile();
    other.Addr = 0x10;
    other.Model = 0;
    int foreignAtConnect = -1;
    r.app.link.OnStatus = [&](const std::string& caption, uint32_t) {
        if (caption == "Connecting To Radio.." && foreignAtConnect < 0)
            foreignAtConnect = r.sim->ForeignFrames;
    };
    r.engine->RequestMode(ModeScan);
    bool chosen = false;
    r.RunUntil(
        [&] {
            if (!chosen && r.sim->Commands.size() > 10 && r.sim->Commands.back()[0] == '\x05') {
                chosen = true;
                r.engine->SelectRadio(1);
                EXPECT_EQ(r.app.settings.SelectedRadio, 0);
            }
            return foreignAtConnect >= 0;
        },
        10000);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(foreignAtConnect, 0);
    EXPECT_EQ(r.app.settings.SelectedRadio, 1);

    // Once the loop has been told to end, a choice changes nothing.
    TempDir dir;
    r.app.settings.IniPath = dir.Path() + "/RIGVANE.INI";
    r.engine->Shutdown();
    r.engine->SelectRadio(0);
    EXPECT_EQ(r.app.settings.SelectedRadio, 1);
    EXPECT_EQ(r.S().RequestedRadio, -1);
}

TEST(ModeEngine, FileActionsRunInTheLoopAndReturn) {
    TempDir tmp;
    const std::string dir = tmp.Path();
    const std::string frq = dir + "/in.frq";
    {
        std::ofstream out(frq);
        out << "005 0145.50000 FM 00000 00000 S00 TS 0000000000 VLD NDLY Fire dispatch\n";
        out << "F 146.52\n";
    }
    EngineRig r;
    Engine& e = *r.engine;
    e.RequestMode(ModeScan);
    e.RequestMode(ModeManual);

    // Open: F1 with the file; the F keyword asks for mode 12, which then
    // returns to Manual, not to the action.
    r.view.Files.push_back(frq);
    e.RequestAction(ActionOpenFile);
    e.RunPass();
    EXPECT_EQ(r.view.FileFilters.back(), FrequencyFileFilter);
    EXPECT_EQ(r.Ch(5).Frequency, 14550000);
    EXPECT_EQ(r.S().Mode, ModeVfoRecall);
    e.RunPass();
    EXPECT_EQ(r.S().Mode, ModeManual);
    EXPECT_EQ(r.app.radioState.Current.Frequency, 14652000);
    EXPECT_EQ(r.sim->FrequencyHz, 146520000);

    // Cancelled chooser: nothing, back to the previous mode.
    e.RequestAction(ActionDatabase);
    e.RunPass();
    EXPECT_EQ(r.view.FileFilters.back(), DatabaseFileFilter);
    EXPECT_EQ(r.S().Mode, ModeManual);

    // Log file name: the open log is closed, the name replaced.
    r.G().Logging = true;
    r.G().LogFile = dir + "/a.log";
    r.app.log.Dply("into a");
    EXPECT_TRUE(r.app.log.LogFileOpen());
    r.view.Files.push_back(dir + "/b.log");
    e.RequestAction(ActionLogFileName);
    e.RunPass();
    EXPECT_EQ(r.view.FileFilters.back(), LogFileFilter);
    EXPECT_FALSE(r.app.log.LogFileOpen());
    EXPECT_EQ(r.G().LogFile, dir + "/b.log");

    // Sort: channel order by frequency and the message.
    r.SetChannel(1, 100.0);
    r.SetChannel(2, 200.0);
    e.RequestAction(ActionSort);
    e.RunPass();
    EXPECT_EQ(r.Messages("Sorted the database by Frequency"), 1);
    EXPECT_EQ(r.S().Mode, ModeManual);

    // Radio test: TSTRADIO.DAT open while it runs, the menu item disabled,
    // the file slot given back; then back to the scan that was running.
    r.app.link.TraceDir = dir;
    std::vector<bool> menu;
    struct : Recorder {
        std::vector<bool>* items;
        bool sawFile = false;
        EngineRig* rig;
        void TestRadioMenuEnabled(bool on) override {
            items->push_back(on);
            if (!on) sawFile = rig->app.link.RadioTestFile != nullptr;
        }
    } testView;
    testView.items = &menu;
    testView.rig = &r;
    e.SetView(&testView);
    const int slots = r.app.slots.InUse();
    e.RequestMode(ModeScan);
    e.RequestAction(ActionRadioTest);
    e.RunPass();
    EXPECT_EQ(menu, (std::vector<bool>{false, true}));
    EXPECT_TRUE(testView.sawFile);
    EXPECT_EQ(r.app.link.RadioTestFile, nullptr);
    EXPECT_EQ(r.app.slots.InUse(), slots);
    EXPECT_EQ(r.S().Mode, ModeScan);
    EXPECT_EQ(r.Messages("Ending Radio Testing..."), 1);
    std::ifstream test(dir + "/TSTRADIO.DAT");
    EXPECT_TRUE(test.good());
    e.SetView(&r.view);
}

TEST(ModeEngine, CommandLineFilesAndAQuietFirstStart) {
    TempDir dir;
    const std::string frq = dir.Path() + "/given.frq";
    std::ofstream(frq) << "007 0162.55000 FM 00000 00000 S00 TS 0000000000 VLD NDLY Weather\n";
    EngineRig r;
    // The first file is opened as File, Open would; the others are reported.
    r.engine->OpenCommandLineFiles({frq, dir.Path() + "/second.frq"});
    EXPECT_EQ(r.Ch(7).Frequency, 16255000);
    EXPECT_EQ(r.view.Refreshes, 1);
    EXPECT_EQ(r.Messages("Not opened (one frequency file at a time): "), 1);

    // The default database missing (a first start): one line, no box. A
    // database the user named that is missing: the reader's box.
    const std::string here = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const StartupHooks hooks = r.engine->MakeStartupHooks();
    hooks.LoadDatabase(r.app);
    EXPECT_TRUE(r.host.Boxes.empty());
    EXPECT_EQ(r.Messages("No frequency database FREQLIST.DBF"), 1);
    r.G().DbFile = "mine.dbf";
    hooks.LoadDatabase(r.app);
    std::filesystem::current_path(here);
    ASSERT_EQ(r.host.Boxes.size(), 1u);
    EXPECT_EQ(r.host.Boxes[0].Title, "DB Read");
}

} // namespace
} // namespace rigvane::test
