// The hit journal's CSV: quoting that spreadsheet programs read back, a
// header only on a new file, and whole lines appended one per hit.
#include <gtest/gtest.h>

#include "common/TempDir.h"
#include "storage/HitJournal.h"

namespace rigvane {
namespace {

using test::ReadFile;
using test::TempDir;

HitRecord Sample(const std::string& service) {
    HitRecord r;
    r.Start = "2026-03-02 22:15:07";
    r.DurationS = 3.04;
    r.Channel = 7;
    r.Frequency = 14550000;
    r.Mode = "FM ";
    r.Level = 9;
    r.Service = service;
    r.Radio = "ICOM R8500";
    return r;
}

TEST(HitJournal, FieldsAreQuotedOnlyWhenTheyMustAndReadBackWhole) {
    EXPECT_EQ(CsvField("Fire dispatch"), "Fire dispatch");
    EXPECT_EQ(CsvField("Fire, North"), "\"Fire, North\"");
    EXPECT_EQ(CsvField("the \"big\" one"), "\"the \"\"big\"\" one\"");
    EXPECT_EQ(HitCsvLine(Sample("Air")),
              "2026-03-02 22:15:07,3.0,007,145.50000,FM,9,Air,ICOM R8500");
    for (const std::string service : {"", "Fire, \"North\"", "\"", ",,", "a\"b,c\"d"}) {
        std::vector<std::string> fields;
        ASSERT_TRUE(SplitCsvLine(HitCsvLine(Sample(service)), &fields)) << service;
        ASSERT_EQ(fields.size(), 8u);
        EXPECT_EQ(fields[6], service);
        EXPECT_EQ(fields[7], "ICOM R8500");
    }
    // A search hit no channel holds has an empty channel field.
    HitRecord unstored = Sample("x");
    unstored.Channel = -1;
    std::vector<std::string> fields;
    ASSERT_TRUE(SplitCsvLine(HitCsvLine(unstored), &fields));
    EXPECT_EQ(fields[2], "");
    // Broken lines are told apart (what a torn write would leave).
    for (const std::string bad : {"\"open", "a\"b,c", "\"x\"y,z"})
        EXPECT_FALSE(SplitCsvLine(bad, &fields)) << bad;
}

TEST(HitJournal, AppendsToAnExistingFileWithOneHeaderAndExportsTheRunsRecords) {
    TempDir dir;
    const std::string path = dir.Path() + "/hits.csv";
    {
        HitJournal j;
        j.SetPath(path);
        ASSERT_TRUE(j.Append(Sample("one")));
        // Flushed at once: visible before the journal is closed.
        EXPECT_EQ(ReadFile(path),
                  std::string(HitJournalHeader) + "\r\n" + HitCsvLine(Sample("one")) + "\r\n");
    }
    HitJournal j; // the next run appends
    j.SetPath(path);
    ASSERT_TRUE(j.Append(Sample("two")));
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.find(HitJournalHeader), 0u);
    EXPECT_EQ(text.find(HitJournalHeader, 1), std::string::npos);
    EXPECT_NE(text.find("two"), std::string::npos);

    // The export holds this run's records only, with a header.
    const std::string out = dir.Path() + "/export.csv";
    ASSERT_TRUE(j.Export(out));
    EXPECT_EQ(ReadFile(out),
              std::string(HitJournalHeader) + "\r\n" + HitCsvLine(Sample("two")) + "\r\n");
    // A journal that cannot be written says why and keeps the record for the export.
    HitJournal bad;
    bad.SetPath(dir.Path() + "/missing/dir/hits.csv");
    std::string error;
    EXPECT_FALSE(bad.Append(Sample("three"), &error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    EXPECT_EQ(bad.Records().size(), 1u);

    EXPECT_EQ(JournalPathFor("RIGVANE-HITS.csv", "/var/log/rig/RIGVANE.LOG"),
              "/var/log/rig/RIGVANE-HITS.csv");
    EXPECT_EQ(JournalPathFor("RIGVANE-HITS.csv", "RIGVANE.LOG"), "RIGVANE-HITS.csv");
    EXPECT_EQ(JournalPathFor("/tmp/h.csv", "/var/log/RIGVANE.LOG"), "/tmp/h.csv");
}

} // namespace
} // namespace rigvane
