// The activity schedule, the catalogue and the "sim:" device strings.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "sim/Activity.h"
#include "sim/Catalog.h"
#include "sim/IcomRadio.h"

namespace rigvane::test {
namespace {

TEST(Activity, ParsesLinesCommentsAndTiming) {
    Activity a;
    std::vector<std::string> errors;
    EXPECT_TRUE(a.Parse("# police\n"
                        "  146.52 7   # always on\n"
                        "\n"
                        "162.4 12 1.5 3\r\n"
                        "0.5 1\n",
                        &errors));
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(a.Entries.size(), 3u);
    EXPECT_EQ(a.Entries[0].FrequencyHz, 146520000);
    EXPECT_EQ(a.Entries[0].Line, 2);
    EXPECT_EQ(a.Entries[1].OnMs, 1500);
    EXPECT_EQ(a.Entries[1].OffMs, 3000);
    EXPECT_EQ(a.Entries[2].FrequencyHz, 500000);

    EXPECT_EQ(a.LevelAt(146520000, 0), 7);
    EXPECT_EQ(a.LevelAt(146522000, 0), 7); // within the tolerance
    EXPECT_EQ(a.LevelAt(146530000, 0), 0);
    EXPECT_EQ(a.LevelAt(162400000, 1499), 12); // on for 1.5 s ...
    EXPECT_EQ(a.LevelAt(162400000, 1500), 0);  // ... off for 3 s ...
    EXPECT_EQ(a.LevelAt(162400000, 4500), 12); // ... and round again
}

TEST(Activity, BadLinesAreReportedByNumberAndSkipped) {
    Activity a;
    std::vector<std::string> errors;
    EXPECT_FALSE(a.Parse("146.52\n"           // 1: no level
                         "abc 3\n"            // 2: not a frequency
                         "146.52 13\n"        // 3: level above 12
                         "146.52 -1\n"        // 4: negative level
                         "146.52 3 5\n"       // 5: on without off
                         "146.52 3 0 5\n"     // 6: never on
                         "1e3 3\n"            // 7: no exponents
                         "146.52 3 x y\n"     // 8: bad timing
                         "0 3\n"              // 9: zero frequency
                         "99999999999999 3\n" // 10: absurd
                         "146.1234567 3\n"    // 11: below 1 Hz
                         "145.5 4\n",         // 12: good
                         &errors));
    ASSERT_EQ(errors.size(), 11u);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(errors[size_t(i)].rfind("line " + std::to_string(i + 1) + ":", 0), 0u)
            << errors[size_t(i)];
    ASSERT_EQ(a.Entries.size(), 1u);
    EXPECT_EQ(a.Entries[0].Line, 12);

    // Binary junk and a missing file are reported, never fatal.
    std::mt19937 rng(7);
    std::string junk(20000, '\0');
    for (char& c : junk)
        c = char(rng());
    Activity b;
    b.Parse(junk, nullptr);
    std::vector<std::string> missing;
    EXPECT_FALSE(b.Load("/nonexistent/activity.txt", &missing));
    EXPECT_EQ(missing.size(), 1u);
}

TEST(SimCatalog, NamesDeviceStringsAndOptions) {
    for (const std::string& name : SimRadioNames()) {
        auto radio = MakeSimRadio(name, nullptr);
        ASSERT_TRUE(radio) << name;
        EXPECT_EQ(radio->Name(), name);
    }
    std::string error;
    EXPECT_FALSE(MakeSimRadio("icom-r99", &error));
    EXPECT_NE(error.find("icom-r8500"), std::string::npos); // lists the known names

    const auto path = std::filesystem::temp_directory_path() / "rigvane_sim_activity_test.txt";
    { std::ofstream(path) << "146.52 6\nnot a line\n"; }
    std::vector<std::string> warnings;
    auto radio = MakeSimRadioForDevice(
        "sim:icom-r8500?activity=" + path.string() + "&echo=1&addr=5c", &error, &warnings);
    std::filesystem::remove(path);
    ASSERT_TRUE(radio) << error;
    auto* icom = dynamic_cast<IcomRadio*>(radio.get());
    ASSERT_TRUE(icom);
    EXPECT_TRUE(icom->Echo);
    EXPECT_EQ(icom->Address, 0x5C);
    EXPECT_EQ(radio->Schedule.Entries.size(), 1u);
    EXPECT_EQ(warnings.size(), 1u);

    SimDevice d;
    EXPECT_TRUE(ParseSimDevice("sim:opto", &d, &error));
    EXPECT_EQ(d.Name, "opto");
    EXPECT_EQ(d.Address, -1);
    EXPECT_FALSE(ParseSimDevice("sim:", &d, &error));
    EXPECT_FALSE(ParseSimDevice("sim:opto?addr=1FF", &d, &error));
    EXPECT_FALSE(ParseSimDevice("sim:opto?colour=red", &d, &error));
    EXPECT_FALSE(ParseSimDevice("/dev/ttyS0", &d, &error));
    EXPECT_FALSE(MakeSimRadioForDevice("sim:nothing", &error));
}

TEST(SimIcomRadio, AnswersOnlyItsOwnAddressWhateverTheSplit) {
    IcomRadio r(IcomRadio::Model::R9000);
    const std::string read = "\xFE\xFE\x2A\xE0\x03\xFD";
    std::string answer;
    for (char c : read)
        answer += r.Receive(std::string(1, c), 0); // byte by byte
    EXPECT_EQ(answer, std::string("\xFE\xFE\xE0\x2A\x03\x00\x00\x50\x45\x01\xFD", 11));
    EXPECT_EQ(r.Receive("\xFE\xFE\x4A\xE0\x03\xFD", 0), ""); // another radio's frame
    EXPECT_EQ(r.ForeignFrames, 1);
    EXPECT_EQ(r.Receive("\xFE\xFE\x2A\xE0\x42\xFD", 0), "\xFE\xFE\xE0\x2A\xFA\xFD");
    r.Echo = true;
    EXPECT_EQ(r.Receive(read, 0).substr(0, read.size()), read);
}

} // namespace
} // namespace rigvane::test
