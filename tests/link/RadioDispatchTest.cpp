#include <map>

#include "LinkFixture.h"

namespace rigvane::test {
namespace {

// Records the operation codes a dispatcher issues for the ICOM protocol and
// plays the radio's side into the shared state: code 3 reads ReadFrequency,
// the signal codes read their levels, and every code talks to the simulated
// line radio so that a silent radio is noticed by the link.
class DispatchTest : public LinkFixture {
  protected:
    DispatchTest() {
        radio.RegisterDriver(ProtoIcom, [this](DriverContext& ctx, int& code) {
            codes.push_back(code);
            busy.push_back(ctx.Profile.Busy);
            ctx.Link.SendAndReceive(std::to_string(code) + "\r", "\r", "");
            if (code == 3) ctx.State.Current.Frequency = ReadFrequency;
            if (code == 4) ctx.State.Current.Mode = 4;
            if (code == 17) ctx.State.Current.Atten = true;
            if (code == 5377) ctx.State.SignalLevel = Squelch;
            if (code == 5378) ctx.State.SignalLevel = Meter;
        });
        settings.Selected().Timeout = 10;
    }

    std::vector<int> Take() {
        std::vector<int> out;
        out.swap(codes);
        return out;
    }

    std::vector<int> codes;
    std::vector<bool> busy; // the profile's Busy flag at each code
    int32_t ReadFrequency = 14652000;
    uint8_t Squelch = 9;
    uint8_t Meter = 6;
};

using Codes = std::vector<int>;

TEST_F(DispatchTest, ApplySendsOnlyWhatDiffers) {
    ASSERT_EQ(radio.OpenRadio(), 0);
    Take();
    busy.clear();
    state.Current = BlankChannel;
    Channel& cur = state.Current;
    cur.Frequency = 14652000;
    cur.Mode = 1;
    radio.ApplyRadioState();
    EXPECT_EQ(Take(), (Codes{5, 6}));
    EXPECT_EQ(state.LastSent, cur);
    EXPECT_EQ(busy, (std::vector<bool>{true, true}));
    EXPECT_FALSE(settings.Selected().Busy);

    radio.ApplyRadioState();
    EXPECT_EQ(Take(), Codes{});

    cur.Atten = true;
    radio.ApplyRadioState();
    EXPECT_EQ(Take(), Codes{5888});

    // AGC and antenna only with extended commands.
    cur.Agc = 2;
    cur.Antenna = 1;
    radio.ApplyRadioState();
    EXPECT_EQ(Take(), Codes{});
    settings.Selected().ExpCmd = true;
    cur.Agc = 1;
    cur.Antenna = 0;
    radio.ApplyRadioState();
    EXPECT_EQ(Take(), (Codes{5648, 4608}));

    // No mode or no frequency: nothing sent, but the copy is taken.
    cur.Mode = 0;
    cur.Frequency = 100;
    radio.ApplyRadioState();
    EXPECT_EQ(Take(), Codes{});
    EXPECT_EQ(state.LastSent, cur);
    cur.Mode = 3;
    cur.Frequency = 0;
    radio.ApplyRadioState();
    EXPECT_EQ(Take(), Codes{});
    EXPECT_EQ(state.LastSent.Mode, 3);

    // OPTO shares the rules; LOCAL sends nothing at all.
    settings.Selected().Protocol = ProtoOpto;
    radio.RegisterDriver(ProtoOpto, [this](DriverContext&, int& code) { codes.push_back(-code); });
    cur.Frequency = 5000000;
    radio.ApplyRadioState();
    EXPECT_EQ(Take(), (Codes{-5}));
    settings.Selected().Protocol = ProtoLocal;
    cur.Frequency = 7000000;
    radio.ApplyRadioState();
    EXPECT_EQ(Take(), Codes{});
    EXPECT_EQ(state.LastSent.Frequency, 7000000);
}

TEST_F(DispatchTest, ReadChecksTheRadioRange) {
    ASSERT_EQ(radio.OpenRadio(), 0);
    Take();
    settings.Selected().MaxFreq = 200000000;
    radio.ReadRadioState();
    EXPECT_EQ(Take(), (Codes{3, 4, 17}));
    EXPECT_EQ(state.Current.Frequency, 14652000);
    EXPECT_EQ(state.LastSent, state.Current);
    settings.Selected().ExpCmd = true;
    radio.ReadRadioState();
    EXPECT_EQ(Take(), (Codes{3, 4, 17, 18}));

    ReadFrequency = 200000001;
    radio.ReadRadioState();
    EXPECT_EQ(log.History()[2], "3/2/26 4:05:09p :Rcvd Frequency out of Radio Range (2000.00001 )");
    EXPECT_EQ(log.History()[1], "3/2/26 4:05:09p :  Max=200000000");
    EXPECT_EQ(log.History()[0], "3/2/26 4:05:09p :  Min=10000");
    EXPECT_EQ(state.Current, BlankChannel);
    EXPECT_EQ(state.LastSent, BlankChannel);
    Take();

    // Nothing read: no message, the state says "none".
    ReadFrequency = 0;
    state.Current.Mode = 5;
    state.Current.Atten = true;
    radio.ReadRadioState();
    EXPECT_EQ(Take(), Codes{3});
    EXPECT_EQ(state.Current.Mode, 0);
    EXPECT_FALSE(state.Current.Atten);
    EXPECT_EQ(CountMessages("Rcvd Frequency"), 1);
}

TEST_F(DispatchTest, MemoryOperations) {
    ASSERT_EQ(radio.OpenRadio(), 0);
    Take();
    Channel before = state.LastSent;
    state.CurrentChannel = 12;
    radio.RecallChannel();
    EXPECT_EQ(Take(), Codes{8});

    state.Current.Frequency = 14652000;
    state.Current.Mode = 2;
    radio.StoreChannel();
    EXPECT_EQ(Take(), (Codes{8, 5, 6, 5888, 9}));
    settings.Selected().ExpCmd = true;
    radio.StoreChannel();
    EXPECT_EQ(Take(), (Codes{8, 5, 6, 5888, 5648, 4608, 9}));
    state.Current.Frequency = 0;
    radio.StoreChannel();
    EXPECT_EQ(Take(), (Codes{8, 11}));

    // A load always leaves the attenuator off, whatever the radio said.
    radio.LoadChannel();
    EXPECT_EQ(Take(), (Codes{8, 10, 3, 4, 17, 18}));
    EXPECT_EQ(state.Current.Frequency, 14652000);
    EXPECT_EQ(state.Current.Mode, 4);
    EXPECT_FALSE(state.Current.Atten);
    ReadFrequency = 0;
    radio.LoadChannel();
    EXPECT_EQ(Take(), (Codes{8, 10, 3}));
    EXPECT_EQ(state.Current, BlankChannel);
    EXPECT_EQ(state.LastSent, before); // loads, stores and recalls leave it alone

    // OPTO neither stores nor loads.
    settings.Selected().Protocol = ProtoOpto;
    radio.RegisterDriver(ProtoOpto, [this](DriverContext&, int& code) { codes.push_back(code); });
    radio.StoreChannel();
    radio.LoadChannel();
    EXPECT_EQ(Take(), Codes{});
    radio.RecallChannel();
    EXPECT_EQ(Take(), Codes{8});
}

TEST_F(DispatchTest, SignalReadByDetectMethod) {
    ASSERT_EQ(radio.OpenRadio(), 0);
    Take();
    RadioProfile& p = settings.Selected();

    p.Detect = 0;
    state.SignalLevel = 5;
    int64_t start = host.NowMs();
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 5);
    EXPECT_EQ(host.NowMs() - start, 10); // one delay
    EXPECT_EQ(Take(), Codes{});

