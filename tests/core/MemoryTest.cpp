#include <gtest/gtest.h>

#include <set>

#include "core/Channel.h"
#include "core/CodeTables.h"
#include "core/FileSlots.h"

using namespace rigvane;

TEST(FileSlots, TwentyNumbersThenNone) {
    FileSlots slots;
    std::set<int> taken;
    for (int i = 0; i < FileSlots::Count; ++i)
        taken.insert(slots.TakeFileSlot());
    EXPECT_EQ(taken, (std::set<int>{1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                    11, 12, 13, 14, 15, 16, 17, 18, 19, 20}));
    EXPECT_EQ(slots.TakeFileSlot(), 0);
    EXPECT_EQ(slots.InUse(), 20);

    slots.ReleaseFileSlot(7);
    slots.ReleaseFileSlot(0);  // "no file": ignored
    slots.ReleaseFileSlot(-3); // ignored
    slots.ReleaseFileSlot(21); // ignored
    EXPECT_EQ(slots.InUse(), 19);
    EXPECT_EQ(slots.TakeFileSlot(), 7);
    EXPECT_EQ(slots.TakeFileSlot(), 0);
}

TEST(Memory, ClearAllMemoryResetsTablesButNotTrunkScanSwitch) {
    Memory m;
    m.Channels[5].Frequency = 14550000;
    m.Channels[999].Service = "Tower";
    m.TrunkIds[123].Id = "4711";
    m.ScanBanks[3] = {};
    m.ScanBanks[3].Valid = true;
    m.ScanBanks[3].Lower = 10;
    m.ScanBanks[3].Upper = 20;
    m.ScanBanks[3].Service = "Air";
    m.SearchBanks[99].Valid = true;
    m.SearchBanks[99].Step = 1250;
    m.SearchBanks[99].Mode = 4;
    m.SearchBanks[99].Lower = 11800000;
    m.TrunkBanks[9].SystemType = 6;
    m.TrunkBanks[9].ScanEnabled = true;
    m.TrunkBanks[9].IdBankEnabled[9] = true;

    m.ClearAllMemory();

    for (int i = 0; i < ChannelCount; ++i)
        ASSERT_EQ(m.Channels[i], BlankChannel) << i;
    for (int i = 0; i < TrunkIdCount; ++i)
        ASSERT_EQ(m.TrunkIds[i].Id, "------") << i;
    const Channel& scan = m.ScanBanks[3];
    EXPECT_FALSE(scan.Valid);
    EXPECT_EQ(scan.Lower, 0);
    EXPECT_EQ(scan.Upper, 0);
    EXPECT_EQ(scan.Service, "");
    const Channel& search = m.SearchBanks[99];
    EXPECT_FALSE(search.Valid);
    EXPECT_EQ(search.Step, 500);
    EXPECT_EQ(search.Mode, 2);
    EXPECT_EQ(search.Lower, 0);
    EXPECT_EQ(m.TrunkBanks[9].SystemType, 0);
    EXPECT_FALSE(m.TrunkBanks[9].IdBankEnabled[9]);
    EXPECT_TRUE(m.TrunkBanks[9].ScanEnabled); // not part of the clear

    // Out-of-range bank numbers are refused, not written past the table.
    m.ClearScanBank(-1);
    m.ClearSearchBank(BankCount + 2);
}

TEST(CodeTables, BearcatToneMapsAreMonotoneAndInvertible) {
    const auto& map = BearcatToneMap();
    const auto& reverse = BearcatToneReverse();
    EXPECT_EQ(map[0], 0);
    // Numbers never go down, and each shared number maps back to the lower code.
    for (int code = 1; code < ToneCount; ++code)
        ASSERT_GE(map[code], map[code - 1]);
    EXPECT_EQ(reverse[1], 1);
    EXPECT_EQ(reverse[32], 33);
    EXPECT_EQ(reverse[35], 37);
    EXPECT_EQ(reverse[38], 41);
    for (int code = 0; code < ToneCount; ++code) {
        if (code == 2 || code == 34 || code == 38 || code == 42) continue;
        ASSERT_EQ(reverse[map[code]], code) << code;
    }
}

TEST(CodeTables, ModelNamesNeverReadPastTheTable) {
    EXPECT_STREQ(ModelName(ProtoIcom, 2), "ICOM R8500");
    // Slot 5 is empty and stored models 6 and 7 name nothing; no read past the table.
    EXPECT_STREQ(ModelName(ProtoIcom, 5), "");
    EXPECT_STREQ(ModelName(ProtoIcom, 7), "");
    EXPECT_STREQ(ModelName(12, 0), "");
    EXPECT_STREQ(ModelName(-1, 0), "");
}
