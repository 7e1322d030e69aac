#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "common/TempDir.h"
#include "core/MessageLog.h"
#include "core/SimHost.h"

using namespace rigvane;

namespace {

using test::ReadFile;

struct LogFixture : ::testing::Test {
    SimHost host;
    FileSlots slots;
    Globals globals;
    test::TempDir dir;
    // The SimHost wall clock starts at 2 March 2026, 4:05:09 pm.
    const std::string stamp = "3/2/26 4:05:09p :";
};

} // namespace

TEST_F(LogFixture, HistoryKeepsTheNewestHundredNewestFirst) {
    MessageLog log(host, slots, globals);
    int changes = 0;
    std::string lastLine;
    log.OnChanged = [&] { ++changes; };
    log.OnLine = [&](const std::string& line) { lastLine = line; };

    for (int i = 1; i <= 101; ++i)
        log.Dply("line " + std::to_string(i));
    EXPECT_EQ(log.Newest(), stamp + "line 101");
    EXPECT_EQ(log.History()[99], stamp + "line 2"); // line 1 is gone
    for (const auto& line : log.History())
        EXPECT_FALSE(line.empty());
    EXPECT_EQ(changes, 101);
    EXPECT_EQ(lastLine, stamp + "line 101");

    log.Clear();
    for (const auto& line : log.History())
        EXPECT_TRUE(line.empty());
    log.Dply("after clear");
    EXPECT_EQ(log.History()[0], stamp + "after clear");
    EXPECT_TRUE(log.History()[1].empty());
    EXPECT_FALSE(log.LogFileOpen()); // logging is off: no file touched
}

TEST_F(LogFixture, AlertsGetTheDoublePrefixAndTimeFollowsTheClock) {
    MessageLog log(host, slots, globals);
    log.Dply("*Radio not responding. ");
    EXPECT_EQ(log.Newest(), "**" + stamp + "Radio not responding. ");
    log.Dply("plain *star inside");
    EXPECT_EQ(log.Newest(), stamp + "plain *star inside");
    log.Dply("*");
    EXPECT_EQ(log.Newest(), "**" + stamp);
    log.Dply("");
    EXPECT_EQ(log.Newest(), stamp);

    host.Advance(8 * 3600 * 1000); // past midnight
    log.Dply("later");
    EXPECT_EQ(log.Newest(), "3/3/26 12:05:09a :later");
}

TEST_F(LogFixture, LoggingAppendsCrLfLinesToAnExistingFile) {
    globals.LogFile = dir.Path() + "/RIGVANE.LOG";
    { std::ofstream(globals.LogFile, std::ios::binary) << "earlier hit\r\n"; }
    globals.Logging = true;
    {
        MessageLog log(host, slots, globals);
        log.Dply("first");
        log.Dply("*second");
        EXPECT_TRUE(log.LogFileOpen());
        EXPECT_EQ(slots.InUse(), 1);
        // The file is readable line by line while the program still runs.
        EXPECT_EQ(ReadFile(globals.LogFile),
                  "earlier hit\r\n" + stamp + "first\r\n**" + stamp + "second\r\n");

        // A new name closes the file; the next line opens the new one.
        const std::string first = globals.LogFile;
        log.CloseLogFile();
        EXPECT_EQ(slots.InUse(), 0);
        globals.LogFile = dir.Path() + "/other.log";
        log.Dply("third");
        EXPECT_EQ(ReadFile(globals.LogFile), stamp + "third\r\n");
        EXPECT_EQ(ReadFile(first).find("third"), std::string::npos);
        globals.Logging = false;
        log.Dply("not logged");
    }
    EXPECT_EQ(slots.InUse(), 0); // the slot goes back when the log ends
    EXPECT_EQ(ReadFile(globals.LogFile), stamp + "third\r\n");
    EXPECT_TRUE(host.Boxes.empty());
}

TEST_F(LogFixture, OpenFailureDisablesLoggingOnceAndKeepsTheLine) {
    globals.LogFile = dir.Path() + "/missing/RIGVANE.LOG";
    globals.Logging = true;
    MessageLog log(host, slots, globals);
    int disabled = 0;
    log.OnLoggingDisabled = [&] { ++disabled; };

    log.Dply("hit");
    EXPECT_EQ(log.Newest(), stamp + "hit"); // the message itself is not lost
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0].Title, "File Error");
    EXPECT_EQ(host.Boxes[0].Text, "Could Not Open " + globals.LogFile + " Logging disabled!");
    EXPECT_EQ(host.Boxes[0].Icon, MsgIcon::Exclamation);
    EXPECT_FALSE(globals.Logging);
    EXPECT_EQ(disabled, 1);
    EXPECT_EQ(slots.InUse(), 0);
    EXPECT_FALSE(log.LogFileOpen());

    log.Dply("next"); // logging stays off: no second box
    EXPECT_EQ(host.Boxes.size(), 1u);
}

TEST_F(LogFixture, NoFreeSlotFailsCleanly) {
    globals.LogFile = dir.Path() + "/RIGVANE.LOG";
    globals.Logging = true;
    for (int i = 0; i < FileSlots::Count; ++i)
        slots.TakeFileSlot();
    MessageLog log(host, slots, globals);
    log.Dply("hit");
    ASSERT_EQ(host.Boxes.size(), 1u);
    EXPECT_EQ(host.Boxes[0].Text, "Could Not Open " + globals.LogFile + " Logging disabled!");
    EXPECT_FALSE(globals.Logging);
    EXPECT_EQ(slots.InUse(), FileSlots::Count); // nobody else's slot was released
    EXPECT_EQ(::access(globals.LogFile.c_str(), F_OK), -1);
}