    p.Detect = 1;
    peer->CdSamples = {true, false, true};
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 9);
    EXPECT_EQ(peer->CdReads, 3);
    peer->CdSamples = {false, false, true};
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 0);
    EXPECT_EQ(peer->CdReads, 5); // two agreeing samples decide

    p.Detect = 2;
    Squelch = 9;
    Meter = 12;
    radio.ReadSignal();
    EXPECT_EQ(Take(), (Codes{5377, 5378}));
    EXPECT_EQ(state.SignalLevel, 11);
    Squelch = 0;
    radio.ReadSignal();
    EXPECT_EQ(Take(), Codes{5377});
    EXPECT_EQ(state.SignalLevel, 0);

    p.Detect = 3;
    peer->CdSamples.clear();
    peer->Carrier = false;
    state.SignalLevel = 7;
    radio.ReadSignal();
    EXPECT_EQ(Take(), Codes{});
    EXPECT_EQ(state.SignalLevel, 0);
    peer->Carrier = true;
    Meter = 3;
    radio.ReadSignal();
    EXPECT_EQ(Take(), Codes{5378});
    EXPECT_EQ(state.SignalLevel, 3);
    state.SignalThreshold = 3;
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 0);
    state.SignalThreshold = 0;
    state.SignalOff = true;
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 0);
    EXPECT_FALSE(p.Busy);
}

