#include "FrequencyFixture.h"

#include <random>

#include "core/Text.h"

using namespace rigvane;

namespace {

struct DbfField {
    std::string Name;
    uint8_t Length;
};

void PutLe(std::string& s, size_t at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        s[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

// A dBase III table built byte by byte: header, field descriptors, records.
std::string MakeDbf(const std::vector<DbfField>& fields,
                    const std::vector<std::vector<std::string>>& records, uint8_t version = 3,
                    int64_t claimedRecords = -1) {
    std::string s(32, '\0');
    s[0] = static_cast<char>(version);
    s[1] = 126;
    s[2] = 12;
    s[3] = 6;
    uint32_t recordLength = 1;
    for (const DbfField& f : fields)
        recordLength += f.Length;
    PutLe(s, 4, claimedRecords < 0 ? records.size() : static_cast<uint64_t>(claimedRecords), 4);
    PutLe(s, 8, 32 + 32 * fields.size() + 1, 2);
    PutLe(s, 10, recordLength, 2);
    for (const DbfField& f : fields) {
        std::string d(32, '\0');
        d.replace(0, std::min<size_t>(f.Name.size(), 10), f.Name.substr(0, 10));
        d[11] = 'C';
        d[16] = static_cast<char>(f.Length);
        s += d;
    }
    s += '\r';
    for (const auto& record : records) {
        s += ' ';
        for (size_t i = 0; i < fields.size(); ++i)
            s += FixedWidth(i < record.size() ? record[i] : "", fields[i].Length);
    }
    return s + '\x1A';
}

const std::vector<DbfField> Layout = {{"CALLSIGN", 6}, {"FREQUENCY", 10}, {"DESCRIPT", 24}};

} // namespace

using DatabaseTest = FrequencyFixture;

TEST_F(DatabaseTest, LoadsFrequenciesAndDescriptions) {
    const std::string path =
        WriteText("FREQLIST.DBF", MakeDbf(Layout, {{"AB1", "145.5", "  Fire dispatch  "},
                                                   {"", "118", "Tower"},
                                                   {"", "118.0", "Second tower"},
                                                   {"", "12345.6", "Too wide"},
                                                   {"", " 0.455", "\xE4 IF"}}));
    ASSERT_TRUE(ReadDatabase(Ctx, path));
    EXPECT_TRUE(Host.Boxes.empty());
    EXPECT_EQ(Messages().back(), "Loading new DBF file " + path);
    EXPECT_EQ(Db.DbCount, 5);
    EXPECT_EQ(Db.DbFreq[3], NoFrequency);
    EXPECT_EQ(Db.DbLookup(14550000), "Fire dispatch");
    EXPECT_EQ(Db.DbLookup(11800000), "Tower"); // the first of two
    EXPECT_EQ(Db.DbLookup(45500), "\xE4 IF");
    EXPECT_EQ(Db.DbLookup(NoFrequency), "");
    EXPECT_EQ(Db.DbLookup(0), "");
    EXPECT_EQ(Db.DbLookup(14550001), "");

    // A new table replaces the old one; an empty name does nothing.
    ASSERT_TRUE(ReadDatabase(Ctx, WriteText("b.dbf", MakeDbf(Layout, {{"", "30", "Thirty"}}))));
    EXPECT_EQ(Db.DbCount, 1);
    EXPECT_EQ(Db.DbLookup(14550000), "");
    EXPECT_FALSE(ReadDatabase(Ctx, ""));
    EXPECT_EQ(Db.DbCount, 1);
    EXPECT_TRUE(Host.Boxes.empty());
}

TEST_F(DatabaseTest, RefusedFilesKeepWhatWasLoaded) {
    ASSERT_TRUE(ReadDatabase(Ctx, WriteText("good.dbf", MakeDbf(Layout, {{"", "30", "Thirty"}}))));
    std::mt19937 rng(99);
    std::string junk(5000, '\0');
    for (char& ch : junk)
        ch = static_cast<char>(rng());
    junk[0] = 3;
    std::string zeroLength = MakeDbf(Layout, {{"", "30", "x"}});
    PutLe(zeroLength, 10, 0, 2);
    const std::string wrong = "Wrong format for Database file ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {WriteText("memo.dbf", MakeDbf(Layout, {{"", "30", "x"}}, 0x83)), wrong},
        {WriteText("nodesc.dbf", MakeDbf({{"FREQUENCY", 10}, {"NAME", 10}}, {{"30", "x"}})), wrong},
        {WriteText("short.dbf", std::string(10, '\x03')), wrong},
        {WriteText("junk.dbf", junk), wrong},
        {WriteText("zerolength.dbf", zeroLength), wrong},
        {WriteText("empty.dbf", ""), "Open failed for Database file \n" + PathOf("empty.dbf")},
        {PathOf("missing.dbf"), "Open failed for Database file \n" + PathOf("missing.dbf")},
        {Dir.string(), "Open failed for Database file \n" + Dir.string()},
    };
    for (const auto& [path, message] : cases) {
        Host.Boxes.clear();
        EXPECT_FALSE(ReadDatabase(Ctx, path)) << path;
        ASSERT_EQ(Host.Boxes.size(), 1u) << path;
        EXPECT_EQ(Host.Boxes[0].Title, "DB Read");
        EXPECT_EQ(Host.Boxes[0].Text, message) << path;
        EXPECT_EQ(Host.Boxes[0].Icon, MsgIcon::Exclamation);
        EXPECT_EQ(Db.DbLookup(3000000), "Thirty") << path;
    }

    // No file number free.
    for (int i = 0; i < FileSlots::Count; ++i)
        Slots.TakeFileSlot();
    EXPECT_FALSE(ReadDatabase(Ctx, PathOf("good.dbf")));
    EXPECT_EQ(Host.Boxes.back().Text, "Open failed for Database file \n" + PathOf("good.dbf"));
    for (int i = 1; i <= FileSlots::Count; ++i)
        Slots.ReleaseFileSlot(i);
}

TEST_F(DatabaseTest, RecordsReadBeforeTheEndStayLoaded) {
    std::vector<std::vector<std::string>> records;
    for (int i = 0; i < 4; ++i)
        records.push_back({"", std::to_string(100 + i), "r" + std::to_string(i)});
    std::string file = MakeDbf(Layout, records, 3, 10);
    file += std::string(12, ' '); // a fifth record cut short
    EXPECT_FALSE(ReadDatabase(Ctx, WriteText("cut.dbf", file)));
    EXPECT_EQ(Host.Boxes.back().Text, "Database file Could not read all records!");
    EXPECT_EQ(Db.DbCount, 4);
    EXPECT_EQ(Db.DbLookup(10300000), "r3");

    // A header that claims four thousand million records allocates nothing absurd.
    EXPECT_FALSE(ReadDatabase(Ctx, WriteText("huge.dbf", MakeDbf(Layout, records, 3, 0xFFFFFFFF))));
    EXPECT_EQ(Db.DbCount, 4);

    // No records and a record length of 0: an empty table, not a division by zero.
    std::string empty = MakeDbf(Layout, {});
    PutLe(empty, 10, 0, 2);
    EXPECT_TRUE(ReadDatabase(Ctx, WriteText("none.dbf", empty)));
    EXPECT_EQ(Db.DbCount, 0);
}

TEST_F(DatabaseTest, LookupServicesFillsOnlyEmptyServices) {
    ASSERT_TRUE(ReadDatabase(
        Ctx, WriteText("l.dbf", MakeDbf(Layout, {{"", "145.5", "Fire"}, {"", "30", "Thirty"}}))));
    Mem.Channels[1].Frequency = 14550000;
    Mem.Channels[2].Frequency = 14550000;
    Mem.Channels[2].Service = "mine";
    Mem.Channels[800].Frequency = 3000000;
    std::vector<std::pair<int, std::string>> updates;
    std::vector<std::string> shown;
    Prog.OnShow = [&](const std::string& action) { shown.push_back(action); };
    Prog.OnUpdate = [&](int percent, const std::string& text) {
        updates.emplace_back(percent, text);
    };
    Prog.OnHide = [&] { shown.push_back("hidden"); };
    Prog.Cancel = true; // left over from an earlier operation: cleared at the start
    LookupServices(Ctx);
    EXPECT_EQ(Mem.Channels[1].Service, "Fire");
    EXPECT_EQ(Mem.Channels[2].Service, "mine");
    EXPECT_EQ(Mem.Channels[800].Service, "Thirty");
    EXPECT_EQ(Mem.Channels[3].Service, "");
    EXPECT_TRUE(Mem.MemoryEdited);
    EXPECT_EQ(shown, (std::vector<std::string>{"Searching..", "hidden"}));
    ASSERT_EQ(updates.size(), 1000u);
    EXPECT_EQ(updates.back(), std::make_pair(99, std::string("99%")));
    EXPECT_NE(std::find(Changed.begin(), Changed.end(), std::make_pair(EntryKind::Channel, 800)),
              Changed.end());

    // Cancel half-way: the channels after the cancel keep their empty service.
    Mem.Channels[1].Service.clear();
    Mem.Channels[800].Service.clear();
    int yields = 0;
    Host.OnYield = [&] {
        if (++yields == 500) Prog.Cancel = true;
    };
    LookupServices(Ctx);
    EXPECT_EQ(Mem.Channels[1].Service, "Fire");
    EXPECT_EQ(Mem.Channels[800].Service, "");
}

TEST_F(DatabaseTest, SortPutsTheHighestFrequencyFirstAndCanBeCancelled) {
    std::mt19937 rng(5);
    for (int i = 0; i < ChannelCount; ++i) {
        if (rng() % 4 == 0) continue; // empty channels
        Mem.Channels[i].Frequency = 1 + static_cast<int32_t>(rng() % 100000000);
        Mem.Channels[i].Service = std::to_string(Mem.Channels[i].Frequency);
    }
    Memory before = Mem;
    std::vector<std::string> shown;
    std::string lastText;
    Prog.OnShow = [&](const std::string& action) { shown.push_back(action); };
    Prog.OnUpdate = [&](int, const std::string& text) { lastText = text; };
    SortChannels(Ctx);
    EXPECT_EQ(shown, std::vector<std::string>{"Sorting..."});
    EXPECT_EQ(lastText, "%99");
    EXPECT_EQ(Messages().back(), "Sorted the database by Frequency");
    for (int i = 0; i + 1 < ChannelCount; ++i)
        ASSERT_GE(Mem.Channels[i].Frequency, Mem.Channels[i + 1].Frequency) << i;
    EXPECT_EQ(Mem.Channels[ChannelCount - 1].Frequency, 0);
    for (int i = 0; i < ChannelCount; ++i) { // whole records moved
        if (Mem.Channels[i].Frequency > 0) {
            ASSERT_EQ(Mem.Channels[i].Service, std::to_string(Mem.Channels[i].Frequency));
        }
    }

    // Cancelled after ten passes: channels 0..9 are final, the rest is not sorted.
    Mem = before;
    int yields = 0;
    Host.OnYield = [&] {
        if (++yields == 10) Prog.Cancel = true;
    };
    SortChannels(Ctx);
    std::vector<int32_t> all;
    for (int i = 0; i < ChannelCount; ++i)
        all.push_back(before.Channels[i].Frequency);
    std::sort(all.rbegin(), all.rend());
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Mem.Channels[i].Frequency, all[i]) << i;
    bool sorted = true;
    for (int i = 10; i + 1 < ChannelCount; ++i)
        sorted = sorted && Mem.Channels[i].Frequency >= Mem.Channels[i + 1].Frequency;
    EXPECT_FALSE(sorted);
}
