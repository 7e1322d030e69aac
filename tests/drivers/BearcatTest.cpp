// The Bearcat driver against the simulated BC245XLT, BC780XLT and BC895XLT.
#include <gtest/gtest.h>

#include "drivers/UnidenFixture.h"

namespace rigvane::test {
namespace {

struct Scanner {
    const char* Sim;
    uint8_t Model;
};
const Scanner Scanners[] = {{"bearcat-bc245", 0}, {"bearcat-bc780", 1}, {"bearcat-bc895", 2}};

TEST(BearcatDriver, EachModelGetsOnlyTheCommandsItKnows) {
    for (const Scanner& s : Scanners) {
        SCOPED_TRACE(s.Sim);
        UnidenLink u(s.Sim, ProtoBearcat, s.Model);
        RadioDriver& d = u.Driver();
        DriverContext ctx = u.Context();
        u.settings.Global.CtcsMode = true;
        u.state.Current = MakeBlankChannel();
        u.state.Current.Frequency = 14512500;
        u.state.Current.Mode = 4;
        u.state.Current.Atten = true;
        u.state.Current.Notch = true;
        d.Apply(ctx);
        // Tuning programs the VFO channel first.
        ASSERT_FALSE(u.sim->Commands.empty());
        EXPECT_EQ(u.sim->Commands.front(), "PM200 01451250");
        EXPECT_EQ(u.Bearcat().Memories[200].Frequency, 1451250);
        d.Read(ctx);
        EXPECT_EQ(u.state.Current.Frequency, 14512500);
        EXPECT_EQ(u.state.Current.ChannelNo, 200);
        u.state.CurrentChannel = 17;
        u.state.Current.Mode = 2;
        u.state.Current.Valid = true;
        d.Store(ctx);
        u.state.CurrentChannel = 18;
        d.Load(ctx);
        d.Load(ctx);
        d.Signal(ctx, DetectBoth);
        u.LightOn = true;
        DriverContext lit = u.Context();
        d.SetLight(lit);
        EXPECT_EQ(u.CountMessages("Rejected"), 0);
        EXPECT_EQ(u.CountMessages("out of range"), 0);
        if (s.Model == 0) {
            EXPECT_FALSE(u.ReceivedAny({"SG", "CT", "CS", "CC", "AR", "RM"}));
        }
        if (s.Model == 2) {
            EXPECT_FALSE(u.ReceivedAny({"AT", "LT"}));
        }
        EXPECT_EQ(u.ReceivedAny({"RM"}), s.Model == 1);
        EXPECT_EQ(u.Bearcat().Light, s.Model != 2);
        EXPECT_EQ(u.Bearcat().Memories[17].Frequency, 1451250);
        // Two loads of the same channel ask the radio once.
        EXPECT_EQ(u.Received("MA018"), 1);
    }
}

TEST(BearcatDriver, ChannelLinesAreReadByTheirColumns) {
    Channel ch = MakeBlankChannel();
    ASSERT_TRUE(ParseBearcatChannelLine("C012 F01451250 TF DN LF AN RF N00", ch));
    EXPECT_EQ(ch.ChannelNo, 12);
    EXPECT_EQ(ch.Frequency, 14512500);
    EXPECT_FALSE(ch.Trunked);
    EXPECT_TRUE(ch.Delay);
    EXPECT_TRUE(ch.Valid);
    EXPECT_TRUE(ch.Atten);
    EXPECT_FALSE(ch.Sync);
    EXPECT_EQ(ch.Tone1, 0);
    // The tone is the number after the N, two digits or three; tone number
    // 32 is shared by two codes and reads back as the lower.
    ASSERT_TRUE(ParseBearcatChannelLine("C012 F01451250 TN DF LN AF RN N32", ch));
    EXPECT_EQ(ch.Tone1, 33);
    EXPECT_TRUE(ch.Trunked && ch.Sync && !ch.Valid);
    ASSERT_TRUE(ParseBearcatChannelLine("C012 F01451250 TN DF LN AF RN N032", ch));
    EXPECT_EQ(ch.Tone1, 33);
    ASSERT_TRUE(ParseBearcatChannelLine("C012 F01451250 TN DF LN AF RN N099", ch));
    EXPECT_EQ(ch.Tone1, 0) << "a tone number the table does not have";
    // Short or garbled lines are no channel lines.
    EXPECT_FALSE(ParseBearcatChannelLine("C012 F0145", ch));
    EXPECT_FALSE(ParseBearcatChannelLine("C0x2 F01451250 TF DN LF AN RF N00", ch));
    EXPECT_FALSE(ParseBearcatChannelLine("C012 F0145?250 TF DN LF AN RF N00", ch));

    // An empty channel read from the radio is not valid and asks nothing more.
    UnidenLink u("bearcat-bc780", ProtoBearcat, 1);
    DriverContext ctx = u.Context();
    u.state.CurrentChannel = 40;
    u.Driver().Load(ctx);
    EXPECT_EQ(u.state.Current.Frequency, 0);
    EXPECT_FALSE(u.state.Current.Valid);
    EXPECT_EQ(u.sim->Commands, std::vector<std::string>{"MA040"});
    // Written, then loaded: the channel is asked afresh, not taken from the
    // line read before the write.
    u.state.Current.Frequency = 15580000;
    u.Driver().Store(ctx);
    u.state.Current = MakeBlankChannel();
    u.Driver().Load(ctx);
    EXPECT_EQ(u.state.Current.Frequency, 15580000);
}

TEST(BearcatDriver, ModeAndSignalAnswers) {
    // The word after RM decides the modulation: AM no longer reads as FMn.
    EXPECT_EQ(BearcatModeFromReply("RM AM"), 4);
    EXPECT_EQ(BearcatModeFromReply("RM FM"), 1);
    EXPECT_EQ(BearcatModeFromReply("RM NFM"), 2);
    EXPECT_EQ(BearcatModeFromReply("RM WFM"), 3);
    EXPECT_EQ(BearcatModeFromReply("RM XYZ"), -1);
    UnidenLink u("bearcat-bc780", ProtoBearcat, 1);
    u.Bearcat().Memories[5].Frequency = 1190000;
    u.Bearcat().Memories[5].Mode = "AM";
    DriverContext ctx = u.Context();
    u.state.CurrentChannel = 5;
    u.Driver().Load(ctx);
    EXPECT_EQ(u.state.Current.Mode, 4);

    // The number after S, all three digits of it.
    EXPECT_EQ(BearcatSignalLevel(1, "S182"), 10);
    EXPECT_EQ(BearcatSignalLevel(1, "S038"), 3);
    EXPECT_EQ(BearcatSignalLevel(1, "S000"), 0);
    EXPECT_EQ(BearcatSignalLevel(2, "S020"), 8);
    EXPECT_EQ(BearcatSignalLevel(2, "S005"), 2);
    EXPECT_EQ(BearcatSignalLevel(2, "S255"), 13);
    EXPECT_EQ(BearcatSignalLevel(1, "S"), 0);
    EXPECT_EQ(BearcatSignalLevel(1, "Sx12"), 0);
}

TEST(BearcatDriver, SignalFollowsTheActivityAndRefusalsAreNoSignal) {
    for (const Scanner& s : Scanners) {
        SCOPED_TRACE(s.Sim);
        UnidenLink u(s.Sim, ProtoBearcat, s.Model);
        ASSERT_TRUE(u.sim->Schedule.Parse("145.125 7\n", nullptr));
        RadioDriver& d = u.Driver();
        DriverContext ctx = u.Context();
        u.state.Current.Frequency = 14512500;
        d.Apply(ctx);
        d.Signal(ctx, DetectBoth);
        // The BC245XLT has no strength: an open squelch is level 9.
        EXPECT_EQ(u.state.SignalLevel, s.Model == 0 ? 9 : 7);
    }
    // A BC245XLT profile on a BC780XLT-speaking line is fine; the other way
    // round the radio answers ERR to SG: a refusal, never the last level.
    UnidenLink u("bearcat-bc245", ProtoBearcat, 1);
    ASSERT_TRUE(u.sim->Schedule.Parse("145.125 7\n", nullptr));
    DriverContext ctx = u.Context();
    u.state.Current.Frequency = 14512500;
    u.Driver().Apply(ctx);
    u.Driver().Signal(ctx, DetectBoth);
    EXPECT_EQ(u.state.SignalLevel, 9) << "the squelch is open";
    EXPECT_EQ(u.Received("SG"), 2) << "ERR ends a signal command without a second try";
    // A squelch that cannot be read is no signal, not the last one heard.
    u.sim->PoweredOn = false;
    u.Driver().Signal(ctx, DetectSoftware);
    EXPECT_EQ(u.state.SignalLevel, 0);
}

TEST(BearcatDriver, RejectionsRefusalsAndSilence) {
    // A profile for the BC780XLT on a BC245XLT: RM is refused with ERR. The
    // first ERR waits a delay and asks again; the second is reported once.
    {
        UnidenLink u("bearcat-bc245", ProtoBearcat, 1);
        DriverContext ctx = u.Context();
        u.state.Current.Frequency = 14512500;
        u.state.Current.Mode = 4;
        u.state.LastSent.Mode = 2;
        u.Driver().Apply(ctx);
        EXPECT_EQ(u.Received("RM AM"), 2);
        EXPECT_EQ(u.CountMessages("Bearcat Rejected Command RM AM"), 1);
    }
    // A channel number the radio does not have: NG, reported.
    {
        UnidenLink u("bearcat-bc895", ProtoBearcat, 2);
        DriverContext ctx = u.Context();
        u.state.Current.Frequency = 14512500;
        u.state.CurrentChannel = 301;
        u.Driver().Store(ctx);
        EXPECT_EQ(u.CountMessages("Setting out of range! PM301 01451250"), 1);
    }
    // NG to a recall (the radio is in a menu): one reset, then the recall ends.
    {
        UnidenLink u("bearcat-bc895", ProtoBearcat, 2);
        u.Bearcat().Screen = 4;
        DriverContext ctx = u.Context();
        u.state.CurrentChannel = 12;
        u.Driver().Recall(ctx);
        EXPECT_EQ(u.Received("MA"), 1);
        EXPECT_EQ(u.Received("MD"), 2);
        EXPECT_EQ(u.Received("KEY01"), 1);
        EXPECT_EQ(u.Bearcat().Screen, 1);
    }
    // A load from a silent radio: bounded tries, nothing of the channel read before.
    {
        UnidenLink u("bearcat-bc780", ProtoBearcat, 1);
        u.sim->PoweredOn = false;
        DriverContext ctx = u.Context();
        u.state.Current = MakeBlankChannel();
        u.state.LastSent.Frequency = 12345600;
        u.state.LastSent.ChannelNo = 8;
        u.state.CurrentChannel = 9;
        const int64_t start = u.host.NowMs();
        u.Driver().Load(ctx);
        EXPECT_EQ(u.state.Current.Frequency, 0);
        // Three empty answers of three tries of ten polls.
        EXPECT_LE(u.host.NowMs() - start, 3 * 3 * 11 * 30 + 500);
    }
}

TEST(BearcatDriver, NoiseOnTheLineIsNoAnswer) {
    for (const Scanner& s : Scanners) {
        SCOPED_TRACE(s.Sim);
        UnidenLink u(s.Sim, ProtoBearcat, s.Model);
        u.sim->NoiseBytes = 40;
        DriverContext ctx = u.Context();
        u.state.CurrentChannel = 3;
        const int64_t start = u.host.NowMs();
        u.Driver().Load(ctx);
        EXPECT_EQ(u.state.Current.Frequency, 0);
        u.Driver().Open(ctx);
        EXPECT_TRUE(u.link.RadioNotResponding) << "noise is no Bearcat";
        u.Driver().TrunkIds(ctx, 1, false);
        EXPECT_EQ(u.memory.TrunkIds[100].Id, "------");
        EXPECT_LT(u.host.NowMs() - start, 100000) << "bounded";
    }
}

TEST(BearcatDriver, ConnectingAsksTheScreenFirstAndNeedsItsAnswer) {
    {
        UnidenLink u("bearcat-bc895", ProtoBearcat, 2);
        u.Bearcat().Screen = 12;
        u.Bearcat().Memories[33].Frequency = 4625625;
        u.Bearcat().Channel = 33;
        u.Profile().Memory = true;
        DriverContext ctx = u.Context();
        u.Driver().Open(ctx);
        EXPECT_FALSE(u.link.RadioNotResponding);
        EXPECT_EQ(u.sim->Commands.front(), "MD");
        EXPECT_EQ(u.Bearcat().Screen, 1);
        EXPECT_EQ(u.state.CurrentChannel, 33);
        EXPECT_EQ(u.state.Current.Frequency, 46256250);
    }
    // Out of range: the VFO channel is recalled and read instead.
    {
        UnidenLink u("bearcat-bc245", ProtoBearcat, 0);
        u.Bearcat().Memories[200].Frequency = 1551000;
        u.state.Current.Frequency = 0;
        u.Profile().MinFreq = 2900000;
        DriverContext ctx = u.Context();
        u.Driver().Open(ctx);
        EXPECT_EQ(u.state.Current.Frequency, 15510000);
        EXPECT_EQ(u.Received("MA200"), 1);
    }
    // Something answers, but not as a Bearcat: not connected.
    {
        UnidenLink u("bcd396t", ProtoBearcat, 0);
        DriverContext ctx = u.Context();
        u.Driver().Open(ctx);
        EXPECT_TRUE(u.link.RadioNotResponding);
    }
}

// A BC895XLT whose bank J (bank 0) and bank B are trunk banks.
void FillTrunkRadio(BearcatRadio& r) {
    r.Memories[271] = {8516250, true};
    r.Memories[31] = {8520000, true};
    auto& j = r.TrunkBanks[0];
    j.Type = 6;
    j.IdBankEnabled[0] = j.IdBankEnabled[3] = true;
    j.Ids[0] = "05-023";
    j.Ids[37] = "01-101";
    j.Ids[99] = "100/2";
    r.TrunkBanks[2].Type = 2;
    r.TrunkBanks[2].Ids[5] = "2416";
}

TEST(BearcatDriver, TrunkBankZeroLoadsThroughLetterJ) {
    UnidenLink u("bearcat-bc895", ProtoBearcat, 2);
    FillTrunkRadio(u.Bearcat());
    u.Profile().Timeout = 45;
    u.state.CurrentChannel = 77;
    DriverContext ctx = u.Context();
    u.Driver().TrunkIds(ctx, 0, false);
    EXPECT_EQ(u.Received("SB J"), 1);
    EXPECT_EQ(u.Received("MA271"), 1);
    EXPECT_EQ(u.Profile().Timeout, 45);
    EXPECT_EQ(u.state.CurrentChannel, 77);
    const TrunkBank& tb = u.memory.TrunkBanks[0];
    EXPECT_EQ(tb.SystemType, 6) << "bank 0's type is kept too";
    EXPECT_TRUE(tb.IdBankEnabled[0] && tb.IdBankEnabled[3] && !tb.IdBankEnabled[1]);
    EXPECT_EQ(u.memory.TrunkIds[0].Id, "05-023");
    EXPECT_EQ(u.memory.TrunkIds[37].Id, "01-101");
    EXPECT_EQ(u.memory.TrunkIds[99].Id, "100/2");
    EXPECT_EQ(u.memory.TrunkIds[1].Id, "");
    EXPECT_EQ(u.memory.TrunkIds[100].Id, "------") << "other banks untouched";
    // The radio is back on its normal screen with its scan banks as they were.
    EXPECT_EQ(u.Bearcat().Screen, 1);
    EXPECT_EQ(u.Bearcat().ScanBanks,
              (std::array<bool, 10>{true, true, true, true, true, true, true, true, true, true}));

    // Cancelled in the middle: the time-out is still the user's.
    UnidenLink c("bearcat-bc895", ProtoBearcat, 2);
    FillTrunkRadio(c.Bearcat());
    c.Profile().Timeout = 45;
    c.CancelAfter = 20;
    DriverContext cancelled = c.Context();
    c.Driver().TrunkIds(cancelled, 0, false);
    EXPECT_EQ(c.Profile().Timeout, 45);
    EXPECT_LT(c.Received("IC"), 100);
    EXPECT_EQ(c.Bearcat().Screen, 1);
}

TEST(BearcatDriver, TrunkBankThatIsNoneKeepsTheUsersData) {
    UnidenLink u("bearcat-bc780", ProtoBearcat, 1);
    FillTrunkRadio(u.Bearcat());
    u.memory.TrunkBanks[3].SystemType = 4;
    u.memory.TrunkBanks[3].IdBankEnabled[2] = true;
    u.memory.TrunkIds[345].Id = "12-345";
    DriverContext ctx = u.Context();
    u.Driver().TrunkIds(ctx, 3, false);
    EXPECT_EQ(u.CountMessages("Bank 3 is not a trunk bank, or no control freq"), 1);
    EXPECT_EQ(u.memory.TrunkBanks[3].SystemType, 4);
    EXPECT_TRUE(u.memory.TrunkBanks[3].IdBankEnabled[2]);
    EXPECT_EQ(u.memory.TrunkIds[345].Id, "12-345");
    EXPECT_EQ(u.Received("IC"), 0);
}

TEST(BearcatDriver, TrunkBankWrittenAndReadBackUnchanged) {
    UnidenLink u("bearcat-bc245", ProtoBearcat, 0);
    FillTrunkRadio(u.Bearcat());
    DriverContext ctx = u.Context();
    u.Driver().TrunkIds(ctx, 2, false);
    EXPECT_EQ(u.memory.TrunkBanks[2].SystemType, 2);
    EXPECT_EQ(u.memory.TrunkIds[205].Id, "2416");
    u.memory.TrunkBanks[2].SystemType = 3;
    u.memory.TrunkBanks[2].IdBankEnabled[0] = true;
    u.memory.TrunkBanks[2].IdBankEnabled[9] = true;
    u.memory.TrunkIds[205].Id = ""; // cleared
    u.memory.TrunkIds[210].Id = "1234";
    u.memory.TrunkIds[211].Id = "56\rLTN"; // a line end never reaches the radio
    u.memory.TrunkIds[212].Id = "__.___";  // the blank template is no ID
    const Memory written = u.memory;
    u.Driver().TrunkIds(ctx, 2, true);
    EXPECT_EQ(u.Received("TR B3"), 1);
    EXPECT_EQ(u.Received("IS JI"), 1);
    EXPECT_EQ(u.Received("LTN"), 0);
    EXPECT_EQ(u.Bearcat().TrunkBanks[2].Ids[11], "56");
    u.Driver().TrunkIds(ctx, 2, false);
    for (int i = 200; i < 300; ++i) {
        std::string want = written.TrunkIds[size_t(i)].Id;
        if (want == "__.___" || want == "------") want = "";
        if (i == 211) want = "56";
        EXPECT_EQ(u.memory.TrunkIds[size_t(i)].Id, want) << i;
    }
    EXPECT_EQ(u.memory.TrunkBanks[2], written.TrunkBanks[2]);
}

} // namespace
} // namespace rigvane::test