TEST_F(DispatchTest, LocalRadioMakesTestValues) {
    RadioProfile& p = settings.Selected();
    p.Protocol = ProtoLocal;
    p.MinFreq = 0;
    ASSERT_EQ(radio.OpenRadio(), 0);
    EXPECT_EQ(lastPort, nullptr); // nothing to open
    EXPECT_EQ(link.StatusCaption(), "Connected");

    radio.Random.seed(42);
    state.CurrentChannel = 13;
    radio.LoadChannel();
    const Channel first = state.Current;
    EXPECT_TRUE(first.Valid);
    EXPECT_EQ(first.Mode, (13 & 7) + 1);
    EXPECT_GE(first.Frequency, 0);
    EXPECT_LT(first.Frequency, 99999999);
    EXPECT_LE(first.Bandwidth, 6);
    EXPECT_LE(first.Agc, 2);
    EXPECT_LE(first.Tone1, 42);
    radio.Random.seed(42);
    radio.LoadChannel();
    EXPECT_EQ(state.Current, first); // repeatable with the same seed

    // Values out of the radio range are refused like a real radio's.
    p.MinFreq = 99999999;
    radio.LoadChannel();
    EXPECT_EQ(state.Current, BlankChannel);
    EXPECT_EQ(CountMessages("Rcvd Frequency out of Radio Range"), 1);

    state.CurrentSearchBank = 10;
    memory.SearchBanks[10].Service = "old";
    radio.LoadSearchBank();
    const Channel& bank = memory.SearchBanks[10];
    EXPECT_TRUE(bank.Valid);
    EXPECT_EQ(bank.Step, 500);
    EXPECT_EQ(bank.Mode, (10 & 7) + 1);
    EXPECT_EQ(bank.Service, "");
    state.CurrentSearchBank = 5000; // no such bank: nothing happens
    radio.LoadSearchBank();

    // Detect 1 without a port reads no carrier.
    p.Detect = 1;
    radio.ReadSignal();
    EXPECT_EQ(state.SignalLevel, 0);
}

TEST_F(DispatchTest, OpenRadioResultsAndStatus) {
    RadioProfile& p = settings.Selected();

    // Answering radio: the ICOM open sequence, connected.
    EXPECT_EQ(radio.OpenRadio(), 0);
    EXPECT_EQ(Take(), (Codes{3, 4, 17, 18}));
    ASSERT_GE(statuses.size(), 2u);
    EXPECT_EQ(statuses[0], std::make_pair(std::string("Connecting To Radio.."), Rgb(0, 0, 255)));
    EXPECT_EQ(statuses.back(), std::make_pair(std::string("Connected"), Rgb(0, 64, 0)));
    EXPECT_EQ(log.Newest(), "3/2/26 4:05:09p : ICOM R7000 Connected");
    EXPECT_EQ(link.RetryCount, 3);
    EXPECT_TRUE(link.PortOpen());
    EXPECT_EQ(lastPort->Settings().Baud, 300);

    // Silent radio: the port opened, the radio did not answer.
    peer->Answer = "";
    p.MinChan = 1;
    const int64_t start = host.NowMs();
    EXPECT_EQ(radio.OpenRadio(), 2);
    EXPECT_EQ(Take(), Codes{3});
    EXPECT_EQ(host.NowMs() - start, 10 * 10); // one try of ten delays
    EXPECT_EQ(state.CurrentChannel, 1);
    EXPECT_EQ(link.StatusCaption(), "Disconnected \r(double click here to retry)");
    EXPECT_EQ(link.StatusColour(), Rgb(255, 0, 0));
    EXPECT_EQ(log.Newest(), "**3/2/26 4:05:09p :ICOM R7000 Not Attached");
    EXPECT_FALSE(link.PortOpen());
    EXPECT_EQ(link.RetryCount, 3);

    // No such device: a box naming the device, disconnected.
    p.Device = "/dev/rigvane-no-such-port";
    EXPECT_EQ(radio.OpenRadio(), 1);
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0].Title, "Com Port Failure");
    EXPECT_EQ(host.Boxes[0].Text, "Com port /dev/rigvane-no-such-port Open Failed!");
    EXPECT_EQ(host.Boxes[0].Icon, MsgIcon::Exclamation);
    EXPECT_EQ(link.StatusCaption(), "Disconnected \r(double click here to retry)");
    p.Device.clear();
    p.Port = 3; // /dev/ttyS2 is not a simulated port
    EXPECT_EQ(radio.OpenRadio(), 1);
    EXPECT_EQ(host.Boxes.back().Text, "Com port 3 Open Failed!");

    // A switched-off simulated radio cannot be opened either.
    p.Device = "sim:line";
    peer->On = false;
    EXPECT_EQ(radio.OpenRadio(), 1);

    // The radio search: no boxes, messages or status, but the result.
    link.LocatingRadio = true;
    const size_t boxes = host.Boxes.size(), changes = statuses.size();
    const std::string newest = log.Newest();
    EXPECT_EQ(radio.OpenRadio(), 1);
    peer->On = true;
    EXPECT_EQ(radio.OpenRadio(), 2);
    EXPECT_TRUE(link.PortOpen()); // left open while locating
    peer->Answer = "OK\r";
    EXPECT_EQ(radio.OpenRadio(), 0);
    EXPECT_EQ(host.Boxes.size(), boxes);
    EXPECT_EQ(log.Newest(), newest);
    EXPECT_EQ(statuses.size(), changes + 3); // only "Connecting To Radio.." each time
    link.LocatingRadio = false;
    Take();

    // No port or LOCAL: nothing opened, connected.
    p.Protocol = ProtoLocal;
    EXPECT_EQ(radio.OpenRadio(), 0);
    EXPECT_FALSE(link.PortOpen());
    p.Protocol = ProtoIcom;
    p.Device.clear();
    p.Port = 0;
    EXPECT_EQ(radio.OpenRadio(), 0);
    EXPECT_FALSE(link.PortOpen());
    EXPECT_EQ(Take(), Codes{});
}

