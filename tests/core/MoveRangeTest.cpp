// Copy, move and swap of ranges of channels and banks.
#include <gtest/gtest.h>

#include "core/MoveRange.h"

using namespace rigvane;

namespace {

// Channel i holds frequency 1000 + i and a service naming it.
Memory Numbered() {
    Memory m;
    for (int i = 0; i < ChannelCount; ++i) {
        m.Channels[i].Frequency = 1000 + i;
        m.Channels[i].Service = "ch" + std::to_string(i);
        m.Channels[i].Valid = true;
    }
    for (int i = 0; i < BankCount; ++i) {
        m.ScanBanks[i].Lower = i;
        m.ScanBanks[i].Upper = i + 1;
        m.ScanBanks[i].Service = "bank" + std::to_string(i);
        m.SearchBanks[i].Lower = 100 * i;
        m.SearchBanks[i].Step = 1250;
        m.SearchBanks[i].Mode = 5;
    }
    return m;
}

} // namespace

TEST(MoveRange, CopyMoveAndSwapOfChannels) {
    Memory m = Numbered();
    MoveResult r = MoveRange(m, MoveKind::Channels, MoveOp::Copy, 10, 19, 500);
    ASSERT_TRUE(r.Done);
    EXPECT_TRUE(m.MemoryEdited);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(m.Channels[10 + i].Frequency, 1010 + i); // source unchanged
        EXPECT_EQ(m.Channels[500 + i], m.Channels[10 + i]);
    }
    EXPECT_EQ(m.Channels[510].Frequency, 1510);

    m = Numbered();
    MoveRange(m, MoveKind::Channels, MoveOp::Move, 10, 19, 500);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(m.Channels[10 + i], BlankChannel); // "FMn", step 500
        EXPECT_EQ(m.Channels[500 + i].Service, "ch" + std::to_string(10 + i));
    }

    m = Numbered();
    MoveRange(m, MoveKind::Channels, MoveOp::Swap, 1, 3, 7);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m.Channels[1 + i].Frequency, 1007 + i);
        EXPECT_EQ(m.Channels[7 + i].Frequency, 1001 + i);
    }
}

TEST(MoveRange, BanksAreClearedWithTheirOwnRules) {
    Memory m = Numbered();
    MoveRange(m, MoveKind::ScanBanks, MoveOp::Swap, 1, 3, 7);
    EXPECT_EQ(m.ScanBanks[1].Service, "bank7");
    EXPECT_EQ(m.ScanBanks[9].Service, "bank3");

    MoveRange(m, MoveKind::SearchBanks, MoveOp::Move, 4, 5, 90);
    EXPECT_EQ(m.SearchBanks[4].Step, 500);
    EXPECT_EQ(m.SearchBanks[4].Mode, 2);
    EXPECT_EQ(m.SearchBanks[4].Lower, 0);
    EXPECT_EQ(m.SearchBanks[91].Lower, 500);
    EXPECT_EQ(m.SearchBanks[91].Step, 1250);
    // A bank index above 99 is the table's end.
    MoveResult r = MoveRange(m, MoveKind::ScanBanks, MoveOp::Copy, 0, 500, 99);
    EXPECT_EQ(r.First, 0);
    EXPECT_EQ(r.Last, 0);
    EXPECT_EQ(r.Dest, 99);
    EXPECT_EQ(m.ScanBanks[100], Memory().ScanBanks[100]); // nothing beyond the end
}

TEST(MoveRange, RangeIsClampedOrderedAndCutAtTheEnd) {
    Memory m = Numbered();
    const Channel beyond = m.Channels[ChannelCount];
    // 990..999 to 995: cut to 990..994 before anything is written.
    MoveResult r = MoveRange(m, MoveKind::Channels, MoveOp::Copy, 990, 999, 995);
    EXPECT_EQ(r.First, 990);
    EXPECT_EQ(r.Last, 994);
    EXPECT_EQ(r.Dest, 995);
    EXPECT_EQ(m.Channels[999].Frequency, 1994);
    EXPECT_EQ(m.Channels[ChannelCount], beyond);

    // Start 20, end 10 is 10..20; negative numbers are 0.
    m = Numbered();
    r = MoveRange(m, MoveKind::Channels, MoveOp::Copy, 20, 10, 100);
    EXPECT_EQ(r.First, 10);
    EXPECT_EQ(r.Last, 20);
    EXPECT_EQ(m.Channels[110].Frequency, 1020);
    r = MoveRange(m, MoveKind::Channels, MoveOp::Copy, -5, 2, -1);
    EXPECT_EQ(r.First, 0);
    EXPECT_EQ(r.Dest, 0);

    // Copying a range onto itself changes nothing and is not an edit.
    m = Numbered();
    r = MoveRange(m, MoveKind::Channels, MoveOp::Move, 5, 9, 5);
    EXPECT_TRUE(r.Done);
    EXPECT_FALSE(m.MemoryEdited);
    EXPECT_EQ(m.Channels[7].Frequency, 1007);
}

TEST(MoveRange, OverlappingRanges) {
    // Copy and move take the source first: overlapping is safe.
    Memory m = Numbered();
    MoveRange(m, MoveKind::Channels, MoveOp::Copy, 10, 14, 12);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(m.Channels[12 + i].Frequency, 1010 + i);
    m = Numbered();
    MoveRange(m, MoveKind::Channels, MoveOp::Move, 10, 14, 12);
    EXPECT_EQ(m.Channels[10], BlankChannel);
    EXPECT_EQ(m.Channels[11], BlankChannel);
    EXPECT_EQ(m.Channels[16].Frequency, 1014);

    // A swap into its own source after the start would lose entries: refused.
    m = Numbered();
    const Memory before = m;
    MoveResult r = MoveRange(m, MoveKind::Channels, MoveOp::Swap, 3, 7, 5);
    EXPECT_FALSE(r.Done);
    EXPECT_FALSE(r.Error.empty());
    EXPECT_FALSE(m.MemoryEdited);
    for (int i = 0; i < ChannelCount; ++i)
        ASSERT_EQ(m.Channels[i], before.Channels[i]);

    // Destination before the source: every entry survives.
    r = MoveRange(m, MoveKind::Channels, MoveOp::Swap, 5, 9, 3);
    ASSERT_TRUE(r.Done);
    std::multiset<int32_t> seen;
    for (int i = 3; i <= 9; ++i)
        seen.insert(m.Channels[i].Frequency);
    EXPECT_EQ(seen, (std::multiset<int32_t>{1003, 1004, 1005, 1006, 1007, 1008, 1009}));
    EXPECT_EQ(m.Channels[3].Frequency, 1005);
}
