// The AOR AR8000 and AR5000 drivers against their simulated radios.
#include <gtest/gtest.h>

#include <tuple>

#include "core/Text.h"
#include "drivers/AorFixture.h"

namespace rigvane::test {
namespace {

TEST(AorDriver, TuningLinesCarryTheStepInHertzAndOnlyChangedExtras) {
    AorLink r8(true);
    ASSERT_TRUE(r8.Open());
    r8.Want("0145.00000", 2);
    r8.radio.ApplyRadioState();
    EXPECT_EQ(r8.LastLine(), "VA0145000000 ST005000 AU0 MD1 AT0 ");
    EXPECT_EQ(r8.sim->Vfos[0].FrequencyHz, 145000000);
    EXPECT_EQ(r8.sim->Vfos[0].StepHz, 5000);
    // Mode 10 has no AR8000 digit: it sends 0, never an index past the table.
    r8.Want("0433.50000", 10, 1250);
    r8.radio.ApplyRadioState();
    EXPECT_EQ(r8.LastLine(), "VA0433500000 ST012500 AU0 MD0 AT0 ");

    AorLink r5(false);
    ASSERT_TRUE(r5.Open());
    r5.Want("0145.00000", 4);
    r5.Current().Atten = true;
    r5.Current().Agc = 1;
    r5.Current().Bandwidth = 9;
    r5.radio.ApplyRadioState();
    EXPECT_EQ(r5.LastLine(), "VA0145000000 ST005000 AU0 MD1 AT1 AC2 BW6 ");
    EXPECT_EQ(r5.Current().Bandwidth, 6);
    EXPECT_EQ(r5.sim->Bandwidth, 6);
    EXPECT_EQ(r5.sim->Agc, '2');
    r5.radio.ApplyRadioState(); // nothing else changed: no extras
    EXPECT_EQ(r5.LastLine(), "VA0145000000 ST005000 AU0 MD1 ");
    r5.Current().Antenna = 2;
    r5.radio.ApplyRadioState();
    EXPECT_EQ(r5.LastLine(), "VA0145000000 ST005000 AU0 MD1 AN2 ");
}

TEST(AorDriver, ToneLineFollowsTuningOnlyWhenItChangesWithExpCmds) {
    AorLink r(true);
    ASSERT_TRUE(r.Open());
    r.Profile().ExpCmd = true;
    r.Want("0145.00000", 2);
    r.Current().Notch = true;
    r.Current().Tone1 = 19; // 19 AND 15 = 3
    r.radio.ApplyRadioState();
    ASSERT_GE(r.sim->Commands.size(), 2u);
    EXPECT_EQ(r.sim->Commands[r.sim->Commands.size() - 2], "SC03");
    EXPECT_EQ(r.LastLine(), "SI1 ");
    EXPECT_TRUE(r.sim->ToneOn);
    EXPECT_EQ(r.sim->ToneCode, 3);
    const size_t before = r.sim->Commands.size();
    r.radio.ApplyRadioState();
    EXPECT_EQ(r.sim->Commands.size(), before + 1); // the tuning line only
}

TEST(AorDriver, MemoriesRoundTripOnBothModels) {
    AorLink r8(true);
    ASSERT_TRUE(r8.Open());
    r8.state.CurrentChannel = 5;
    r8.Want("0145.12500", 4);
    r8.Current().Valid = true;
    r8.Current().Atten = true;
    r8.Current().Service = "REPEATER";
    r8.radio.StoreChannel();
    EXPECT_EQ(r8.LastLine(), "MXA05 MP0 RF0145125000 ST000050 MD2 AT1 TMREPEATE ");
    EXPECT_EQ(r8.sim->Memories[5].FrequencyHz, 145125000);
    r8.radio.LoadChannel();
    EXPECT_EQ(r8.Current().Frequency, 14512500);
    EXPECT_EQ(r8.Current().Service, "REPEATE");
    EXPECT_EQ(r8.Current().Mode, 4); // AM comes back as AM
    EXPECT_TRUE(r8.Current().Atten);
    EXPECT_TRUE(r8.Current().Valid);

    // Channel 75 is bank "a", place 25; clearing writes 100 kHz, then MQ.
    r8.state.CurrentChannel = 75;
    r8.sim->Memories[75].FrequencyHz = 155000000;
    r8.Current() = MakeBlankChannel();
    r8.radio.StoreChannel();
    const auto& cmds = r8.sim->Commands;
    ASSERT_GE(cmds.size(), 2u);
    EXPECT_EQ(cmds[cmds.size() - 2], "MXa25 MP0 RF0000100000 ST000050 MD0 AT0 ");
    EXPECT_EQ(cmds.back(), "    MQ ");
    EXPECT_EQ(r8.sim->Memories[75].FrequencyHz, 0);
    r8.radio.LoadChannel(); // the radio answers "--": nothing there
    EXPECT_EQ(r8.Current().Frequency, 0);

    AorLink r5(false);
    ASSERT_TRUE(r5.Open());
    r5.state.CurrentChannel = 5;
    r5.Want("0145.12500", 6);
    r5.Current().Valid = true;
    r5.Current().Bandwidth = 2;
    r5.Current().Service = "REPEATER";
    r5.radio.StoreChannel();
    // The AR5000 line runs " MP0" and "RF" together; the radio takes it.
    EXPECT_EQ(r5.LastLine(), "MX005 MP0RF0145125000 ST000050 MD3 AT0 AN1 BW2 TMREPEATE ");
    r5.radio.LoadChannel();
    EXPECT_EQ(r5.Current().Frequency, 14512500);
    EXPECT_EQ(r5.Current().Mode, 6); // USB back through the reverse table
    EXPECT_EQ(r5.Current().Bandwidth, 2);
    r5.Current() = MakeBlankChannel();
    r5.radio.StoreChannel();
    EXPECT_EQ(r5.sim->Commands[r5.sim->Commands.size() - 2],
              "MX005MP0 RF0000100000 ST000050 MD0 AT0 ");
    EXPECT_EQ(r5.sim->Memories[5].FrequencyHz, 0);
}

TEST(AorDriver, ChannelOutsideTheRadioAndAnswersForAnotherChannel) {
    AorLink r(true);
    ASSERT_TRUE(r.Open());
    const size_t before = r.sim->Commands.size();
    for (int16_t ch : {int16_t(1000), int16_t(-1)}) {
        r.state.CurrentChannel = ch;
        r.Want("0145.00000", 2);
        r.radio.StoreChannel();
        r.radio.RecallChannel();
    }
    EXPECT_EQ(r.sim->Commands.size(), before); // nothing sent
    EXPECT_EQ(r.CountMessages("AOR8000 has no memory channel 1000"), 2);

    // Reading channel 7 while the radio answers for channel 8: nothing read.
    r.sim->Memories[7].FrequencyHz = 146000000;
    r.state.CurrentChannel = 7;
    r.sim->CannedAnswers = {"MXA08 MP0 RF0146000000 ST000050 AU0 MD1 AT0 TMOTHER  "};
    r.radio.LoadChannel();
    EXPECT_EQ(r.Current().Frequency, 0);
    EXPECT_EQ(r.Current().Service, "");
}

TEST(AorDriver, SignalFromTheSquelchAndLevel) {
    EXPECT_EQ(AorSignalLevel("A3"), 0);  // bit 7: squelch closed
    EXPECT_EQ(AorSignalLevel("1E"), 11); // 30 / 3 + 1
    EXPECT_EQ(AorSignalLevel("7F"), 13); // 43, capped
    EXPECT_EQ(AorSignalLevel("1"), -1);
    EXPECT_EQ(AorSignalLevel("G0"), -1);

    AorLink r(true);
    r.sim->Schedule.Parse("146.52 7\n", nullptr);
    ASSERT_TRUE(r.Open());
    // A garbled reading and a refusal are no signal, never the last level.
    r.Want("0146.52000", 2);
    r.radio.ApplyRadioState();
    r.sim->CannedAnswers = {"LMzz"};
    r.radio.ReadSignal();
    EXPECT_EQ(r.state.SignalLevel, 0);
    r.sim->CannedAnswers = {"?", "?"};
    r.radio.ReadSignal();
    r.radio.ReadSignal();
    EXPECT_EQ(r.state.SignalLevel, 0);
    EXPECT_EQ(r.CountMessages("AOR8000 refused signal request"), 1); // once
    r.radio.ReadSignal();
    EXPECT_EQ(r.state.SignalLevel, 7);
    EXPECT_FALSE(r.state.SignalRefusalShown);

    // A frequency the radio cannot tune to: refused, and the radio stays.
    r.Want("3500.00000", 2);
    r.radio.ApplyRadioState();
    EXPECT_TRUE(r.state.TuneRefused);
    EXPECT_EQ(r.sim->Vfos[0].FrequencyHz, 146520000);
    r.Want("0146.54000", 2);
    r.radio.ApplyRadioState();
    EXPECT_FALSE(r.state.TuneRefused);
}

TEST(AorDriver, SearchBanksRoundTripAndStayInsideTheTable) {
    AorLink r(true);
    ASSERT_TRUE(r.Open());
    r.state.CurrentSearchBank = 0;
    Channel& bank = r.memory.SearchBanks[0];
    bank.Lower = TextToFreq("145.0");
    bank.Upper = TextToFreq("146.0");
    bank.Step = 1250;
    bank.Mode = 2;
    bank.Service = "Two m";
    r.radio.StoreSearchBank();
    EXPECT_EQ(r.LastLine(), "SEA SL0145000000 SU0146000000 ST012500 AU1 MD1 AT0 TTTwo m   ");
    r.radio.LoadSearchBank();
    EXPECT_EQ(bank.Lower, 14500000);
    EXPECT_EQ(bank.Upper, 14600000);
    EXPECT_EQ(bank.Step, 1250);
    EXPECT_EQ(bank.Service, "Two m");
    EXPECT_TRUE(bank.Valid);

    // Bank 12 is "c"; the SR token of the asked bank does not end the read.
    r.state.CurrentSearchBank = 12;
    r.memory.SearchBanks[12] = bank;
    r.radio.StoreSearchBank();
    EXPECT_EQ(r.LastLine().substr(0, 4), "SEc ");
    r.radio.LoadSearchBank();
    EXPECT_EQ(r.memory.SearchBanks[12].Upper, 14600000);

    // The AR8000 has banks 0..19 only; an SR token of no bank moves nothing.
    const size_t before = r.sim->Commands.size();
    r.state.CurrentSearchBank = 20;
    r.radio.LoadSearchBank();
    r.radio.StoreSearchBank();
    EXPECT_EQ(r.sim->Commands.size(), before);
    r.state.CurrentSearchBank = 3;
    r.sim->CannedAnswers = {"SRK VA0145000000 AT0"};
    r.radio.ReadRadioState();
    EXPECT_EQ(r.state.CurrentSearchBank, 3);
    r.sim->CannedAnswers = {"SRc VA0145000000 AT0"};
    r.radio.ReadRadioState();
    EXPECT_EQ(r.state.CurrentSearchBank, 12);

    AorLink r5(false);
    ASSERT_TRUE(r5.Open());
    r5.state.CurrentSearchBank = 5;
    r5.memory.SearchBanks[5] = bank;
    r5.memory.SearchBanks[5].Mode = 4;
    r5.radio.StoreSearchBank();
    EXPECT_EQ(r5.LastLine(), "SE05 SL0145000000 SU0146000000 ST012500 AU1 MD1 TTTwo m   ");
    r5.radio.LoadSearchBank();
    EXPECT_EQ(r5.memory.SearchBanks[5].Mode, 4); // AM both ways
    EXPECT_EQ(r5.memory.SearchBanks[5].Lower, 14500000);
}

TEST(AorDriver, SilenceAndRefusalLeaveTheStateAlone) {
    AorLink r(true);
    ASSERT_TRUE(r.Open());
    r.Want("0145.00000", 2);
    r.radio.ApplyRadioState();

    // Three empty answers: the read gives up and Current stays as it was.
    r.sim->PoweredOn = false;
    r.Current().Frequency = 12345670;
    r.radio.ReadRadioState();
    EXPECT_EQ(r.Current().Frequency, 12345670);
    EXPECT_EQ(r.CountMessages("Radio not responding"), 1);

    // A memory write waits 150 ms per poll, and Timeout comes back even
    // though the radio never answered.
    const int64_t start = r.host.NowMs();
    r.state.CurrentChannel = 3;
    r.radio.StoreChannel();
    EXPECT_EQ(r.Profile().Timeout, 30);
    EXPECT_GE(r.host.NowMs() - start, 3 * 10 * 150);
    r.sim->PoweredOn = true;

    // A refused write is reported, not taken as done.
    r.sim->CannedAnswers = {"?"};
    r.radio.StoreChannel();
    EXPECT_EQ(r.CountMessages("AOR8000 refused MXA03"), 1);
}

TEST(AorDriver, MemoryScanReadsTheChannelTheScanChose) {
    AorLink r(true);
    ASSERT_TRUE(r.Open());
    r.Profile().Memory = true;
    r.radio.OperatingMode = 1;
    r.sim->Memories[60] = {151820000, 50, 1, false, false, "GMRS", 1, 0};
    r.state.CurrentChannel = 60;
    r.state.LastSent.ChannelNo = 0;
    r.radio.ReadRadioState();
    EXPECT_EQ(r.LastLine(), "MRa10 ");
    EXPECT_EQ(r.Current().Frequency, 15182000);
    EXPECT_EQ(r.Current().Service, "GMRS");
}

TEST(AorDriver, SettingsBlockRoundTripsAndShortRepliesAreHarmless) {
    AorLink r(true);
    ASSERT_TRUE(r.Open());
    DriverContext ctx = r.Context();
    Aor8000Settings s;
    s.ScanLinks[0] = s.ScanLinks[11] = 1;
    s.SearchLinks[19] = 1;
    s.Ml = true;
    s.Pa = 45;
    s.Pi = 7;
    s.Sa = true;
    s.Sb = 3;
    s.Sd = 2.5;
    s.Sp = 12;
    s.Ti = 19;
    s.Xa = true;
    s.Xb = 5;
    s.Xd = 0.7;
    s.Xm = 6;
    s.Xp = 4;
    int lastPercent = 0;
    EXPECT_TRUE(Aor8000().WriteSettings(ctx, s, [&](int p) { lastPercent = p; }));
    EXPECT_EQ(lastPercent, 100);
    bool sawSd = false;
    for (const std::string& c : r.sim->Commands)
        sawSd = sawSd || c == "SD2.5 ";
    EXPECT_TRUE(sawSd);
    EXPECT_EQ(r.sim->Xm, 6);

    Aor8000Settings back;
    r.sim->Bq = true;
    Aor8000().ReadSettings(ctx, back);
    auto fields = [](const Aor8000Settings& x) {
        return std::make_tuple(x.ScanLinks, x.SearchLinks, x.Ml, x.Pa, x.Pi, x.Sa, x.Sb, x.Sp, x.Ti,
                               x.Xa, x.Xb, x.Xm, x.Xp);
    };
    EXPECT_EQ(fields(back), fields(s));
    EXPECT_TRUE(back.Bq);
    EXPECT_DOUBLE_EQ(back.Sd, 2.5);
    EXPECT_DOUBLE_EQ(back.Xd, 0.7);

    // A BM reply shorter than the 20 places sets what it carries only;
    // values out of range fall back.
    Aor8000Settings part;
    part.ScanLinks.fill(1);
    r.sim->CannedAnswers = {"BMA-c", "BMA-c", "BMA-c"};
    Aor8000().Perform(ctx, AorReadScanLinks, &part);
    EXPECT_EQ(part.ScanLinks[0], 1);
    EXPECT_EQ(part.ScanLinks[1], 0);
    EXPECT_EQ(part.ScanLinks[2], 1);
    EXPECT_EQ(part.ScanLinks[3], 1); // untouched
    r.sim->CannedAnswers = {"PI1 SD12.5 XM9 PA100", "", ""};
    Aor8000().Perform(ctx, 58, &part);
    EXPECT_EQ(part.Pi, 2);
    EXPECT_EQ(part.Sd, 0);
    EXPECT_EQ(part.Xm, 0);
    EXPECT_EQ(part.Pa, 0);

    // A silent radio: every setting 0, PI 2; the write stops at once.
    r.sim->PoweredOn = false;
    Aor8000().ReadSettings(ctx, back);
    EXPECT_EQ(back.Pa, 0);
    EXPECT_EQ(back.Pi, 2);
    EXPECT_EQ(back.ScanLinks, Aor8000Settings{}.ScanLinks);
    EXPECT_FALSE(Aor8000().WriteSettings(ctx, s));
}

} // namespace
} // namespace rigvane::test
