// The memory scan and the frequency search against the simulated ICOM radio.
#include "EngineFixture.h"

namespace rigvane::test {
namespace {

// Records the channels the scan visits (the channel display of a visit).
std::vector<int>& RecordVisits(EngineRig& r, std::vector<int>& visits) {
    r.view.OnDisplayChannel = [&r, &visits] {
        if (r.S().Mode == ModeScan && !r.S().PriorityCheck)
            visits.push_back(r.app.radioState.CurrentChannel);
    };
    return visits;
}

// Records the frequencies the search tunes to.
std::vector<int32_t>& RecordTuning(EngineRig& r, std::vector<int32_t>& tuned) {
    r.view.OnDisplayVfo = [&r, &tuned] {
        if (r.S().Mode == ModeSearch) tuned.push_back(r.app.radioState.Current.Frequency);
    };
    return tuned;
}

TEST(MemoryScan, FewerThanTwoChannelsOrNoBankStopTheScan) {
    {
        EngineRig r;
        r.SetChannel(7, 145.0);
        std::vector<int> visits;
        RecordVisits(r, visits);
        r.engine->RequestMode(ModeScan);
        r.RunUntil([&] { return r.S().Mode == ModeManual; }, 10000);
        EXPECT_EQ(visits, std::vector<int>{7});
        ASSERT_EQ(r.host.Boxes.size(), 1u);
        EXPECT_EQ(r.host.Boxes[0].Title, "No Channels");
        EXPECT_EQ(r.host.Boxes[0].Text, "Must have at least 2 valid channels! Scan Terminated!");
        EXPECT_EQ(r.host.Boxes[0].Icon, MsgIcon::Exclamation);
        EXPECT_EQ(r.view.ModeButtons.back(), ModeManual);
    }
    {
        EngineRig r;
        r.SetChannel(7, 145.0);
        r.SetChannel(8, 146.0);
        r.G().UseBanks = true; // every bank disabled
        r.engine->RequestMode(ModeScan);
        r.RunUntil([&] { return r.S().Mode == ModeManual; }, 10000);
        ASSERT_EQ(r.host.Boxes.size(), 1u);
        EXPECT_EQ(r.host.Boxes[0].Title, "No Banks");
        EXPECT_EQ(r.host.Boxes[0].Text, "Must have at least 1 valid bank! Scan Terminated!");
        for (const auto& c : r.sim->Commands)
            EXPECT_NE(c[0], '\x05'); // nothing was tuned
    }
    {
        // No valid channel at all, starting mid-way: the scan keeps going,
        // waiting rather than spinning, until the mode changes.
        EngineRig r;
        r.app.radioState.CurrentChannel = 500;
        r.engine->RequestMode(ModeScan);
        const int yields = r.host.Yields;
        r.RunFor(5000);
        EXPECT_TRUE(r.host.Boxes.empty());
        EXPECT_LT(r.host.Yields - yields, 5000);
    }
}

TEST(MemoryScan, BanksGiveOrderAndDirectionAndTrunkedChannelsAreSkipped) {
    EngineRig r;
    for (int n = 5; n <= 25; ++n)
        r.SetChannel(n, 140 + n * 0.1);
    r.app.memory.ScanBanks[3] = r.app.memory.ScanBanks[0];
    Channel& bank = r.app.memory.ScanBanks[3];
    bank.Valid = true;
    bank.Lower = 20;
    bank.Upper = 10;
    r.Ch(15).Trunked = true;
    r.Ch(17).Frequency = 0; // valid but empty: stepped over
    r.G().UseBanks = true;
    r.S().Bank = 3;
    r.app.radioState.CurrentChannel = 20;
    std::vector<int> visits;
    RecordVisits(r, visits);
    r.engine->RequestMode(ModeScan);
    r.RunUntil([&] { return visits.size() >= 11; }, 60000);
    const std::vector<int> expected = {20, 19, 18, 16, 14, 13, 12, 11, 10, 20, 19};
    EXPECT_EQ(visits, expected);
    EXPECT_EQ(r.S().ScanDirection, -1);
    EXPECT_EQ(r.view.BankLabels.back(), 3);

    // "Scan Trunk Freqs" on: the trunked channel is visited too.
    visits.clear();
    r.G().TrnkSMode = true;
    r.app.radioState.CurrentChannel = 16;
    r.engine->RequestMode(ModeScan);
    r.RunUntil([&] { return visits.size() >= 3; }, 60000);
    EXPECT_EQ(visits, (std::vector<int>{16, 15, 14}));
}

TEST(MemoryScan, WrapsAtTheEndsOfTheComputersAndTheRadiosMemories) {
    EngineRig r;
    r.SetChannel(3, 145.0);
    r.SetChannel(990, 146.0);
    std::vector<int> visits;
    RecordVisits(r, visits);
    r.app.radioState.CurrentChannel = 990;
    r.engine->RequestMode(ModeScan);
    r.RunUntil([&] { return visits.size() >= 3; }, 60000);
    EXPECT_EQ(visits, (std::vector<int>{990, 3, 990}));

    // The radio's memories 1..200, scanning down from 1: next is 200.
    visits.clear();
    r.Ch(3) = MakeBlankChannel();
    r.Ch(990) = MakeBlankChannel();
    RadioProfile& p = r.Profile();
    p.Memory = true;
    p.MinChan = 1;
    p.MaxChan = 200;
    for (int n : {1, 50, 200}) {
        r.SetChannel(n, 150 + n * 0.01);
        r.sim->Memories[n] = {int64_t(150000000 + n * 10000), 0x05, 1};
    }
    r.S().ScanDirection = -1;
    r.app.radioState.CurrentChannel = 1;
    r.engine->RequestMode(ModeScan);
    r.RunUntil([&] { return visits.size() >= 4; }, 60000);
    EXPECT_EQ(visits, (std::vector<int>{1, 200, 50, 1}));
    EXPECT_TRUE(r.sim->MemoryMode);
    EXPECT_EQ(r.sim->SelectedChannel, 1);
}

// Two channels whose attenuator differs, on a line slow enough that an
// acknowledgement arrives after its command's wait: no answer is taken by a
// later command, so the silent channel never gets a hit.
TEST(MemoryScan, AnAcknowledgementNeverAnswersALaterCommand) {
    EngineRig r;
    r.BaudRate = 19200;
    r.LatencyMs = 4;
    r.Profile().Timeout = 2;
    r.app.radio.OpenRadio();
    r.SetChannel(1, 146.0);
    r.Ch(1).Atten = true;
    r.SetChannel(2, 147.0);
    r.Active(146.0, 8);
    r.G().SigRsm = 1;
    r.G().RsmTime = 1;
    r.engine->RequestMode(ModeScan);
    r.RunFor(6000);
    EXPECT_GT(r.HitLines(1), 0);
    EXPECT_EQ(r.HitLines(2), 0);
    EXPECT_EQ(r.Messages("Radio responding again"), 0);
    EXPECT_EQ(r.Messages("Radio not responding"), 0);
}

// Channels 1 and 3 lie below the radio's range; the radio stays on the busy
// 146.000 MHz of channel 2. Only channel 2 is ever listened to, and each
// refused channel is reported once, not on every round.
TEST(MemoryScan, AChannelTheRadioRefusesIsNotListenedTo) {
    EngineRig r;
    r.Profile().Timeout = 20;
    r.SetChannel(1, 0.05);
    r.SetChannel(2, 146.0);
    r.SetChannel(3, 0.06);
    r.Active(146.0, 6);
    r.G().SigRsm = 1;
    r.G().RsmTime = 1;
    r.engine->RequestMode(ModeScan);
    r.RunFor(6000);
    EXPECT_EQ(r.HitLines(1), 0);
    EXPECT_EQ(r.Ch(1).Count, 0);
    EXPECT_GT(r.HitLines(2), 1);
    EXPECT_EQ(r.HitLines(3), 0);
    EXPECT_EQ(r.Messages("Radio refused channel 001 (0000.05000): not listened to"), 1);
    EXPECT_EQ(r.Messages("Radio refused channel 003 (0000.06000): not listened to"), 1);
}

TEST(FrequencySearch, BanksAreSearchedFromLowerTowardsUpperThenTheNextBank) {
    EngineRig r;
    Memory& mem = r.app.memory;
    r.G().UseBanks = true;
    // Bank 2: 146 MHz down to 144 MHz in 25 kHz steps.
    Channel& down = mem.SearchBanks[2];
    down.Valid = true;
    down.Lower = 14600000;
    down.Upper = 14400000;
    down.Step = 2500;
    down.Mode = 2;
    // Bank 5: 118.000 .. 118.010 in 4 kHz steps: the third step overshoots.
    Channel& over = mem.SearchBanks[5];
    over.Valid = true;
    over.Lower = 11800000;
    over.Upper = 11801000;
    over.Step = 400;
    over.Mode = 1;
    r.S().Bank = 2;
    r.app.radioState.Current.Frequency = 14600000;
    std::vector<int32_t> tuned;
    RecordTuning(r, tuned);
    r.engine->RequestMode(ModeSearch);
    r.RunUntil([&] { return tuned.size() >= 81 + 3 + 1; }, 600000);
    ASSERT_GE(tuned.size(), 85u);
    for (int i = 0; i <= 80; ++i)
        EXPECT_EQ(tuned[i], 14600000 - i * 2500) << i;
    EXPECT_EQ(tuned[81], 11800000);
    EXPECT_EQ(tuned[82], 11800400);
    EXPECT_EQ(tuned[83], 11800800);
    EXPECT_EQ(tuned[84], 14600000);                   // past bank 5: round to bank 2 again
    EXPECT_EQ(r.Messages("Starting Search Mode"), 2); // the request's and the search's
    EXPECT_EQ(r.sim->ModeByte, 0x05);                 // the bank's modulation reached the radio
}

TEST(FrequencySearch, NoBankInTheRadiosRangeEndsTheSearch) {
    for (bool anyEnabled : {false, true}) {
        EngineRig r;
        r.G().UseBanks = true;
        r.Profile().MaxFreq = 20000000;
        if (anyEnabled) {
            Channel& b = r.app.memory.SearchBanks[40];
            b.Valid = true;
            b.Lower = 43000000; // above the radio
            b.Upper = 44000000;
            b.Step = 2500;
        }
        r.engine->RequestMode(ModeSearch);
        r.RunUntil([&] { return r.S().Mode == ModeManual; }, 10000);
        ASSERT_EQ(r.host.Boxes.size(), 1u);
        EXPECT_EQ(r.host.Boxes[0].Title, "No Banks");
        EXPECT_EQ(r.host.Boxes[0].Text, "No Banks within range of Radio.\rSearch Terminated!");
        EXPECT_EQ(r.view.ModeButtons.back(), ModeManual);
    }
}

TEST(FrequencySearch, WithoutBanksTheScaleWraps) {
    EngineRig r;
    RadioState& rs = r.app.radioState;
    rs.Current.Frequency = 0;
    rs.Current.Step = 500;
    r.S().SearchDirection = -1;
    std::vector<int32_t> tuned;
    RecordTuning(r, tuned);
    r.engine->RequestMode(ModeSearch);
    r.RunUntil([&] { return tuned.size() >= 3; }, 60000);
    EXPECT_EQ(tuned, (std::vector<int32_t>{0, 999999999, 999999499}));
}

// The radio sits on a busy 146.000 MHz and refuses everything below 100 kHz.
// A search from 0 Hz without banks must not take that signal for hits on
// the refused frequencies; the refusals are reported once.
TEST(FrequencySearch, AFrequencyTheRadioRefusesIsNotListenedTo) {
    EngineRig r;
    r.LatencyMs = 10; // every exchange takes time, as on a real line
    r.Profile().Timeout = 20;
    r.app.radio.OpenRadio();
    r.sim->FrequencyHz = 146000000;
    r.Active(146.0, 6);
    r.SetChannel(1, 146.0);
    RadioState& rs = r.app.radioState;
    rs.Current.Frequency = 0;
    rs.Current.Mode = 1;
    rs.Current.Step = 500;
    r.engine->RequestMode(ModeSearch);
    r.RunFor(7000);
    for (int n = 2; n < ChannelCount; ++n)
        ASSERT_EQ(r.Ch(n).Frequency, 0) << n;
    EXPECT_EQ(r.Ch(1).Count, 0);
    EXPECT_EQ(r.Messages(":CH "), 0);
    EXPECT_EQ(r.Messages("Radio refused frequency 0000.00500: not listened to"), 1);
    EXPECT_EQ(r.Messages("Radio refused"), 1);
    EXPECT_GT(r.sim->FrequencyHz, 100000); // it went on past the refusals
    EXPECT_LT(r.sim->FrequencyHz, 140000000);
}

TEST(FrequencySearch, WithoutBanksTheSearchStaysInTheRadiosRange) {
    EngineRig r;
    r.Profile().MinFreq = 14600000;
    r.Profile().MaxFreq = 14602000;
    RadioState& rs = r.app.radioState;
    rs.Current.Frequency = 0;
    rs.Current.Mode = 1;
    rs.Current.Step = 1000;
    std::vector<int32_t> tuned;
    RecordTuning(r, tuned);
    r.engine->RequestMode(ModeSearch);
    r.RunUntil([&] { return tuned.size() >= 5; }, 60000);
    EXPECT_EQ(tuned, (std::vector<int32_t>{14600000, 14601000, 14602000, 14600000, 14601000}));
}

// A search over 146.50 .. 146.56 MHz in 10 kHz steps with a signal on
// 146.52 MHz for the first two seconds and on 146.54 MHz for four.
struct SearchHits : EngineRig {
    SearchHits() {
        LatencyMs = 10; // every exchange takes one pacing delay
        Profile().Timeout = 20;
        app.radio.OpenRadio();
        G().UseBanks = true;
        Channel& b = app.memory.SearchBanks[0];
        b.Valid = true;
        b.Lower = 14650000;
        b.Upper = 14656000;
        b.Step = 1000;
        b.Mode = 2;
        app.radioState.Current.Frequency = 14650000;
        Active(146.52, 6, 2, 1000);
        Active(146.54, 8, 4, 1000);
    }
    void Search() {
        engine->RequestMode(ModeSearch);
        RunFor(6000);
    }
};

TEST(FrequencySearch, HitsCountOnKnownChannelsAndFillTheLowestEmptyOnes) {
    SearchHits r;
    r.SetChannel(7, 146.52);
    r.SetChannel(1, 100.0);
    r.Search();
    EXPECT_EQ(r.Ch(7).Count, 1);
    EXPECT_EQ(r.Ch(0).Frequency, 0); // channel 0 is never used
    EXPECT_EQ(r.Ch(1).Frequency, 10000000);
    EXPECT_EQ(r.Ch(2).Frequency, 14654000);
    EXPECT_TRUE(r.Ch(2).Valid);
    EXPECT_EQ(r.Ch(2).Count, 1);
    EXPECT_EQ(r.Ch(2).Signal, 8);
    EXPECT_NE(r.Ch(2).TimeStamp, 0);
    EXPECT_EQ(r.Ch(3).Frequency, 0);
    EXPECT_EQ(r.HitLines(7), 1);
    EXPECT_EQ(r.HitLines(2), 1);
}

TEST(FrequencySearch, DontUpdateMemoryAndFullMemoryStoreNothing) {
    {
        SearchHits r;
        r.G().NoLog = true;
        r.Search();
        for (int n = 0; n < ChannelCount; ++n)
            ASSERT_EQ(r.Ch(n), MakeBlankChannel()) << n;
        EXPECT_EQ(r.Messages(":CH 000 0146.52000 "), 1); // shown all the same
        EXPECT_EQ(r.Messages(":CH 000 0146.54000 "), 1);
        EXPECT_FALSE(r.app.memory.MemoryEdited);
    }
    {
        SearchHits r;
        for (int n = 1; n < ChannelCount; ++n)
            r.SetChannel(n, 30 + n * 0.01);
        const Memory before = r.app.memory;
        r.Search();
        EXPECT_EQ(r.Messages("Cannot log frequency! No more channels!"), 2);
        for (int n = 0; n < ChannelCount; ++n)
            ASSERT_EQ(r.Ch(n), before.Channels[n]) << n;
        // The search went on past both signals to the end of the bank.
        EXPECT_GE(r.Count(std::string("\x05\x00\x00\x56\x46\x01", 6)), 1);
    }
}

// With "Don't Update Memory" on, a search hit has no channel; the "Resume"
// box still lets go of a steady carrier, so the search comes round to it again.
TEST(FrequencySearch, ResumeLetsGoOfAHitWithoutAChannel) {
    SearchHits r;
    r.sim->Schedule.Entries.clear();
    r.Active(146.52, 6);
    r.G().NoLog = true;
    r.G().SigRsm = 1;
    r.G().RsmTime = 1;
    r.engine->RequestMode(ModeSearch);
    r.RunFor(8000);
    EXPECT_GE(r.Messages(":CH 000 0146.52000 "), 3);
    EXPECT_EQ(r.Ch(0), MakeBlankChannel());
}

} // namespace
} // namespace rigvane::test
