// The BCD396T driver against the simulated BCD396T.
#include <gtest/gtest.h>

#include "drivers/UnidenFixture.h"

namespace rigvane::test {
namespace {

TEST(Bcd396tDriver, TunesInHundredsOfHertzAndRefusalsAreReported) {
    Channel c = MakeBlankChannel();
    c.Frequency = 14652000;
    c.Mode = 2;
    c.Atten = true;
    EXPECT_EQ(Bcd396tTuneCommand(c), "QSH,01465200,AUTO,NFM,1,0,0,0,0000000000000000,0");
    c.Mode = 6; // USB: the scanner decides
    c.Atten = false;
    EXPECT_EQ(Bcd396tTuneCommand(c), "QSH,01465200,AUTO,AUTO,0,0,0,0,0000000000000000,0");
    c.Mode = 10;
    EXPECT_EQ(Bcd396tTuneCommand(c).substr(0, 23), "QSH,01465200,AUTO,AUTO,");

    UnidenLink u("bcd396t", ProtoBcd396, 0);
    DriverContext ctx = u.Context();
    u.state.Current = c;
    // Outside the set's bands: refused, and said so.
    u.state.Current.Frequency = 60000000;
    u.Driver().Apply(ctx);
    EXPECT_EQ(u.CountMessages("Radio Rejected Setting! QSH,06000000"), 1);
}

TEST(Bcd396tDriver, SignalFromTheStateLineAndTheSquelchLevel) {
    UnidenLink u("bcd396t", ProtoBcd396, 0);
    ASSERT_TRUE(u.sim->Schedule.Parse("146.52 8\n", nullptr));
    u.Bcd().Squelch = 5;
    DriverContext ctx = u.Context();
    u.state.Current.Frequency = 14652000;
    u.state.Current.Mode = 1;
    u.Driver().Apply(ctx);
    u.Driver().Signal(ctx, DetectSoftware);
    EXPECT_EQ(u.state.SignalLevel, 6) << "open squelch: the squelch level plus one";
    EXPECT_EQ(u.Received("SQL"), 1);
    // An idle state line (every field empty) is no signal and asks nothing more.
    u.state.Current.Frequency = 14660000;
    u.Driver().Apply(ctx);
    u.Driver().Signal(ctx, DetectSoftware);
    EXPECT_EQ(u.state.SignalLevel, 0);
    EXPECT_EQ(u.Received("SQL"), 1);
    // With the carrier-detect line as well, nothing is sent: the held line
    // is the signal, never the level left from before.
    const size_t sent = u.sim->Commands.size();
    u.Driver().Signal(ctx, DetectBoth);
    EXPECT_EQ(u.sim->Commands.size(), sent);
    EXPECT_EQ(u.state.SignalLevel, 9);
    EXPECT_EQ(Bcd396tFields("GLG,,,,,,,,,,,,").size(), 13u);
}

TEST(Bcd396tDriver, ConnectingNeedsTheModelToAnswerNow) {
    {
        UnidenLink u("bcd396t", ProtoBcd396, 0);
        DriverContext ctx = u.Context();
        u.Driver().Open(ctx);
        EXPECT_FALSE(u.link.RadioNotResponding);
        EXPECT_EQ(u.state.ModelText, "BCD396T");
    }
    // A model text left from an earlier connection does not pass for an
    // answer: a radio that says ERR to MDL (here a Bearcat) is not connected.
    {
        UnidenLink u("bearcat-bc895", ProtoBcd396, 0);
        u.state.ModelText = "BCD396T";
        DriverContext ctx = u.Context();
        u.Driver().Open(ctx);
        EXPECT_TRUE(u.link.RadioNotResponding);
        EXPECT_EQ(u.Received("MDL"), 2) << "ERR, a delay, then once more";
        EXPECT_EQ(u.CountMessages("Radio Rejected Command MDL"), 1);
    }
    // Silence: bounded, one message, and a silent radio is not reported twice.
    {
        UnidenLink u("bcd396t", ProtoBcd396, 0);
        u.sim->PoweredOn = false;
        u.state.ModelText = "BCD396T";
        DriverContext ctx = u.Context();
        u.Driver().Open(ctx);
        EXPECT_TRUE(u.link.RadioNotResponding);
        u.Driver().Signal(ctx, DetectSoftware);
        EXPECT_EQ(u.CountMessages("Radio Did Not Respond to MDL"), 1);
        EXPECT_EQ(u.CountMessages("Radio Did Not Respond"), 1);
        EXPECT_EQ(u.CountMessages("Radio not responding"), 1);
    }
}

} // namespace
} // namespace rigvane::test
