#include "FrequencyFixture.h"

#include <random>

#include "core/CodeTables.h"
#include "core/Text.h"

using namespace rigvane;

using WriterTest = FrequencyFixture;

// The layout of each field and flag is pinned by the reader's tests on
// literal lines and by the round trip below; here, the two forms of a blank
// channel and the texts that would break a line.
TEST(FrequencyLines, LongAndShortForms) {
    Channel c = BlankChannel;
    const std::string start = "007 0000.00000 FMn 00000 00000 S00 ";
    EXPECT_EQ(ChannelLine(7, c, false),
              start + " TSTAMP  0000000000 PL 00  00 00 ....  ....  ....  .....  ...  ....  ..  "
                      "BW0  NOTVALID  NOANTEN  NORESUME  NODELAY ");
    EXPECT_EQ(ChannelLine(7, c, true), start + "TS  0000000000 PL 00  00 00 BW0  NDLY ");

    // A mode without a name (code 10) would shift the later fields: "n/a".
    c.Mode = 10;
    EXPECT_EQ(ChannelLine(7, c, true).substr(0, 19), "007 0000.00000 n/a ");
    // A line end inside a text would start a new line on reading.
    c.Service = "a\r\nCLEAR";
    EXPECT_EQ(ChannelLine(7, c, true).find_first_of("\r\n"), std::string::npos);

    EXPECT_EQ(HeaderLine({2005, 3, 2, 16, 5, 9}), "*** updated on 3/2/05 4:05:09p ");
}

TEST_F(WriterTest, NewFileHoldsHeaderChannelsAndAllBanks) {
    Mem.Channels[3].Frequency = 14550000;
    Mem.Channels[900].Frequency = 1;
    Mem.Channels[4].Service = "no frequency, not written";
    Mem.MemoryEdited = true;
    const std::string path = PathOf("new.frq");
    ASSERT_TRUE(WriteFrequencyFile(Ctx, path));
    EXPECT_FALSE(Mem.MemoryEdited);
    const auto lines = Lines(ReadText(path));
    ASSERT_EQ(lines.size(), 1u + 2 + 100 + 100);
    EXPECT_EQ(lines[0], "*** updated on 3/2/26 4:05:09p ");
    EXPECT_EQ(lines[1].substr(0, 15), "003 0145.50000 ");
    EXPECT_EQ(lines[2].substr(0, 4), "900 ");
    EXPECT_EQ(lines[3].substr(0, 8), "@   000 ");
    EXPECT_EQ(lines[103].substr(0, 8), "#   000 ");
    EXPECT_EQ(ReadText(path).find("\r\n"), lines[0].size()); // CR LF line ends
}

TEST_F(WriterTest, RewriteKeepsCommentsAndReplacesEntriesInPlace) {
    const std::string path = WriteText("old.frq", "*** updated on 1/1/20 1:00:00a \n"
                                                  "  * my comment\n"
                                                  "BANK ON\n"
                                                  "010 0100.00000 FM 0 0 NDLY old ten\n"
                                                  "SCAN\n"
                                                  "011 0101.00000 FM 0 0 NDLY emptied since\n"
                                                  "1000 0101.00000 FM 0 0 NDLY out of range\n"
                                                  "@ 7 1 2 SCAN old bank\n"
                                                  "%3 TYPE1 YNNNN 1\n"
                                                  "& 42 77 0 0 NDLY old id\n"
                                                  "\n");
    ReadFrequencyFile(Ctx, path);
    Mem.Channels[10].Service = "new ten";
    Mem.Channels[11] = BlankChannel;
    Mem.Channels[12].Frequency = 5;
    Mem.TrunkIds[42].Service = "new id";
    Mem.TrunkBanks[3].SystemType = 6;
    Mem.TrunkIds[99].Id = "555"; // in use, not in the old file: appended
    Host.Advance(3600 * 1000);
    ASSERT_TRUE(WriteFrequencyFile(Ctx, path));
    const auto lines = Lines(ReadText(path));
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[0], "*** updated on 3/2/26 5:05:09p ");
    EXPECT_EQ(lines[1], "*** updated on 1/1/20 1:00:00a ");
    EXPECT_EQ(lines[2], "  * my comment");
    EXPECT_EQ(lines[3], ChannelLine(10, Mem.Channels[10], false));
    EXPECT_EQ(lines[4].substr(0, 15), "011 0000.00000 "); // emptied channel written in place
    EXPECT_EQ(lines[5], ScanBankLine(7, Mem.ScanBanks[7]));
    EXPECT_EQ(lines[6], "%3 EDACS YNNNN 1");
    EXPECT_EQ(lines[7], TrunkIdLine(42, Mem.TrunkIds[42], false));
    EXPECT_EQ(lines[8].substr(0, 4), "012 "); // then the appended entries
    const std::string text = ReadText(path);
    EXPECT_EQ(text.find("BANK ON"), std::string::npos);
    EXPECT_EQ(text.find("\nSCAN"), std::string::npos);
    EXPECT_EQ(text.find("out of range"), std::string::npos);
    EXPECT_EQ(text.find("@   007", text.find("@   007") + 1), std::string::npos); // once
    EXPECT_NE(text.find("&099 555 "), std::string::npos);

    // Saving again keeps both earlier headers as comments under the new one.
    ASSERT_TRUE(WriteFrequencyFile(Ctx, path));
    const auto again = Lines(ReadText(path));
    EXPECT_EQ(again[1], lines[0]);
    EXPECT_EQ(again[2], lines[1]);
}