TEST_F(DispatchTest, OpenRadioResetsTheRunTimeState) {
    RadioProfile& p = settings.Selected();
    p.DriverState = 7;
    p.MinChan = 1;
    state.ReplyResidue = "junk";
    state.LastSent.Frequency = 123;
    std::vector<int> retries;
    radio.RegisterDriver(ProtoIcom, [&](DriverContext& ctx, int&) {
        retries.push_back(ctx.Link.RetryCount);
        EXPECT_EQ(ctx.State.LastSent, BlankChannel);
    });
    EXPECT_EQ(radio.OpenRadio(), 0);
    EXPECT_EQ(p.DriverState, 0);
    EXPECT_EQ(state.CurrentChannel, 1);
    EXPECT_EQ(state.ReplyResidue, "");
    EXPECT_EQ(retries, (std::vector<int>{1, 1, 1, 1}));

    // A driver's own open routine replaces the fixed sequence; OPTO's is 127 then 3.
    int opened = 0;
    radio.RegisterDriver(
        ProtoIcom, [&](DriverContext&, int& code) { codes.push_back(code); },
        [&](DriverContext&) { ++opened; });
    EXPECT_EQ(radio.OpenRadio(), 0);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(Take(), Codes{});
    p.Protocol = ProtoOpto;
    radio.RegisterDriver(ProtoOpto, [&](DriverContext&, int& code) { codes.push_back(code); });
    EXPECT_EQ(radio.OpenRadio(), 0);
    EXPECT_EQ(Take(), (Codes{127, 3}));
    EXPECT_EQ(log.Newest(), "3/2/26 4:05:09p : OPTO Connected");
}

TEST_F(DispatchTest, DriverFailureNeverEscapes) {
    radio.RegisterDriver(ProtoIcom, [](DriverContext&, int& code) {
        if (code == 5) throw std::runtime_error("bad reply");
    });
    state.Current.Frequency = 100000;
    state.Current.Mode = 1;
    EXPECT_NO_THROW(radio.ApplyRadioState());
    EXPECT_FALSE(settings.Selected().Busy);
    EXPECT_EQ(state.LastSent, state.Current);
    EXPECT_EQ(CountMessages("bad reply"), 1);
}

} // namespace
} // namespace rigvane::test

