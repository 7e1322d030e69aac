// The work every family shares around its driver: the busy flag, the copy
// of what was sent, the read-range check, the signal rules, opening and its
// status texts, the trunk progress loop. A recording driver stands in for
// the family; the families' own requests are tested with their drivers.
#include <stdexcept>

#include "LinkFixture.h"

namespace rigvane::test {
namespace {

class RadioOperationsTest : public LinkFixture {
  protected:
    RadioOperationsTest() { settings.Selected().Timeout = 10; }
    using Calls = std::vector<std::string>;
};

TEST_F(RadioOperationsTest, ApplyRunsOnlyWithAStateAndAlwaysKeepsTheCopy) {
    ASSERT_EQ(radio.OpenRadio(), OpenConnected);
    driver.Take();
    driver.Busy.clear();
    Channel& cur = state.Current;
    cur = BlankChannel;
    cur.Frequency = 14652000;
    cur.Mode = 1;
    radio.ApplyRadioState();
    EXPECT_EQ(driver.Take(), Calls{"Apply"});
    EXPECT_EQ(driver.Busy, std::vector<bool>{true});
    EXPECT_FALSE(settings.Selected().Busy);
    EXPECT_EQ(state.LastSent, cur);

    // No mode or no frequency: the driver is not asked, the copy is taken.
    cur.Mode = 0;
    radio.ApplyRadioState();
    cur.Mode = 3;
    cur.Frequency = 0;
    radio.ApplyRadioState();
    EXPECT_EQ(driver.Take(), Calls{});
    EXPECT_EQ(state.LastSent, cur);

    // A family without the operation: nothing asked, the copy still taken.
    driver.caps.Ops &= ~uint32_t(OpApply);
    cur.Frequency = 7000000;
    radio.ApplyRadioState();
    EXPECT_EQ(driver.Take(), Calls{});
    EXPECT_EQ(state.LastSent.Frequency, 7000000);
}

TEST_F(RadioOperationsTest, ReadsAndLoadsAreCheckedAgainstTheRadioRange) {
    ASSERT_EQ(radio.OpenRadio(), OpenConnected);
    driver.Take();
    settings.Selected().MaxFreq = 200000000;
    radio.ReadRadioState();
    EXPECT_EQ(state.Current.Frequency, 14652000);
    EXPECT_EQ(state.LastSent, state.Current);

    driver.ReadFrequency = 200000001;
    radio.ReadRadioState();
    EXPECT_EQ(log.History()[2], "3/2/26 4:05:09p :Rcvd Frequency out of Radio Range (2000.00001 )");
    EXPECT_EQ(log.History()[1], "3/2/26 4:05:09p :  Max=200000000");
    EXPECT_EQ(log.History()[0], "3/2/26 4:05:09p :  Min=10000");
    EXPECT_EQ(state.Current, BlankChannel);
    EXPECT_EQ(state.LastSent, BlankChannel);

    // Nothing read is not an error.
    driver.ReadFrequency = 0;
    radio.ReadRadioState();
    EXPECT_EQ(CountMessages("Rcvd Frequency"), 1);

    // A load starts from a blank state and is checked the same way, but
    // loads, stores and recalls leave the copy of what was sent alone.
    state.LastSent.Frequency = 123;
    const Channel before = state.LastSent;
    state.Current.Notch = true;
    driver.ReadFrequency = 200000001;
    radio.LoadChannel();
    EXPECT_EQ(state.Current, BlankChannel);
    EXPECT_EQ(CountMessages("Rcvd Frequency"), 2);
    radio.RecallChannel();
    radio.StoreChannel();
    EXPECT_EQ(driver.Take(), (Calls{"Read", "Read", "Read", "Load", "Recall", "Store"}));
    EXPECT_EQ(state.LastSent, before);

    // Operations the family lacks are never asked for.
    driver.caps.Ops = OpApply;
    radio.StoreChannel();
    radio.LoadChannel();
    radio.RecallChannel();
    radio.ReadRadioState();
    radio.LoadSearchBank();
    radio.StoreSearchBank();
    radio.SetLight();
    EXPECT_EQ(driver.Take(), Calls{});
}

TEST_F(RadioOperationsTest, SignalByDetectMethodWithThresholdAndCap) {
    ASSERT_EQ(radio.OpenRadio(), OpenConnected);
    driver.Take();
    RadioProfile& p = settings.Selected();

    p.Detect = DetectNone;
    state.SignalLevel = 5;
    int64_t start = host.NowMs();
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 5);
    EXPECT_EQ(host.NowMs() - start, 10); // one pacing delay

