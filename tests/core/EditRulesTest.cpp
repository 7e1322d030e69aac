// Entry rules of the editors and the field-wise replay of edits.
#include <gtest/gtest.h>

#include "core/EditRules.h"

using namespace rigvane;

TEST(EditRules, FrequencyEntries) {
    // The value itself is TextToFreq's; here, which texts are taken.
    int32_t v = -1;
    EXPECT_TRUE(ParseEntryFrequency(" 0145.50000 ", v));
    EXPECT_EQ(v, 14550000);
    EXPECT_TRUE(ParseEntryFrequency(".455", v));
    EXPECT_EQ(v, 45500);
    EXPECT_TRUE(ParseEntryFrequency("9999.99999", v)); // the top of the scale
    EXPECT_EQ(v, 999999999);
    EXPECT_TRUE(ParseEntryFrequency("0", v));
    EXPECT_EQ(v, 0);

    v = 7;
    for (const char* bad : {"", "   ", "00145.5", "12345", "1.2.3", "14a", "-5", ".", "1e3"})
        EXPECT_FALSE(ParseEntryFrequency(bad, v)) << bad;
    EXPECT_EQ(v, 7); // a refused text leaves the value alone
}

TEST(EditRules, NumberEntries) {
    int v = -1;
    EXPECT_TRUE(ParseEntryNumber("999", 999, v));
    EXPECT_EQ(v, 999);
    EXPECT_TRUE(ParseEntryNumber("007", 99, v));
    EXPECT_EQ(v, 7);
    for (const char* bad : {"", "1000", "-1", "1 2", "x", "99999999999999"})
        EXPECT_FALSE(ParseEntryNumber(bad, 999, v)) << bad;
    EXPECT_FALSE(ParseEntryNumber("100", 99, v));
}

TEST(EditRules, ReplayTouchesOnlyChangedFields) {
    // Every field of `to` differs from `from`: replaying turns `from` into `to`.
    Channel from = BlankChannel, to;
    to.Frequency = 1;
    to.Mode = 5;
    to.Valid = to.Delay = to.Atten = to.Resume = true;
    to.Count = 3;
    to.ActiveTime = 4;
    to.Signal = 5;
    to.TimeStamp = 6;
    to.Service = "x";
    to.Notch = to.Preamp = to.Sync = to.Trunked = true;
    to.Tone1 = 1;
    to.Tone2 = 2;
    to.Tone2On = true;
    to.Tone3 = 3;
    to.Tone3On = true;
    to.Agc = 1;
    to.Antenna = 2;
    to.NoiseBlank = 1;
    to.Bandwidth = 4;
    to.ChannelNo = 9;
    to.Step = 1250;
    to.Lower = 7;
    to.Upper = 8;
    Channel target = from;
    ApplyChangedFields(target, from, to);
    EXPECT_EQ(target, to);

    // An edit of the frequency undone while the scan counted a hit: the
    // count stays, the frequency goes back.
    Channel before = BlankChannel;
    before.Frequency = 14550000;
    Channel after = before;
    after.Frequency = 14600000;
    Channel live = after;
    live.Count = 12;
    ApplyChangedFields(live, after, before);
    EXPECT_EQ(live.Frequency, 14550000);
    EXPECT_EQ(live.Count, 12);

    // A field replaced since the edit (a file read, Clear ALL) keeps its new value.
    Channel replaced = BlankChannel;
    replaced.Frequency = 40000000;
    ApplyChangedFields(replaced, after, before);
    EXPECT_EQ(replaced.Frequency, 40000000);
}
