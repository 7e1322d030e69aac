// The rigctld protocol over the mode engine: reads from the tuning state,
// sets as VFO recalls carried out by the main loop, and what a client may send.
#include <gtest/gtest.h>

#include <string>

#include "engine/EngineFixture.h"
#include "engine/Rigctld.h"

namespace rigvane::test {
namespace {

struct RigctldRig : EngineRig {
    RigctldProtocol protocol{*engine};
    std::string Ask(const std::string& line) {
        bool quit = false;
        return protocol.Answer(line, &quit);
    }
};

TEST(Rigctld, ReadsAnswerFromTheTuningStateWithoutTouchingTheRadio) {
    RigctldRig r;
    Channel& cur = r.app.radioState.Current;
    cur.Frequency = 14550000;
    cur.Mode = 1;
    r.app.radioState.SignalLevel = 5;
    const size_t commands = r.sim->Commands.size();

    EXPECT_EQ(r.Ask("f"), "145500000\n");
    EXPECT_EQ(r.Ask("\\get_freq"), "145500000\n");
    EXPECT_EQ(r.Ask("m"), "FM\n15000\n");
    EXPECT_EQ(r.Ask("v"), "VFOA\n");
    EXPECT_EQ(r.Ask("t"), "0\n");
    EXPECT_EQ(r.Ask("s"), "0\nVFOA\n");
    EXPECT_EQ(r.Ask("l STRENGTH"), "-24\n");
    EXPECT_EQ(r.Ask("\\chk_vfo"), "0\n");
    EXPECT_EQ(r.Ask("\\get_powerstat"), "1\n");
    // The extended form: labels, the separator asked for, and a result line.
    EXPECT_EQ(r.Ask("+f"), "get_freq:\nFrequency: 145500000\nRPRT 0\n");
    EXPECT_EQ(r.Ask(";f"), "get_freq:;Frequency: 145500000;RPRT 0\n");
    EXPECT_EQ(r.Ask("+m"), "get_mode:\nMode: FM\nPassband: 15000\nRPRT 0\n");
    EXPECT_EQ(r.Ask("+l STRENGTH"), "get_level: STRENGTH\n-24\nRPRT 0\n");
    EXPECT_EQ(r.Ask("+l FOO"), "get_level: FOO\nRPRT -1\n");
    EXPECT_EQ(r.Ask("+\\chk_vfo"), "ChkVFO: 0\n");
    const std::string dump = r.Ask("\\dump_state");
    EXPECT_EQ(dump.rfind("1\n2\n0\n", 0), 0u);
    EXPECT_NE(dump.find("0x40000000\n"), std::string::npos); // the strength level
    EXPECT_EQ(dump.substr(dump.size() - 5), "done\n");

    // Narrow FM, SSB by the band, no signal, no mode.
    cur.Mode = 2;
    EXPECT_EQ(r.Ask("m"), "FM\n10000\n");
    cur.Frequency = 714000;
    cur.Mode = 7;
    cur.Bandwidth = 2;
    EXPECT_EQ(r.Ask("m"), "LSB\n2400\n");
    r.app.radioState.SignalLevel = 0;
    EXPECT_EQ(r.Ask("l STRENGTH"), "-54\n");
    cur.Mode = 0;
    EXPECT_EQ(r.Ask("m"), "None\n0\n");
    EXPECT_EQ(r.sim->Commands.size(), commands);
}

TEST(Rigctld, SetsAreVfoRecallsThatTheMainLoopCarriesOut) {
    RigctldRig r;
    r.SetChannel(1, 162.4);
    r.SetChannel(2, 162.55);
    r.engine->RequestMode(ModeScan);
    r.RunUntil([&] { return r.app.radioState.CurrentChannel == 2; }, 10000);
    r.engine->RequestMode(ModeScan);

    // The answer comes at once; the radio is tuned only by the next loop
    // pass, and reads meanwhile report what was asked for.
    const size_t commands = r.sim->Commands.size();
    EXPECT_EQ(r.Ask("F 146520000"), "RPRT 0\n");
    EXPECT_EQ(r.S().Mode, ModeVfoRecall);
    EXPECT_EQ(r.Ask("f"), "146520000\n");
    EXPECT_EQ(r.sim->Commands.size(), commands);
    r.engine->RunPass();
    EXPECT_EQ(r.app.radioState.LastSent.Frequency, 14652000);
    EXPECT_EQ(r.S().Mode, ModeScan); // the scan goes on
    r.engine->RequestMode(ModeManual);
    r.engine->RunPass();

    EXPECT_EQ(r.Ask("+M AM 0"), "set_mode: AM 0\nRPRT 0\n");
    r.engine->RunPass();
    EXPECT_EQ(r.app.radioState.Current.Mode, 4);
    EXPECT_EQ(r.Ask("M FM 10000"), "RPRT 0\n");
    r.engine->RunPass();
    EXPECT_EQ(r.app.radioState.Current.Mode, 2); // narrow FM

    // Bad arguments and frequencies the radio cannot tune are refused.
    for (const char* bad : {"F abc", "F", "F 0", "F -5", "F nan", "F 1e12", "F 146520000 9",
                            "M XYZ", "M FM wide", "V VFOC", "f 1", "Z", "\x01\x02"}) {
        EXPECT_EQ(r.Ask(bad), "RPRT -1\n") << bad;
    }
    EXPECT_EQ(r.Ask("+F abc"), "set_freq: abc\nRPRT -1\n");
    r.Profile().MaxFreq = 15000000;
    EXPECT_EQ(r.Ask("F 162550000"), "RPRT -1\n");
    EXPECT_EQ(r.S().Mode, ModeManual);

    // One receiver under every VFO name: a client's VFO choice leaves ours alone.
    EXPECT_EQ(r.Ask("V VFOB"), "RPRT 0\n");
    EXPECT_EQ(r.Ask("v"), "VFOA\n");
    EXPECT_EQ(r.app.radioState.ActiveVfo, 0);
    EXPECT_EQ(r.S().Mode, ModeManual);
}

TEST(Rigctld, ClientLinesAreSplitBoundedAndTimedOut) {
    RigctldRig r;
    r.app.radioState.Current.Frequency = 14550000;
    RigctldProtocol::Client c;
    // Several commands in one chunk, a line split over two, CR LF, blank lines.
    EXPECT_EQ(r.protocol.Feed(c, "f\r\nv\n\nf"), "145500000\nVFOA\n");
    EXPECT_EQ(r.protocol.Feed(c, "\n"), "145500000\n");
    EXPECT_FALSE(c.Close);
    // "q" answers and closes; nothing after it is read.
    EXPECT_EQ(r.protocol.Feed(c, "q\nf\n"), "RPRT 0\n");
    EXPECT_TRUE(c.Close);

    RigctldProtocol::Client flood;
    const std::string out = r.protocol.Feed(flood, std::string(10000, 'x'));
    EXPECT_EQ(out, "RPRT -1\n");
    EXPECT_TRUE(flood.Close);
    EXPECT_LE(flood.Pending.size(), RigctldProtocol::MaxLineLength);

    RigctldProtocol::Client quiet;
    r.protocol.Feed(quiet, "f\n");
    r.host.Advance(RigctldProtocol::IdleTimeoutMs);
    EXPECT_FALSE(r.protocol.Idle(quiet));
    r.host.Advance(1);
    EXPECT_TRUE(r.protocol.Idle(quiet));

    std::string address;
    int port = 0;
    ASSERT_TRUE(RigctldProtocol::ParseAddress("4532", &address, &port));
    EXPECT_EQ(address, "127.0.0.1");
    EXPECT_EQ(port, 4532);
    ASSERT_TRUE(RigctldProtocol::ParseAddress("0.0.0.0:4533", &address, &port));
    EXPECT_EQ(address, "0.0.0.0");
    ASSERT_TRUE(RigctldProtocol::ParseAddress("[::1]:7", &address, &port));
    EXPECT_EQ(address, "::1");
    for (const char* bad : {"", "0", "65536", "host:", ":4532", "12ab", "localhost:-1"})
        EXPECT_FALSE(RigctldProtocol::ParseAddress(bad, &address, &port)) << bad;
}

} // namespace
} // namespace rigvane::test