TEST_F(WriterTest, FailedSaveKeepsTheOldFileAndTheEditedFlag) {
    // A name so long that no temporary name fits beside it: the atomic write fails.
    const std::string name(250, 'f');
    const std::string old = "* precious\n001 0001.00000 FM 0 0 NDLY keep\n";
    const std::string path = WriteText(name, old);
    Mem.MemoryEdited = true;
    EXPECT_FALSE(WriteFrequencyFile(Ctx, path));
    EXPECT_EQ(ReadText(path), old);
    EXPECT_TRUE(Mem.MemoryEdited);
    ASSERT_EQ(Host.Boxes.size(), 1u);
    EXPECT_EQ(Host.Boxes[0].Title, "File Error");
    EXPECT_EQ(Host.Boxes[0].Text, "Create/update of Frequency file failed!");
    EXPECT_EQ(Messages().back().substr(0, 27), "*Frequency file not saved: ");
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Dir))
        files += !entry.is_directory();
    EXPECT_EQ(files, 1u); // no temporary file left behind

    // No file number free, or only one while the old file must be read: no save.
    for (int i = 0; i < FileSlots::Count - 1; ++i)
        Slots.TakeFileSlot();
    const std::string small = WriteText("small.frq", old);
    EXPECT_FALSE(WriteFrequencyFile(Ctx, small));
    Slots.TakeFileSlot();
    EXPECT_FALSE(WriteFrequencyFile(Ctx, small));
    EXPECT_EQ(ReadText(small), old);
    EXPECT_TRUE(Mem.MemoryEdited);
    EXPECT_EQ(Host.Boxes.size(), 3u);
    EXPECT_EQ(Slots.InUse(), FileSlots::Count);
    for (int i = 1; i <= FileSlots::Count; ++i)
        Slots.ReleaseFileSlot(i);
}

namespace {

std::string RandomText(std::mt19937& rng, size_t maxLength) {
    std::string s(rng() % (maxLength + 1), ' ');
    for (char& ch : s) {
        do
            ch = static_cast<char>(rng());
        while (ch == '\r' || ch == '\n');
    }
    return s;
}

void RandomChannel(std::mt19937& rng, Channel& c) {
    auto flag = [&] { return rng() % 2 == 0; };
    c = BlankChannel;
    c.Frequency = 1 + static_cast<int32_t>(rng() % NoFrequency);
    c.Mode = static_cast<uint8_t>(rng() % 10);
    c.Valid = flag();
    c.Delay = flag();
    c.Atten = flag();
    c.Resume = flag();
    c.Count = static_cast<int16_t>(rng() % 10001);
    c.ActiveTime = static_cast<int32_t>(rng() % 10001);
    c.Signal = static_cast<uint8_t>(rng() % 14);
    c.TimeStamp = flag() ? 0 : static_cast<Stamp>(rng() % 10000000000ULL);
    c.Service = RandomText(rng, 30);
    c.Notch = flag();
    c.Preamp = flag();
    c.Sync = flag();
    c.Trunked = flag();
    c.Tone1 = static_cast<uint8_t>(rng() % 43);
    c.Tone2 = static_cast<uint8_t>(rng() % 43);
    c.Tone2On = flag();
    c.Tone3 = static_cast<uint8_t>(rng() % 43);
    c.Tone3On = flag();
    c.Agc = static_cast<uint8_t>(rng() % 3);
    c.Antenna = static_cast<uint8_t>(rng() % 3);
    c.NoiseBlank = static_cast<uint8_t>(rng() % 3);
    c.Bandwidth = static_cast<uint8_t>(rng() % 7);
}

void RandomMemory(std::mt19937& rng, Memory& m) {
    m = Memory();
    for (int k = 0; k < 25; ++k)
        RandomChannel(rng, m.Channels[rng() % ChannelCount]);
    for (int k = 0; k < 5; ++k) {
        Channel& s = m.ScanBanks[rng() % BankCount];
        s.Valid = rng() % 2;
        s.Lower = static_cast<int32_t>(rng() % 1000);
        s.Upper = static_cast<int32_t>(rng() % 1000);
        s.Service = RandomText(rng, 20);
        Channel& b = m.SearchBanks[rng() % BankCount];
        b.Valid = rng() % 2;
        b.Lower = static_cast<int32_t>(rng() % (NoFrequency + 1u));
        b.Upper = static_cast<int32_t>(rng() % (NoFrequency + 1u));
        b.Step = static_cast<int32_t>(rng() % 100000);
        b.Mode = static_cast<uint8_t>(rng() % 10);
        b.Service = RandomText(rng, 20);
    }
    for (int k = 0; k < 3; ++k) {
        TrunkBank& t = m.TrunkBanks[rng() % TrunkBankCount];
        t.SystemType = static_cast<uint8_t>(rng() % 7);
        t.ScanEnabled = rng() % 2;
        for (int i = 0; i < TrunkBankCount; ++i)
            t.IdBankEnabled[i] = rng() % 2;
    }
    const std::string idChars = "0123456789ABCDEF-,./_";
    for (int k = 0; k < 10; ++k) {
        TrunkId& t = m.TrunkIds[rng() % TrunkIdCount];
        t.Id.clear();
        for (size_t n = 1 + rng() % 8; n > 0; --n)
            t.Id += idChars[rng() % idChars.size()];
        t.Valid = rng() % 2;
        t.Delay = rng() % 2;
        t.Atten = rng() % 2;
        t.Resume = rng() % 2;
        t.Count = static_cast<int16_t>(rng() % 10001);
        t.ActiveTime = static_cast<int32_t>(rng() % 10001);
        t.Signal = static_cast<uint8_t>(rng() % 14);
        t.TimeStamp = rng() % 2 ? 0 : static_cast<Stamp>(rng() % 10000000000ULL);
        t.Service = RandomText(rng, 20);
    }
}

} // namespace

