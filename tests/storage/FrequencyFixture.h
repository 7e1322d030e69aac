#pragma once
// A fresh set of the state the frequency file and database operations work
// on, over a SimHost, with recording keyword actions and a scratch directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/TempDir.h"
#include "core/SimHost.h"
#include "storage/FrequencyDatabase.h"
#include "storage/FrequencyFileReader.h"
#include "storage/FrequencyFileWriter.h"

namespace rigvane {

// Records what keyword lines asked of the engine, one text per call.
struct RecordingActions : FileKeywordActions {
    std::vector<std::string> Calls;
    bool MemoryAvailable = true;

    void PressModeButton(int mode) override { Calls.push_back("button " + std::to_string(mode)); }
    void TuneFrequency(int32_t f) override { Calls.push_back("tune " + std::to_string(f)); }
    void TuneMode(uint8_t mode) override { Calls.push_back("mode " + std::to_string(mode)); }
    void GoToChannel(int channel) override {
        Calls.push_back("channel " + std::to_string(channel));
    }
    void ClearedEverything() override { Calls.push_back("cleared"); }
    void SettingsChanged() override { Calls.push_back("settings"); }
    bool MemoryCommandAvailable() override { return MemoryAvailable; }
    void ApplyMemoryMode() override { Calls.push_back("memory mode"); }
};

class FrequencyFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        Views.OnEntryChanged = [this](EntryKind kind, int index) {
            Changed.emplace_back(kind, index);
        };
        Views.OnMemoryRefresh = [this] { ++Refreshes; };
        Views.OnBusy = [this](bool busy) { Busy += busy ? 1 : -1; };
    }
    void TearDown() override {
        EXPECT_EQ(Slots.InUse(), 0) << "a file slot was not given back";
        EXPECT_EQ(Busy, 0) << "the busy pointer was not restored";
    }

    std::string PathOf(const std::string& name) const { return (Dir / name).string(); }
    std::string WriteText(const std::string& name, const std::string& text) const {
        std::ofstream(PathOf(name), std::ios::binary) << text;
        return PathOf(name);
    }
    static std::string ReadText(const std::string& path) { return test::ReadFile(path); }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::string line;
        std::istringstream in(text);
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    // The message-window lines since the start, oldest first, without time stamps.
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const std::string& line : Log.History()) {
            if (line.empty()) continue;
            const size_t colon = line.find(" :");
            const std::string prefix = line.compare(0, 2, "**") == 0 ? "*" : "";
            out.insert(out.begin(), prefix + line.substr(colon + 2));
        }
        return out;
    }
    bool HasMessage(const std::string& text) const {
        for (const std::string& m : Messages())
            if (m == text) return true;
        return false;
    }
    // Reads `text` as a frequency file.
    bool ReadString(const std::string& text, const std::string& name = "test.frq") {
        return ReadFrequencyFile(Ctx, WriteText(name, text));
    }

    SimHost Host;
    FileSlots Slots;
    Settings Config;
    MessageLog Log{Host, Slots, Config.Global};
    Memory Mem;
    FrequencyDatabase Db;
    Progress Prog;
    RecordingActions Actions;
    MemoryViews Views;
    FrequencyContext Ctx{Host, Slots, Log, Mem, Config, Db, Prog, &Actions, &Views};
    // A memory file system when there is one: the tests write many small files.
    test::TempDir Temp{test::TempDir::InMemory};
    std::filesystem::path Dir{Temp.Path()};
    std::vector<std::pair<EntryKind, int>> Changed;
    int Refreshes = 0;
    int Busy = 0;
};

} // namespace rigvane