    // The carrier-detect line: two agreeing samples decide, else a third.
    p.Detect = DetectHardware;
    peer->CdSamples = {true, false, true};
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 9);
    EXPECT_EQ(peer->CdReads, 3);
    peer->CdSamples = {false, false, true};
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 0);
    EXPECT_EQ(peer->CdReads, 5);
    EXPECT_EQ(driver.Take(), Calls{});

    p.Detect = DetectSoftware;
    driver.Level = 12;
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 11);

    // Both: the line first; the radio is asked only while it holds.
    p.Detect = DetectBoth;
    peer->CdSamples.clear();
    peer->Carrier = false;
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 0);
    peer->Carrier = true;
    driver.Level = 3;
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 3);
    EXPECT_EQ(driver.Take(), (Calls{"Signal", "Signal both"}));

    state.SignalThreshold = 3;
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 0);
    state.SignalThreshold = 0;
    state.SignalOff = true;
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 0);
    state.SignalOff = false;

    // A family without a signal command: a pacing delay, the level kept.
    driver.caps.Ops &= ~uint32_t(OpSignal);
    p.Detect = DetectSoftware;
    state.SignalLevel = 4;
    start = host.NowMs();
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 4);
    EXPECT_EQ(host.NowMs() - start, 10);
    driver.Take();
    EXPECT_FALSE(p.Busy);
}

TEST_F(RadioOperationsTest, OpenRadioResultsAndStatus) {
    RadioProfile& p = settings.Selected();

    // Answering radio: the driver's open with one try per request, connected.
    link.RetryCount = 5;
    EXPECT_EQ(radio.OpenRadio(), OpenConnected);
    EXPECT_EQ(driver.Take(), Calls{"Open"});
    EXPECT_EQ(driver.Retries, std::vector<int>{1});
    EXPECT_EQ(link.RetryCount, 5); // what it was before
    link.RetryCount = 3;
    ASSERT_GE(statuses.size(), 2u);
    EXPECT_EQ(statuses[0], std::make_pair(std::string("Connecting To Radio.."), Rgb(0, 0, 255)));
    EXPECT_EQ(statuses.back(), std::make_pair(std::string("Connected"), Rgb(0, 64, 0)));
    EXPECT_EQ(lastPort->Settings().Baud, 300);
    // The "Connected" message and the open port are checked per family by the conformance suite.

    // Silent radio: the port opened, the radio did not answer.
    peer->Answer = "";
    p.MinChan = 1;
    p.DriverState = 7;
    state.DriverFlag = true;
    state.ModelText = "X";
    state.ReplyResidue = "junk";
    const int64_t start = host.NowMs();
    EXPECT_EQ(radio.OpenRadio(), OpenNoAnswer);
    EXPECT_EQ(host.NowMs() - start, 10 * 10); // one try of ten quiet periods
    EXPECT_EQ(state.CurrentChannel, 1);
    EXPECT_EQ(p.DriverState, 0);
    EXPECT_FALSE(state.DriverFlag);
    EXPECT_EQ(state.ModelText, "");
    EXPECT_EQ(state.ReplyResidue, "");
    EXPECT_EQ(state.LastSent, BlankChannel);
    EXPECT_EQ(link.StatusCaption(), "Disconnected \r(double click here to retry)");
    EXPECT_EQ(link.StatusColour(), Rgb(255, 0, 0));
    EXPECT_EQ(log.Newest(), "**3/2/26 4:05:09p :ICOM R7000 Not Attached");
    EXPECT_FALSE(link.PortOpen());
    EXPECT_EQ(link.RetryCount, 3);

    // No such device: a box naming the device, disconnected.
    p.Device = "/dev/rigvane-no-such-port";
    EXPECT_EQ(radio.OpenRadio(), OpenPortFailed);
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0].Title, "Com Port Failure");
    EXPECT_EQ(host.Boxes[0].Text, "Com port /dev/rigvane-no-such-port Open Failed!");
    EXPECT_EQ(host.Boxes[0].Icon, MsgIcon::Exclamation);
    EXPECT_EQ(link.StatusCaption(), "Disconnected \r(double click here to retry)");
    p.Device.clear();
    p.Port = 3; // /dev/ttyS2 is not a simulated port
    EXPECT_EQ(radio.OpenRadio(), OpenPortFailed);
    EXPECT_EQ(host.Boxes.back().Text, "Com port 3 Open Failed!");

    // No port at all: nothing can answer, so it is not connected either.
    p.Port = 0;
    EXPECT_EQ(radio.OpenRadio(), OpenPortFailed);
    EXPECT_EQ(log.Newest(), "**3/2/26 4:05:09p :ICOM R7000 Not Attached");
    EXPECT_EQ(host.Boxes.size(), 2u);

    // A switched-off simulated radio cannot be opened either.
    p.Device = "sim:line";
    peer->On = false;
    EXPECT_EQ(radio.OpenRadio(), OpenPortFailed);

    // The radio search: no boxes, messages or status, but the result.
    link.LocatingRadio = true;
    const size_t boxes = host.Boxes.size(), changes = statuses.size();
    const std::string newest = log.Newest();
    EXPECT_EQ(radio.OpenRadio(), OpenPortFailed);
    peer->On = true;
    EXPECT_EQ(radio.OpenRadio(), OpenNoAnswer);
    EXPECT_TRUE(link.PortOpen()); // left open while locating
    peer->Answer = "OK\r";
    EXPECT_EQ(radio.OpenRadio(), OpenConnected);
    EXPECT_EQ(host.Boxes.size(), boxes);
    EXPECT_EQ(log.Newest(), newest);
    EXPECT_EQ(statuses.size(), changes + 3); // only "Connecting To Radio.." each time
    link.LocatingRadio = false;

    // A family with no port (the test radio): nothing opened, connected.
    driver.caps.UsesPort = false;
    driver.Take();
    EXPECT_EQ(radio.OpenRadio(), OpenConnected);
    EXPECT_FALSE(link.PortOpen());
    EXPECT_EQ(driver.Take(), Calls{});
}

