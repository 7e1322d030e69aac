// The Kenwood driver against the simulated Kenwood receiver.
#include <gtest/gtest.h>

#include "TextRadioRig.h"
#include "drivers/Kenwood.h"
#include "sim/KenwoodRadio.h"

namespace rigvane::test {
namespace {

struct KenwoodRig : TextRadioRig<KenwoodRadio> {
    KenwoodRig() : TextRadioRig("kenwood", ProtoKenwood) {}
};

TEST(Kenwood, SwitchesBetweenVfoAndMemoryOnlyWhenItMustAndReadsBack) {
    KenwoodRig r;
    r.radio.OpenRadio();
    EXPECT_EQ(r.Sent(), "IF"); // the open: a lone ";" and a read
    EXPECT_FALSE(r.link.RadioNotResponding);

    r.Tune(14652000, 4);
    EXPECT_EQ(r.Sent(), "FN0|FR0|FA00146520000|MD5|FA");
    r.Tune(14653000, 4);
    EXPECT_EQ(r.Sent(), "FA00146530000|MD5|FA");
    EXPECT_EQ(r.sim->FrequencyHz, 146530000);

    r.sim->Memories[12] = {162550000, '5', "00000"};
    r.state.CurrentChannel = 12;
    r.radio.RecallChannel();
    r.radio.RecallChannel();
    EXPECT_EQ(r.Sent(), "FN2|FR2|MC012|MC|MC012|MC");
    EXPECT_FALSE(r.state.TuneRefused);
    EXPECT_EQ(r.sim->FrequencyHz, 162550000);
    // An empty channel is refused: the radio stays where it was.
    r.state.CurrentChannel = 13;
    r.radio.RecallChannel();
    EXPECT_TRUE(r.state.TuneRefused);
    EXPECT_EQ(r.sim->FrequencyHz, 162550000);
    r.Sent();

    // A read with the radio's memories off goes back to the VFO in the same write.
    r.Current() = MakeBlankChannel();
    r.radio.ReadRadioState();
    EXPECT_EQ(r.Sent(), "FN0|FR0|IF");
    EXPECT_EQ(r.Current().Frequency, 14653000);
    EXPECT_EQ(r.Current().Mode, 4);
    EXPECT_TRUE(r.Current().Valid);

    // Only the attenuator changed: only RA goes out, and no function switch.
    r.Current().Atten = true;
    r.radio.ApplyRadioState();
    EXPECT_EQ(r.Sent(), "RA1");
    EXPECT_EQ(r.sim->Settings["RA"], "1");

    // Extended settings only with Exp Cmds on.
    r.Current().Notch = true;
    r.Current().Agc = 2;
    r.Current().NoiseBlank = 2;
    r.radio.ApplyRadioState();
    EXPECT_EQ(r.Sent(), "");
    r.Profile().ExpCmd = true;
    r.Current().Antenna = 2;
    r.radio.ApplyRadioState();
    EXPECT_EQ(r.Sent(), "NT1|GT255|AN02|NB1|NL255");
}

TEST(Kenwood, ModeTenTunesWithoutAskingForTheModeAndARefusedTuneIsKnown) {
    KenwoodRig r;
    r.Tune(14652000, 10);
    EXPECT_EQ(r.Sent(), "FN0|FR0|FA00146520000|FA");
    EXPECT_EQ(r.sim->Mode, '4'); // untouched
    EXPECT_FALSE(r.state.TuneRefused);
    r.Tune(350000000, 4); // 3500 MHz: beyond the receiver
    EXPECT_TRUE(r.state.TuneRefused);
    EXPECT_EQ(r.sim->FrequencyHz, 146520000);
    r.state.TuneRefused = false;
    r.sim->PoweredOn = false;
    r.Tune(14660000, 4);
    EXPECT_TRUE(r.state.TuneRefused);
}

TEST(Kenwood, LoadSwitchesToMemoriesAndAnEmptyOneIsNotValid) {
    KenwoodRig r;
    r.state.CurrentChannel = 7;
    r.radio.LoadChannel();
    EXPECT_EQ(r.Sent(), "FN2|FR2|MR0007");
    r.Current().Frequency = 14652000;
    r.Current().Valid = true;
    r.state.CurrentChannel = 8;
    r.radio.LoadChannel();
    EXPECT_EQ(r.Current().Frequency, 0);
    EXPECT_FALSE(r.Current().Valid);
}

TEST(Kenwood, AnswersThatAreNotTheOnesAwaitedAreDropped) {
    KenwoodRig r;
    // An IF arriving while a memory loads is not the memory.
    r.sim->ForcedAnswers["MR"] = "IF00146520000000000000000000000400000000;MR00030043325000050000;";
    r.state.CurrentChannel = 3;
    r.radio.LoadChannel();
    EXPECT_EQ(r.Current().Frequency, 43325000);
    EXPECT_EQ(r.Current().Mode, 4);

    // A short IF, one with garbage for digits, and a refusal leave the state alone.
    for (const char* bad : {"IF0014652;", "IF001465x000000000000000000000400000000;", "?;"}) {
        r.Current() = MakeBlankChannel();
        r.Current().Frequency = 12345;
        r.sim->ForcedAnswers["IF"] = bad;
        r.Sent();
        r.radio.ReadRadioState();
        EXPECT_EQ(r.Current().Frequency, 12345) << bad;
        EXPECT_EQ(r.CountMessages("Data Processing Error"), 0) << bad;
    }
    // The refusal ends the wait at once instead of asking twice more.
    EXPECT_EQ(r.Sent(), "IF");
}

TEST(Kenwood, ParsersRejectShortAndGarbledAnswers) {
    Channel c;
    c.Frequency = 1;
    EXPECT_FALSE(KenwoodReadIf("IF00146520000000000000000000", c)); // 28 characters
    EXPECT_FALSE(KenwoodReadMr("MR000700146520000", c));            // 17: no mode digit
    EXPECT_FALSE(KenwoodReadMr("MR0007001465200x04", c));
    EXPECT_EQ(c.Frequency, 1);
    EXPECT_TRUE(KenwoodReadMr("MR0007001465200004", c));
    EXPECT_EQ(c.Frequency, 14652000);
    // Hertz to 10 Hz rounds halves to even.
    EXPECT_TRUE(KenwoodReadIf("IF00146520015000000000000000040", c));
    EXPECT_EQ(c.Frequency, 14652002);
}

TEST(Kenwood, SignalTakesEveryDigitAndCapsAtEleven) {
    EXPECT_EQ(KenwoodSignalLevel("SM30"), 11);
    EXPECT_EQ(KenwoodSignalLevel("SM030"), 11);
    EXPECT_EQ(KenwoodSignalLevel("SM0014"), 7);
    EXPECT_EQ(KenwoodSignalLevel("SM0015"), 8); // 7.5 rounds to even
    EXPECT_EQ(KenwoodSignalLevel("SM0013"), 6); // 6.5 rounds to even
    EXPECT_FALSE(KenwoodSignalLevel("SM"));
    EXPECT_FALSE(KenwoodSignalLevel("SM0x1"));

    KenwoodRig r;
    r.sim->Schedule.Parse("146.52 9\n", nullptr);
    r.Tune(14652000, 4);
    EXPECT_EQ(r.Signal(), 9);
    r.Tune(14660000, 4);
    EXPECT_EQ(r.Signal(), 0);
    // A garbled meter answer is no signal, not the last channel's level.
    r.Tune(14652000, 4);
    r.sim->ForcedAnswers["SM"] = "SM00#9;";
    EXPECT_EQ(r.Signal(), 0);
}

} // namespace
} // namespace rigvane::test