namespace rigvane::test {
namespace {

// The dispatch rules of the other families, with a recording driver in place
// of each family's own.
class FamilyDispatchTest : public DispatchTest {
  protected:
    void Use(int protocol) {
        settings.Selected().Protocol = uint8_t(protocol);
        radio.RegisterDriver(protocol, [this](DriverContext& ctx, int& code) {
            codes.push_back(code);
            if (code == 70) ctx.State.SignalLevel = Squelch;
            if (code == 52) ctx.State.SignalLevel = Meter;
        });
    }
};

TEST_F(FamilyDispatchTest, BankSelectionAndFamilyRules) {
    Use(ProtoAor3000);
    state.CurrentChannel = 250;
    state.CurrentBank = 3;
    radio.RecallChannel();
    EXPECT_EQ(Take(), Codes{3});
    state.CurrentBank = 2;
    radio.RecallChannel();
    EXPECT_EQ(Take(), (Codes{1, 3}));
    state.Current.Frequency = 5;
    radio.StoreChannel();
    EXPECT_EQ(Take(), (Codes{1, 3, 5}));
    state.Current.Frequency = 6;
    radio.StoreChannel();
    EXPECT_EQ(Take(), (Codes{1, 0, 2}));

    Use(ProtoKenwood);
    state.Current = BlankChannel;
    state.LastSent = BlankChannel;
    state.Current.Frequency = 14652000;
    radio.ApplyRadioState();
    EXPECT_EQ(Take(), Codes{0});
    state.Current.Atten = true;
    state.Current.Notch = true;
    radio.ApplyRadioState();
    EXPECT_EQ(Take(), Codes{8});
    settings.Selected().ExpCmd = true;
    state.Current.NoiseBlank = 1;
    radio.ApplyRadioState();
    EXPECT_EQ(Take(), Codes{9});

    Use(ProtoBearcat);
    settings.Selected().Detect = 3;
    peer->Carrier = true;
    Squelch = 1;
    Meter = 8;
    ASSERT_EQ(radio.OpenRadio(), 0);
    Take();
    radio.ReadSignal();
    EXPECT_EQ(Take(), (Codes{70, 52}));
    EXPECT_EQ(state.SignalLevel, 8);
    state.LastSent.Frequency = 15000000;
    radio.ReadRadioState();
    EXPECT_EQ(Take(), Codes{50});
    EXPECT_EQ(state.Current.Frequency, 15000000); // the driver parses into LastSent
    settings.Selected().Memory = true;
    radio.OperatingMode = 1;
    radio.ReadRadioState();
    EXPECT_EQ(Take(), Codes{51});
    radio.SetLight();
    EXPECT_EQ(Take(), Codes{77});
    state.Current.Trunked = true;
    radio.StoreChannel();
    EXPECT_EQ(Take(), (Codes{2, 103}));

    // The radio test walks every letter pair, with "00" in place of "AC".
    std::vector<std::string> words;
    radio.RegisterDriver(ProtoBearcat, [&](DriverContext& ctx, int& code) {
        EXPECT_EQ(code, 78);
        words.push_back(ctx.State.RawCommand);
    });
    radio.RadioTest();
    ASSERT_EQ(words.size(), 26u * 26u);
    EXPECT_EQ(words[0], "AA");
    EXPECT_EQ(words[2], "00");
    EXPECT_EQ(words.back(), "ZZ");
    EXPECT_EQ(log.History()[0], "3/2/26 4:05:09p :Ending Radio Testing...");
    EXPECT_EQ(log.History()[1], "3/2/26 4:05:09p :Starting Radio Testing...");
}

TEST_F(FamilyDispatchTest, TrunkBankTransferStopsWhenCancelled) {
    Progress progress;
    std::vector<std::string> shown;
    progress.OnShow = [&](const std::string& action) { shown.push_back(action); };
    progress.OnUpdate = [&](int, const std::string& text) { shown.push_back(text); };
    progress.OnHide = [&] { shown.push_back("hidden"); };
    radio.TrunkProgress = &progress;

    Use(ProtoIcom); // not a Bearcat: nothing
    radio.LoadTrunkBank();
    EXPECT_TRUE(shown.empty());

    Use(ProtoBearcat);
    std::vector<std::pair<int, bool>> banks;
    radio.RegisterTrunkIds(ProtoBearcat, [&](DriverContext& ctx, int idBank, bool write) {
        banks.push_back({idBank, write});
        EXPECT_TRUE(ctx.Profile.Busy);
        if (idBank == 3) progress.Cancel = true;
        EXPECT_EQ(ctx.Cancelled(), idBank == 3);
    });
    progress.Cancel = true; // left over from an earlier operation
    radio.SetTrunkBank();
    EXPECT_EQ(banks, (std::vector<std::pair<int, bool>>{{1, true}, {2, true}, {3, true}}));
    EXPECT_EQ(shown, (std::vector<std::string>{"Setting Trunk Bank", "01", "02", "03", "hidden"}));
    EXPECT_FALSE(settings.Selected().Busy);

    banks.clear();
    radio.RegisterTrunkIds(ProtoBearcat, [&](DriverContext&, int idBank, bool write) {
        banks.push_back({idBank, write});
    });
    radio.LoadTrunkBank();
    ASSERT_EQ(banks.size(), 10u);
    EXPECT_EQ(banks.back(), std::make_pair(10, false));
}

} // namespace
} // namespace rigvane::test
