// Channels and banks through the clipboard as frequency-file lines.
#include <gtest/gtest.h>

#include "core/SimHost.h"
#include "storage/ClipboardLines.h"

using namespace rigvane;

TEST(ClipboardLines, RecordsSurviveCopyAndPaste) {
    SimHost host;
    Memory mem;
    Channel& c = mem.Channels[7];
    c.Frequency = 14550000;
    c.Mode = 1;
    c.Valid = c.Delay = c.Sync = true;
    c.Tone1 = 42;
    c.Tone2 = 17;
    c.Tone2On = true;
    c.Agc = 2;
    c.Antenna = 1;
    c.Bandwidth = 4;
    c.Count = 12;
    c.Signal = 5;
    c.TimeStamp = 86400;
    c.Service = "Fire dispatch";
    mem.Channels[9].Frequency = 4000000;
    for (bool shortForm : {false, true}) {
        const std::string text = DataLines(mem, MoveKind::Channels, {7, 9}, shortForm);
        const ParsedLines p = ParseDataLines(host, text, MoveKind::Channels);
        ASSERT_EQ(p.Records.size(), 2u);
        EXPECT_EQ(p.Records[0], c);
        EXPECT_EQ(p.Records[1].Frequency, 4000000);
    }

    mem.SearchBanks[2].Lower = 11800000;
    mem.SearchBanks[2].Upper = 13700000;
    mem.SearchBanks[2].Step = 2500;
    mem.SearchBanks[2].Mode = 3;
    mem.SearchBanks[2].Valid = true;
    mem.SearchBanks[2].Service = "Air band";
    const ParsedLines s = ParseDataLines(host, DataLines(mem, MoveKind::SearchBanks, {2}, false),
                                         MoveKind::SearchBanks);
    ASSERT_EQ(s.Records.size(), 1u);
    EXPECT_EQ(s.Records[0], mem.SearchBanks[2]);
}

TEST(ClipboardLines, OnlyDataLinesOfTheKindAreRead) {
    SimHost host;
    const std::string text = "* a comment\r\n"
                             "CLEAR ALL\n"
                             "CHAIN /dev/zero\n"
                             "  005 0145.50000 FM 00000 00000 S00 TS 0000000000 VLD NDLY Fire\n"
                             "\n"
                             "@ 3 10 20 SCAN Fire\n"
                             "006 0146.0 FM\n" // ends before the hit count: in error
                             "1000 0146.00000 FM 00000 00000 NDLY \n" // range error
                             "SCAN\n"
                             "001 0147.00000 AM 00001 00000 NDLY Tower";
    const ParsedLines p = ParseDataLines(host, text, MoveKind::Channels);
    ASSERT_EQ(p.Records.size(), 2u);
    EXPECT_EQ(p.Records[0].Frequency, 14550000);
    EXPECT_EQ(p.Records[0].Service, "Fire");
    EXPECT_EQ(p.Records[1].Service, "Tower");
    EXPECT_EQ(p.Keywords, 3);
    EXPECT_EQ(p.OtherKinds, 1);
    EXPECT_EQ(p.Rejected, 2);
    EXPECT_TRUE(host.Boxes.empty());
}
