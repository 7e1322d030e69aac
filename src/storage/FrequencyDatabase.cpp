#include "storage/FrequencyDatabase.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/Text.h"

namespace rigvane {

namespace {

constexpr int HeaderSize = 32;
constexpr int DescriptorSize = 32;
constexpr int MaxDescriptors = 127;
constexpr uint32_t YieldEvery = 64; // records between two yields while loading

uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint32_t Le16(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}

// Blanks at both ends go; so do the zero bytes some writers pad fields with.
std::string TrimField(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\0'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\0'))
        --e;
    return s.substr(b, e - b);
}

} // namespace

std::string FrequencyDatabase::DbLookup(int32_t frequency) const {
    // NoFrequency is what unreadable frequency text gives, in a record or a channel alike.
    if (frequency == 0 || frequency == NoFrequency || DbCount <= 0) return "";
    const size_t count = std::min(static_cast<size_t>(DbCount), DbFreq.size());
    if (index_.size() != count) { // the tables were changed without Reindex
        for (size_t r = 0; r < count && r < DbDesc.size(); ++r)
            if (DbFreq[r] == frequency) return DbDesc[r];
        return "";
    }
    const auto it = std::lower_bound(index_.begin(), index_.end(),
                                     std::make_pair(frequency, static_cast<int32_t>(-1)));
    if (it == index_.end() || it->first != frequency) return "";
    const auto record = static_cast<size_t>(it->second);
    return record < DbDesc.size() ? DbDesc[record] : "";
}

void FrequencyDatabase::Reindex() {
    index_.clear();
    const size_t count =
        std::min({static_cast<size_t>(std::max(DbCount, 0)), DbFreq.size(), DbDesc.size()});
    index_.reserve(count);
    for (size_t r = 0; r < count; ++r)
        index_.emplace_back(DbFreq[r], static_cast<int32_t>(r));
    std::sort(index_.begin(), index_.end());
}

void FrequencyDatabase::Clear() {
    DbFreq.clear();
    DbDesc.clear();
    DbCount = 0;
    index_.clear();
}

bool ReadDatabase(const FrequencyContext& ctx, const std::string& path) {
    if (path.empty()) return false;
    ctx.Busy(true);
    std::string pending = "Open failed for Database file \n" + TrimBlanks(path);
    int slot = 0;
    std::FILE* f = nullptr;
    FrequencyDatabase& db = ctx.database;
    auto stop = [&]() {
        if (f) std::fclose(f);
        ctx.slots.ReleaseFileSlot(slot);
        db.Reindex();
        ctx.Busy(false);
        ctx.host.MessageBox("DB Read", pending, MsgIcon::Exclamation);
        return false;
    };

    std::error_code ec;
    const bool regular = std::filesystem::is_regular_file(path, ec);
    const uint64_t fileSize = regular ? std::filesystem::file_size(path, ec) : 0;
    if (!regular || ec || fileSize < 1) return stop();
    slot = ctx.slots.TakeFileSlot();
    if (slot == 0) return stop();
    f = std::fopen(path.c_str(), "rb");
    if (!f) return stop();
    ctx.log.Dply("Loading new DBF file " + path);

    pending = "Wrong format for Database file ";
    unsigned char header[HeaderSize];
    if (std::fread(header, 1, HeaderSize, f) != HeaderSize) return stop();
    if (header[0] > 9) return stop();
    const uint32_t records = Le32(header + 4);
    const uint32_t headerLength = Le16(header + 8);
    const uint32_t recordLength = Le16(header + 10);

    uint32_t freqPos = 0, freqLen = 0, descPos = 0, descLen = 0;
    uint32_t position = 1; // after the deletion flag
    for (int n = 0; n < MaxDescriptors; ++n) {
        unsigned char d[DescriptorSize];
        const size_t got = std::fread(d, 1, DescriptorSize, f);
        if (got < 1 || d[0] == 13 || got < DescriptorSize) break;
        std::string name(reinterpret_cast<const char*>(d), 11);
        name = ToUpper(name.substr(0, name.find('\0')));
        const uint32_t length = d[16];
        if (freqLen == 0 && name.compare(0, 9, "FREQUENCY") == 0) {
            freqPos = position;
            freqLen = length;
        } else if (descLen == 0 && name.compare(0, 8, "DESCRIPT") == 0) {
            descPos = position;
            descLen = length;
        }
        position += length;
    }
    if (freqLen < 1 || descLen < 1) return stop();
    // A record shorter than its fields would make every record read the same
    // bytes (a zero length would never reach the end of the file).
    const uint32_t extent = std::max(freqPos + freqLen, descPos + descLen);
    if (records > 0 && recordLength < extent) return stop();

    pending = "Database file Could not read all records!";
    db.Clear();
    // The header's count is not trusted for the allocation: at most what the file can hold.
    const uint64_t room = fileSize > headerLength && recordLength > 0
                              ? (fileSize - headerLength) / recordLength + 1
                              : 0;
    db.DbFreq.reserve(static_cast<size_t>(std::min<uint64_t>(records, room)));
    db.DbDesc.reserve(db.DbFreq.capacity());
    // Records follow each other from the header length on: read them in file
    // order; a record counts when its two fields are whole.
    if (records > 0 && std::fseek(f, static_cast<long>(headerLength), SEEK_SET) != 0) return stop();
    std::string record(recordLength, '\0');
    for (uint32_t i = 0; i < records; ++i) {
        const size_t got = std::fread(record.data(), 1, recordLength, f);
        if (got < extent) return stop();
        db.DbFreq.push_back(TextToFreq(TrimField(record.substr(freqPos, freqLen))));
        db.DbDesc.push_back(TrimField(record.substr(descPos, descLen)));
        db.DbCount = static_cast<int32_t>(i + 1);
        if ((i + 1) % YieldEvery == 0) ctx.host.Yield();
        if (got < recordLength) { // the file ends inside this record
            if (i + 1 < records) return stop();
            break;
        }
    }
    std::fclose(f);
    ctx.slots.ReleaseFileSlot(slot);
    db.Reindex();
    ctx.Busy(false);
    return true;
}

void LookupServices(const FrequencyContext& ctx) {
    Progress& progress = ctx.progress;
    progress.Cancel = false;
    progress.Show("Searching..");
    for (int i = 0; i < ChannelCount && !progress.Cancel; ++i) {
        const int percent = i / 10;
        progress.Update(percent, std::to_string(percent) + "%");
        Channel& c = ctx.memory.Channels[i];
        if (c.Service.empty() && c.Frequency > 0) {
            c.Service = ctx.database.DbLookup(c.Frequency);
            if (!c.Service.empty()) {
                ctx.memory.MemoryEdited = true;
                ctx.EntryChanged(EntryKind::Channel, i);
            }
        }
        ctx.host.Yield();
    }
    ctx.MemoryRefresh();
    progress.Hide();
}

void SortChannels(const FrequencyContext& ctx) {
    ctx.log.Dply("Sorted the database by Frequency");
    Progress& progress = ctx.progress;
    progress.Cancel = false;
    progress.Show("Sorting...");
    auto& channels = ctx.memory.Channels;
    for (int i = 0; i < ChannelCount && !progress.Cancel; ++i) {
        const int percent = i / 10;
        progress.Update(percent, "%" + std::to_string(percent));
        for (int j = i; j < ChannelCount; ++j) {
            if (channels[i].Frequency < channels[j].Frequency) {
                std::swap(channels[i], channels[j]);
                ctx.memory.MemoryEdited = true;
            }
        }
        ctx.host.Yield();
    }
    ctx.MemoryRefresh();
    progress.Hide();
}

} // namespace rigvane