// Random memories written in the long and the short form read back equal,
// whether their lines are appended to a new file or written in place of the
// lines of an old one. Texts hold any byte but a line end, so services that
// are not UTF-8 must come back byte for byte.
TEST_F(WriterTest, RandomMemoriesRoundTrip) {
    std::mt19937 rng(20261206);
    const std::string path = PathOf("round.frq");
    for (int trial = 0; trial < 1000; ++trial) {
        Memory original;
        RandomMemory(rng, original);
        Config.Global.SaveShort = trial % 2 == 1;
        std::filesystem::remove(path);
        if (trial % 4 >= 2) { // an old file naming some entries, trunk ones included
            std::string old = "* old\n";
            for (int k = 0; k < 20; ++k) {
                old += "&" + std::to_string(rng() % TrunkIdCount) + " x 0 0 NDLY\n";
                old += "%" + std::to_string(rng() % TrunkBankCount) + " TYPE1 Y 1\n";
                old += std::to_string(rng() % ChannelCount) + " 1 FM 0 0 NDLY\n";
                old += "@ " + std::to_string(rng() % BankCount) + " 1 1 SCAN\n";
            }
            WriteText("round.frq", old);
        }
        Mem = original;
        ASSERT_TRUE(WriteFrequencyFile(Ctx, path)) << trial;
        ASSERT_TRUE(Mem.Channels == original.Channels && Mem.ScanBanks == original.ScanBanks &&
                    Mem.SearchBanks == original.SearchBanks)
            << "saving changed the memory it saved, trial " << trial;
        Mem = Memory();
        ASSERT_TRUE(ReadFrequencyFile(Ctx, path)) << trial;
        for (int i = 0; i < ChannelCount; ++i)
            ASSERT_EQ(Mem.Channels[i], original.Channels[i])
                << "trial " << trial << " channel " << i << "\n"
                << ChannelLine(i, original.Channels[i], Config.Global.SaveShort);
        for (int i = 0; i < BankCount; ++i) {
            ASSERT_EQ(Mem.ScanBanks[i], original.ScanBanks[i]) << trial << " scan " << i;
            ASSERT_EQ(Mem.SearchBanks[i], original.SearchBanks[i]) << trial << " search " << i;
        }
        for (int i = 0; i < TrunkBankCount; ++i)
            ASSERT_EQ(Mem.TrunkBanks[i], original.TrunkBanks[i]) << trial << " trunk bank " << i;
        for (int i = 0; i < TrunkIdCount; ++i)
            ASSERT_EQ(Mem.TrunkIds[i], original.TrunkIds[i]) << trial << " trunk ID " << i;
        ASSERT_TRUE(Host.Boxes.empty());
    }
}