// Opening itself is checked per protocol by the registry test; here, the
// operations after it do nothing and nothing breaks.
TEST_F(RadioOperationsTest, ProtocolWithoutDriverIsNeverConnected) {
    settings.Selected().Protocol = ProtoKenwood;
    EXPECT_EQ(radio.OpenRadio(), OpenNoDriver);
    EXPECT_TRUE(link.RadioNotResponding);
    state.Current.Frequency = 14652000;
    radio.ApplyRadioState();
    radio.ReadSignal();
    radio.RadioTest();
    EXPECT_EQ(peer->Commands.size(), 0u);
    EXPECT_EQ(CountMessages("Radio Testing"), 2);
}

TEST_F(RadioOperationsTest, DriverFailureNeverEscapes) {
    class Throwing : public FakeFamily {
        void Apply(DriverContext&) override { throw std::runtime_error("bad reply"); }
        void Open(DriverContext&) override { throw 42; }
    } throwing;
    link.Drivers = [&throwing](int) -> RadioDriver* { return &throwing; };
    EXPECT_EQ(radio.OpenRadio(), OpenNoAnswer);
    state.Current.Frequency = 100000;
    state.Current.Mode = 1;
    EXPECT_NO_THROW(radio.ApplyRadioState());
    EXPECT_FALSE(settings.Selected().Busy);
    EXPECT_EQ(state.LastSent, BlankChannel); // not attached: nothing counts as sent
    EXPECT_EQ(CountMessages("bad reply"), 1);
    EXPECT_EQ(CountMessages("Radio initialisation failed!"), 1);
}

TEST_F(RadioOperationsTest, TrunkTransferShowsProgressAndStopsWhenCancelled) {
    Progress progress;
    std::vector<std::string> shown;
    progress.OnShow = [&](const std::string& action) { shown.push_back(action); };
    progress.OnUpdate = [&](int, const std::string& text) { shown.push_back(text); };
    progress.OnHide = [&] { shown.push_back("hidden"); };
    radio.TrunkProgress = &progress;
    Open();

    driver.OnTrunkIds = [&](DriverContext& ctx, int bank) {
        EXPECT_TRUE(ctx.Profile.Busy);
        if (bank == 3) progress.Cancel = true;
        EXPECT_EQ(ctx.Cancelled(), bank == 3);
    };
    progress.Cancel = true; // left over from an earlier operation
    radio.SetTrunkBank();
    EXPECT_EQ(driver.Take(), (Calls{"Trunk 1 write", "Trunk 2 write", "Trunk 3 write"}));
    EXPECT_EQ(shown, (Calls{"Setting Trunk Bank", "01", "02", "03", "hidden"}));
    EXPECT_FALSE(settings.Selected().Busy);

    driver.OnTrunkIds = nullptr;
    radio.LoadTrunkBank();
    const Calls read = driver.Take();
    ASSERT_EQ(read.size(), 10u);
    EXPECT_EQ(read[8], "Trunk 9 read");
    EXPECT_EQ(read.back(), "Trunk 0 read");

    // A radio that falls silent ends the transfer after that bank.
    driver.OnTrunkIds = [&](DriverContext& ctx, int bank) {
        if (bank == 2) ctx.Link.RadioNotResponding = true;
    };
    radio.LoadTrunkBank();
    EXPECT_EQ(driver.Take(), (Calls{"Trunk 1 read", "Trunk 2 read"}));
    link.RadioNotResponding = false;

    // A family without trunk IDs: no progress window at all.
    driver.caps.Ops &= ~uint32_t(OpTrunkIds);
    shown.clear();
    radio.LoadTrunkBank();
    EXPECT_TRUE(shown.empty());
}

} // namespace
} // namespace rigvane::test
