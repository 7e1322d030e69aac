// The AR3000A driver against the simulated AR3000A and AR3000, and its word
// reader on answers as they arrive.
#include <gtest/gtest.h>

#include <string>

#include "core/CodeTables.h"
#include "drivers/Ar3000a.h"
#include "drivers/DriverRig.h"
#include "sim/Ar3000aRadio.h"

namespace rigvane::test {
namespace {

struct Ar3000aRig : DriverRig {
    explicit Ar3000aRig(int model)
        : DriverRig(model == 0 ? "aor-ar3000a" : "aor-ar3000", ProtoAor3000, uint8_t(model)) {}
};

TEST(Ar3000a, TuneAndReadBack) {
    Ar3000aRig rig(0);
    ASSERT_TRUE(rig.Open());
    auto& sim = rig.Sim<Ar3000aRadio>();

    rig.Tune(14550000, 2);
    rig.Apply();
    EXPECT_EQ(sim.Commands.back(), "T 0145.50000  N");
    rig.Tune(705000, 5);
    rig.Current().Atten = true;
    rig.Apply();
    EXPECT_EQ(sim.Commands.back(), "R 0007.05000  L");
    EXPECT_EQ(sim.FrequencyHz, 7050000);
    EXPECT_FALSE(rig.state.TuneRefused);
    rig.Tune(250000000, 2); // 2500 MHz: beyond the radio, which answers "?"
    rig.Apply();
    EXPECT_TRUE(rig.state.TuneRefused);
    EXPECT_EQ(sim.FrequencyHz, 7050000);

    rig.Current() = MakeBlankChannel();
    rig.Read();
    EXPECT_TRUE(rig.Current().Atten);
}

TEST(Ar3000a, BanksStoreRecallAndLoad) {
    Ar3000aRig rig(0);
    ASSERT_TRUE(rig.Open());
    auto& sim = rig.Sim<Ar3000aRadio>();

    // Channel 250 is channel 50 of bank 3: the bank is selected only when
    // it is not the one selected last.
    rig.state.CurrentChannel = 250;
    rig.state.CurrentBank = 3;
    rig.Recall();
    EXPECT_EQ(sim.Commands.back(), "50Z");
    EXPECT_EQ(rig.Sent("3X"), 0);
    rig.state.CurrentBank = 2;
    rig.Recall();
    EXPECT_EQ(rig.Sent("3X"), 1);
    EXPECT_EQ(sim.Bank, 3);

    // A load reads the memory's frequency, attenuator and mode.
    rig.state.CurrentChannel = 7;
    rig.Tune(12150000, 4);
    rig.Current().Atten = true;
    rig.Store();
    EXPECT_EQ(rig.Sent("1X"), 1);
    EXPECT_EQ(sim.Commands.back(), "07M");
    EXPECT_EQ(sim.Memories[0][7].Hz, 121500000);
    rig.Tune(14550000, 2);
    rig.Apply();
    rig.Load();
    EXPECT_EQ(rig.Current().Frequency, 12150000);
    EXPECT_EQ(rig.Current().Mode, 4);
    EXPECT_TRUE(rig.Current().Atten);

    // Channel 7 empty, 8 programmed: the radio answers #08, and the load of
    // 7 leaves an empty state.
    sim.Memories[0][8] = sim.Memories[0][7];
    sim.Memories[0][7] = {};
    rig.Load();
    EXPECT_EQ(rig.Current().Frequency, 0);
    EXPECT_EQ(rig.Current().Mode, 2);
    EXPECT_FALSE(rig.Current().Atten);
}

TEST(Ar3000a, TheAr3000NeverWaitsForAnAnswer) {
    // The AR3000 takes every command, never waits for an answer and is never
    // reported silent.
    Ar3000aRig old(1);
    auto& sim = old.Sim<Ar3000aRadio>();
    const int64_t start = old.host.NowMs();
    EXPECT_TRUE(old.Open());
    old.Tune(4620000, 4);
    old.Apply();
    EXPECT_EQ(sim.FrequencyHz, 46200000);
    old.state.CurrentChannel = 120;
    old.Store();
    EXPECT_EQ(sim.Bank, 1); // the AR3000 has no bank number to send
    EXPECT_EQ(sim.Memories[0][20].Hz, 46200000);
    old.Current() = MakeBlankChannel();
    old.Read();
    old.Signal();
    old.Load();
    EXPECT_EQ(old.Current().Frequency, 0);
    EXPECT_EQ(old.Sent("D"), 0);
    EXPECT_EQ(old.Sent("Y"), 0);
    EXPECT_EQ(old.CountMessages("not responding"), 0);
    EXPECT_FALSE(old.link.RadioNotResponding);
    EXPECT_FALSE(old.state.TuneRefused);
    EXPECT_LT(old.host.NowMs() - start, 200);
}

struct Reader {
    Ar3000aWords words;
    Channel cur = MakeBlankChannel();
    uint8_t signal = 0;
    std::string residue;
    bool Feed(const std::string& text) {
        residue += text;
        words.Read(residue, cur, signal);
        return words.Done;
    }
};

TEST(Ar3000aWords, AnswersSplitPromptedAndOdd) {
    // A status line split across two reads: the unfinished word waits.
    Reader read;
    EXPECT_FALSE(read.Feed(">\r\nY 0145.5"));
    EXPECT_EQ(read.cur.Frequency, 0);
    EXPECT_TRUE(read.Feed("0000 W J 12.50 V\r\n"));
    EXPECT_EQ(read.cur.Frequency, 14550000);
    EXPECT_EQ(read.cur.Mode, 8);
    EXPECT_TRUE(read.cur.Atten);

    // Frequencies joined to their Y, in 10 Hz or as MHz; unknown words are
    // kept for the trace and skipped.
    Reader joined;
    EXPECT_TRUE(joined.Feed("Y14550000 ?? @x R\r"));
    EXPECT_EQ(joined.cur.Frequency, 14550000);
    EXPECT_EQ(joined.cur.Mode, 3);
    EXPECT_EQ(joined.words.Unprocessed.size(), 2u);
    Reader garbage;
    garbage.Feed("Y99999999999 YZZ S ");
    EXPECT_EQ(garbage.cur.Frequency, 0);

    // Signal letters: "%" none, "P" the top of the scale, limited to 13.
    const std::pair<const char*, int> letters[] = {{"%\r\n", 0}, {"E\r\n", 5}, {"P\r\n", 13}};
    for (const auto& [text, level] : letters) {
        Reader signal;
        signal.words.OpCode = Ar3000aWords::SignalCode;
        signal.signal = 7;
        EXPECT_TRUE(signal.Feed(text));
        EXPECT_EQ(signal.signal, level) << text;
    }

    // A recall ends at the channel number; a load of another channel blanks.
    Reader recall;
    recall.words.OpCode = Ar3000aWords::RecallCode;
    EXPECT_TRUE(recall.Feed("#05 Y 0145.50000 X J 12.50 Q\r\n"));
    EXPECT_EQ(recall.cur.Frequency, 0);
    Reader load;
    load.words.OpCode = Ar3000aWords::LoadCode;
    load.words.ChannelInBank = 7;
    load.cur.Frequency = 123;
    EXPECT_TRUE(load.Feed("#08 Y 0145.50000 X J 12.50 Q\r\n"));
    EXPECT_EQ(load.cur.Frequency, 0);
    EXPECT_EQ(load.cur.Mode, 2);
}

} // namespace
} // namespace rigvane::test
