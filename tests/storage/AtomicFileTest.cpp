#include "storage/AtomicFile.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "common/TempDir.h"

namespace rigvane {
namespace {

using test::TempDir;

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        ::closedir(d);
    }
    return names;
}

TEST(AtomicFile, WritesReplacesAndLeavesNoTemporaryFiles) {
    TempDir dir;
    const std::string path = dir.Path() + "/a.ini";
    std::string error, text;
    ASSERT_TRUE(WriteFileAtomically(path, std::string("one\0two", 7), &error)) << error;
    ASSERT_TRUE(ReadWholeFile(path, &text, &error));
    EXPECT_EQ(text, std::string("one\0two", 7));
    ASSERT_TRUE(WriteFileAtomically(path, "", &error));
    ASSERT_TRUE(ReadWholeFile(path, &text, &error));
    EXPECT_EQ(text, "");
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"a.ini"});

    // Writing through a symbolic link replaces the file it points to.
    const std::string link = dir.Path() + "/link.ini";
    ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(link, "via link", &error)) << error;
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_TRUE(ReadWholeFile(path, &text, &error));
    EXPECT_EQ(text, "via link");
}

// A save killed between writing the temporary file and the rename leaves it
// behind (under the fixed name, or a random one from older saves); the next
// save leaves only the target.
TEST(AtomicFile, DebrisOfAnInterruptedSaveIsGoneAfterTheNextSave) {
    TempDir dir;
    const std::string path = dir.Path() + "/scan.frq";
    ASSERT_TRUE(WriteFileAtomically(path, "old", nullptr));
    std::ofstream(TemporaryPathFor(path)) << "half a save";
    std::ofstream(path + ".tmpAb12Cd") << "half an older save";
    std::ofstream(dir.Path() + "/scan.frq.tmpnotes") << "not ours";
    std::string error, text;
    ASSERT_TRUE(WriteFileAtomically(path, "new", &error)) << error;
    ASSERT_TRUE(ReadWholeFile(path, &text, &error));
    EXPECT_EQ(text, "new");
    auto names = Entries(dir.Path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"scan.frq", "scan.frq.tmpnotes"}));
}

TEST(AtomicFile, FailedWriteKeepsOldFileAndReportsIt) {
    TempDir dir;
    const std::string file = dir.Path() + "/plain";
    ASSERT_TRUE(WriteFileAtomically(file, "old", nullptr));
    std::string error;
    // The parent "directory" is a regular file: nothing can be created there.
    EXPECT_FALSE(WriteFileAtomically(file + "/x.ini", "new", &error));
    EXPECT_NE(error.find(file + "/x.ini"), std::string::npos) << error;
    // Renaming over a directory fails after the temporary file was written.
    ::mkdir((dir.Path() + "/sub").c_str(), 0755);
    error.clear();
    EXPECT_FALSE(WriteFileAtomically(dir.Path() + "/sub", "new", &error));
    EXPECT_FALSE(error.empty());
    std::string text;
    ASSERT_TRUE(ReadWholeFile(file, &text, nullptr));
    EXPECT_EQ(text, "old");
    EXPECT_EQ(Entries(dir.Path()).size(), 2u); // "plain" and "sub", no leftovers
}

TEST(AtomicFile, ReadTellsMissingFromUnreadable) {
    TempDir dir;
    std::string text = "stale", error;
    bool missing = false;
    EXPECT_FALSE(ReadWholeFile(dir.Path() + "/none", &text, &error, &missing));
    EXPECT_TRUE(missing);
    EXPECT_EQ(text, "");
    EXPECT_FALSE(ReadWholeFile(dir.Path(), &text, &error, &missing));
    EXPECT_FALSE(missing);
    EXPECT_FALSE(error.empty());

    // A FIFO is neither waited for nor replaced; a device is never read.
    const std::string fifo = dir.Path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ReadWholeFile(fifo, &text, &error, &missing));
    EXPECT_FALSE(ReadWholeFile("/dev/zero", &text, &error, &missing));
    EXPECT_FALSE(WriteFileAtomically(fifo, "x", &error));
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"fifo"});
}

} // namespace
} // namespace rigvane
