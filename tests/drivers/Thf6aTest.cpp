// The TH-F6A / TH-G71 driver against the simulated handhelds.
#include <gtest/gtest.h>

#include <set>

#include "TextRadioRig.h"
#include "drivers/Thf6a.h"
#include "sim/Thf6aRadio.h"

namespace rigvane::test {
namespace {

struct HandheldRig : TextRadioRig<Thf6aRadio> {
    explicit HandheldRig(uint8_t model = 0, const char* sim = nullptr)
        : TextRadioRig(sim          ? sim
                       : model == 1 ? "thg71"
                                    : "thf6a",
                       ProtoThf6a, model) {}
    void SearchBank(bool store, int bank) {
        state.CurrentSearchBank = bank;
        if (store)
            radio.StoreSearchBank();
        else
            radio.LoadSearchBank();
    }
};

const char* const F6aBody145 = "00145000000,0,0,0,0,0,0,00,00,000,000000000,0";

TEST(Thf6a, EachModelOpensWithItsOwnCommandsAndTheAirBandKeepsItsSpacing) {
    HandheldRig f6a;
    f6a.radio.OpenRadio();
    EXPECT_EQ(f6a.Sent(), "ID|BC 1|BC 1|MRM 0");
    // The air band at 8.33 kHz spacing fits no step but is kept for AM ...
    f6a.Tune(11800830, 4);
    EXPECT_EQ(f6a.Current().Frequency, 11800830);
    EXPECT_EQ(f6a.sim->FrequencyHz, 118008300);
    // ... while an FM frequency off every step comes down to the 5 kHz below it.
    f6a.Tune(14500120, 1);
    EXPECT_EQ(f6a.Current().Frequency, 14500000);

    HandheldRig g71(1);
    g71.radio.OpenRadio();
    EXPECT_EQ(g71.Sent(), "ID");
}

TEST(Thf6a, ARefusedTuneIsRetriedOnceThenReported) {
    HandheldRig r;
    r.sim->ForcedAnswers["VW"] = "N\r";
    r.Tune(14500000, 1);
    EXPECT_EQ(r.Sent(), std::string("VW 9,") + F6aBody145 + "|ATT 0|RBN 9|VW 9," + F6aBody145);
    EXPECT_EQ(r.CountMessages("Radio rejected setting of VFO Freq 0145.00000"), 1);
    EXPECT_TRUE(r.state.TuneRefused);
}

TEST(Thf6a, MemoriesRoundTripWithTonesOffsetLockoutAndName) {
    HandheldRig r;
    r.state.CurrentChannel = 405;
    Channel& c = r.Current();
    c.Frequency = 14652000;
    c.Mode = 4;
    c.Tone1 = 9;
    c.Tone2On = true;
    c.Tone2 = 12;
    c.Bandwidth = 4; // -0.6 MHz
    c.Service = "Repeater Nine";
    c.Valid = false;
    r.radio.StoreChannel();
    EXPECT_EQ(r.Sent(),
              "MW 0,I-5,00146520000,0,2,0,0,1,0,08,11,000,000600000,2,1|MNA I-5,Repeater");

    r.radio.LoadChannel();
    EXPECT_EQ(r.Sent(), "MR 0,I-5|MNA I-5");
    EXPECT_EQ(c.Frequency, 14652000);
    EXPECT_EQ(c.Mode, 4);
    EXPECT_EQ(c.Tone1, 9);
    EXPECT_EQ(c.Tone2, 12);
    EXPECT_TRUE(c.Tone2On);
    EXPECT_EQ(c.Bandwidth, 4);
    EXPECT_EQ(c.Service, "Repeater");
    EXPECT_FALSE(c.Valid);

    // An empty memory loads as an empty channel; past PR2 nothing goes out.
    r.state.CurrentChannel = 6;
    r.radio.LoadChannel();
    EXPECT_EQ(c.Frequency, 0);
    r.state.CurrentChannel = 412;
    c.Frequency = 14500000;
    r.radio.StoreChannel();
    r.radio.LoadChannel();
    EXPECT_EQ(r.Sent(), "MR 0,006");

    HandheldRig g71(1);
    g71.state.CurrentChannel = 5;
    g71.Current().Frequency = 14500000;
    g71.Current().Mode = 2;
    g71.Current().Bandwidth = 1;
    g71.Current().Valid = true;
    g71.Current().Service = "Simplex";
    g71.radio.StoreChannel();
    EXPECT_EQ(g71.Sent(), "MW 0,0,005,00145000000,0,1,0,0,0,,00,,00,000600000,0|MNA 0,005,Simplex");
    g71.radio.LoadChannel();
    EXPECT_EQ(g71.Current().Frequency, 14500000);
    EXPECT_EQ(g71.Current().Bandwidth, 1);
    EXPECT_TRUE(g71.Current().Valid);
    EXPECT_EQ(g71.Current().Service, "Simplex");
}

TEST(Thf6a, OffsetChoiceBeyondTheTableIsNone) {
    Channel a = MakeBlankChannel();
    a.Frequency = 14500000;
    Channel b = a;
    b.Bandwidth = 9;
    EXPECT_EQ(Thf6aMemoryBody(0, b), Thf6aMemoryBody(0, a));
    EXPECT_EQ(Thf6aMemoryBody(1, b), Thf6aMemoryBody(1, a));
}

TEST(Thf6a, ShortGarbledOrWrongMemoryAnswersAreNotTaken) {
    HandheldRig r;
    r.state.CurrentChannel = 5;
    for (const char* bad :
         {"MR 0,005,00145000000,0\r", "MR 0,005,001450x0000,0,0,0,0,0,0,08,08,000,000600000,0,0\r",
          "MR 0,005,00145000000,0,0,0,0,0,0,99,08,000,000600000,0,0\r",
          "MR 0,006,00145000000,0,0,0,0,0,0,08,08,000,000600000,0,0\r",
          "MR 0,5555,00145000000,0,0,0,0,0,0,08,08,000,000600000,0,0\r"}) {
        r.sim->ForcedAnswers["MR"] = bad;
        r.radio.LoadChannel();
        EXPECT_EQ(r.Current().Frequency, 0) << bad;
    }
    EXPECT_EQ(r.CountMessages("Radio sent bad packet->MR 0,005,"), 3);
    EXPECT_EQ(r.CountMessages("--Bad Frequency field"), 1);
    EXPECT_EQ(r.CountMessages("--Bad Tone field"), 1);
    EXPECT_EQ(r.CountMessages("Radio Returned wrong channel number.Requested 5 got 6"), 1);
    EXPECT_EQ(r.CountMessages("Decoding error for Memory Channel"), 1);
    EXPECT_EQ(r.CountMessages("Data Processing Error"), 0);
}

TEST(Thf6a, RecallRefusedOnceSwitchesToMemoryModeAndRetriesOnce) {
    HandheldRig r;
    r.sim->Memories["005"] = {
        {"00145500000", "0", "0", "0", "0", "0", "0", "00", "00", "000", "000000000", "0"},
        false,
        ""};
    r.radio.OpenRadio();
    r.Sent();
    // The driver believes the radio in memory mode; the radio is not.
    r.Profile().DriverState = 1;
    r.state.CurrentChannel = 5;
    r.radio.RecallChannel();
    EXPECT_EQ(r.Sent(), "MC 1,005|VMC 1,1|MC 1,005");
    EXPECT_EQ(r.sim->FrequencyHz, 145500000);
    EXPECT_FALSE(r.state.TuneRefused);
    EXPECT_EQ(r.CountMessages("could not select"), 0);

    // Tuning leaves memory mode first; an empty channel is reported after one retry.
    r.Tune(14500000, 1);
    EXPECT_EQ(r.Sent().rfind("VMC 1,0|VW 9,", 0), 0u);
    r.state.CurrentChannel = 6;
    r.radio.RecallChannel();
    EXPECT_EQ(r.Sent(), "VMC 1,1|MC 1,006|VMC 1,1|MC 1,006");
    EXPECT_EQ(r.CountMessages("Radio could not select memory channel 006"), 1);
    EXPECT_TRUE(r.state.TuneRefused);
}

TEST(Thf6a, SearchBanksWriteInOrderAndReadBack) {
    HandheldRig r;
    Channel& bank = r.memory.SearchBanks[3];
    bank.Lower = 14800000; // reversed
    bank.Upper = 14400000;
    bank.Step = 1250;
    bank.Mode = 1;
    bank.Valid = true;
    bank.Service = "Two Metre";
    r.SearchBank(true, 3);
    EXPECT_EQ(r.Sent(), "MW 0,L3,00144000000,0,0,0,0,0,0,00,00,000,000000000,0,0|"
                        "MW 0,U3,00148000000,0,0,0,0,0,0,00,00,000,000000000,0,0|"
                        "MNA L3,Two Metr|MNA U3,Two Metr");
    r.SearchBank(false, 3);
    EXPECT_EQ(r.Sent(), "MR 0,L3|MR 0,U3|MNA L3");
    EXPECT_EQ(bank.Lower, 14400000);
    EXPECT_EQ(bank.Upper, 14800000);
    EXPECT_EQ(bank.Step, 500);
    EXPECT_EQ(bank.Mode, 2);
    EXPECT_TRUE(bank.Valid);
    EXPECT_EQ(bank.Service, "Two Metr");
    // A bank the radio does not have comes back empty.
    r.SearchBank(false, 4);
    EXPECT_EQ(r.memory.SearchBanks[4].Lower, 0);
    EXPECT_FALSE(r.memory.SearchBanks[4].Valid);

    // The TH-F6A's band edges bound the bank ...
    r.memory.SearchBanks[5] = bank;
    r.memory.SearchBanks[5].Upper = 45000000;
    r.SearchBank(true, 5);
    ASSERT_TRUE(r.sim->Memories.count("U5"));
    EXPECT_EQ(r.sim->Memories["U5"].Fields[0], "00173900000");
    // ... but they are no TH-G71 band plan.
    HandheldRig g71(1);
    g71.memory.SearchBanks[5] = r.memory.SearchBanks[5];
    g71.SearchBank(true, 5);
    ASSERT_TRUE(g71.sim->Memories.count("U5"));
    EXPECT_EQ(g71.sim->Memories["U5"].Fields[0], "00450000000");
}

TEST(Thf6a, SignalReadsBusyThenTheMeter) {
    HandheldRig r;
    r.radio.OpenRadio();
    r.sim->Schedule.Parse("145.0 9\n", nullptr);
    r.Tune(14500000, 1);
    r.Sent();
    EXPECT_EQ(r.Signal(), 10);
    EXPECT_EQ(r.Sent(), "BY 1|SM 1");
    r.Tune(14600000, 1);
    r.Sent();
    EXPECT_EQ(r.Signal(), 0);
    EXPECT_EQ(r.Sent(), "BY 1");
}

TEST(Thf6a, WrongModelIsReported) {
    HandheldRig r(0, "thg71");
    r.radio.OpenRadio();
    EXPECT_EQ(r.CountMessages("--Model TH-G71 attached, TH-F6Aselected in Rigvane"), 1);
    EXPECT_EQ(r.CountMessages("Wrong Radio Model selected in PARMS. Radio functions may not work!"),
              1);
}

TEST(Thf6a, RadioTestWalksShortWordsAndStopsWhenCancelled) {
    const std::vector<std::string> words = Thf6aTestWords();
    const std::set<std::string> unique(words.begin(), words.end());
    EXPECT_EQ(unique.size(), words.size());
    EXPECT_EQ(words.size(), 26u * 36 + 26u * 36 * 36 - 16); // 16 never-sent words are this short
    for (const std::string& w : words) {
        ASSERT_TRUE(w.size() == 2 || w.size() == 3) << w;
        ASSERT_TRUE(w[0] >= 'A' && w[0] <= 'Z') << w;
    }
    for (const char* never : {"TX", "ID", "MW", "MR", "FQ", "ATT", "LMP", "MRM"})
        EXPECT_FALSE(unique.count(never)) << never;

    HandheldRig r;
    int asked = 0;
    DriverContext c = r.radio.Context();
    c.Cancelled = [&asked] { return asked++ == 7; };
    r.Driver().RadioTest(c);
    EXPECT_EQ(r.Sent(), "AA|AA 0|AA 1|AAA|AAA 0|AAA 1|AAB");
    EXPECT_EQ(r.state.RawCommand, "?");
}

} // namespace
} // namespace rigvane::test
