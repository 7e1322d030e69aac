// Reading and writing a full 1000-channel frequency file, loading a
// 50000-record frequency database and looking up 1000 frequencies in it.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/SimHost.h"
#include "core/Text.h"
#include "storage/FrequencyDatabase.h"
#include "storage/FrequencyFileReader.h"
#include "storage/FrequencyFileWriter.h"

using namespace rigvane;

namespace {

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

std::string Dbf(int records, std::mt19937& rng, std::vector<int32_t>& frequencies) {
    const int freqLen = 10, descLen = 30, recordLength = 1 + freqLen + descLen;
    std::string s(32, '\0');
    s[0] = 3;
    auto put = [&](size_t at, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            s[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
    };
    put(4, static_cast<uint32_t>(records), 4);
    put(8, 32 + 64 + 1, 2);
    put(10, recordLength, 2);
    for (auto [name, length] :
         {std::pair<const char*, int>{"FREQUENCY", freqLen}, {"DESCRIPT", descLen}}) {
        std::string d(32, '\0');
        d.replace(0, std::string(name).size(), name);
        d[11] = 'C';
        d[16] = static_cast<char>(length);
        s += d;
    }
    s += '\r';
    for (int r = 0; r < records; ++r) {
        const int32_t f = 100000 + static_cast<int32_t>(rng() % 200000000);
        frequencies.push_back(f);
        s += ' ' + FixedWidth(TrimBlanks(FreqToText(f)), freqLen) +
             FixedWidth("Service " + std::to_string(r), descLen);
    }
    return s;
}

} // namespace

int main() {
    SimHost host;
    FileSlots slots;
    Settings settings;
    MessageLog log(host, slots, settings.Global);
    Memory memory;
    FrequencyDatabase database;
    Progress progress;
    FrequencyContext ctx{host, slots, log, memory, settings, database, progress};
    const auto dir =
        std::filesystem::temp_directory_path() / ("rigvane-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "full.frq").string();

    std::mt19937 rng(1);
    for (int i = 0; i < ChannelCount; ++i) {
        Channel& c = memory.Channels[i];
        c.Frequency = 1 + static_cast<int32_t>(rng() % 200000000);
        c.Mode = static_cast<uint8_t>(rng() % 10);
        c.Valid = rng() % 2;
        c.Count = static_cast<int16_t>(rng() % 10000);
        c.Service = "Channel service text " + std::to_string(i);
    }
    const int runs = 20;
    for (bool shortForm : {false, true}) {
        settings.Global.SaveShort = shortForm;
        std::filesystem::remove(path);
        auto start = std::chrono::steady_clock::now();
        for (int r = 0; r < runs; ++r)
            WriteFrequencyFile(ctx, path);
        const double writeMs = MsSince(start) / runs;
        start = std::chrono::steady_clock::now();
        for (int r = 0; r < runs; ++r)
            ReadFrequencyFile(ctx, path);
        const double readMs = MsSince(start) / runs;
        std::printf("%s form, 1000 channels + 200 banks (%ju bytes): write %.2f ms (in place, "
                    "synced), read %.2f ms\n",
                    shortForm ? "short" : "long ",
                    static_cast<uintmax_t>(std::filesystem::file_size(path)), writeMs, readMs);
    }

    std::vector<int32_t> frequencies;
    const std::string dbPath = (dir / "big.dbf").string();
    std::ofstream(dbPath, std::ios::binary) << Dbf(50000, rng, frequencies);
    auto start = std::chrono::steady_clock::now();
    ReadDatabase(ctx, dbPath);
    std::printf("load 50000-record database: %.1f ms (%d records)\n", MsSince(start),
                database.DbCount);

    std::vector<int32_t> wanted;
    for (int i = 0; i < 1000; ++i) // half hits, half misses
        wanted.push_back(i % 2 ? frequencies[rng() % frequencies.size()]
                               : 1 + static_cast<int32_t>(rng() % 99999));
    size_t found = 0;
    start = std::chrono::steady_clock::now();
    for (int32_t f : wanted)
        found += !database.DbLookup(f).empty();
    const double indexedMs = MsSince(start);
    size_t foundLinear = 0;
    start = std::chrono::steady_clock::now();
    for (int32_t f : wanted) {
        for (int r = 0; r < database.DbCount; ++r) {
            if (database.DbFreq[r] == f) {
                foundLinear += !database.DbDesc[r].empty();
                break;
            }
        }
    }
    const double linearMs = MsSince(start);
    std::printf("1000 lookups in 50000 records: %.3f ms with the sorted index, %.1f ms by linear "
                "scan (x%.0f), %zu/%zu found\n",
                indexedMs, linearMs, linearMs / (indexedMs > 0 ? indexedMs : 1e-6), found,
                foundLinear);

    // Service lookup over the whole memory with the database loaded.
    for (int i = 0; i < ChannelCount; ++i) {
        memory.Channels[i].Service.clear();
        memory.Channels[i].Frequency = frequencies[rng() % frequencies.size()];
    }
    start = std::chrono::steady_clock::now();
    LookupServices(ctx);
    std::printf("service lookup of 1000 channels: %.2f ms\n", MsSince(start));
    start = std::chrono::steady_clock::now();
    SortChannels(ctx);
    std::printf("sort of 1000 channels: %.2f ms\n", MsSince(start));
    std::filesystem::remove_all(dir);
    return 0;
}
