#include "storage/FrequencyFileReader.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/CodeTables.h"
#include "core/Text.h"
#include "storage/AtomicFile.h"
#include "storage/FrequencyDatabase.h"

namespace rigvane {

namespace {

// Tells the windows that an entry changed once its line has been applied,
// whichever way the line ends (read in full, range error or early return).
struct EntryNotice {
    const FrequencyContext& ctx;
    EntryKind kind;
    int n;
    ~EntryNotice() { ctx.EntryChanged(kind, n); }
};

enum LineResult { Accepted = 0, InError = 1, RangeError = 2 };

constexpr int64_t MaxStatistic = 10000; // hit count and active time read from a file
constexpr int MaxTone = 42;
constexpr int MaxSignal = 13;
constexpr int MaxBandwidth = 6;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A word that starts a number: digits, optionally after a sign.
bool IsNumber(const std::string& w) {
    size_t i = (!w.empty() && (w[0] == '-' || w[0] == '+')) ? 1 : 0;
    return i < w.size() && IsDigit(w[i]);
}

std::string LeftTrim(const std::string& s) {
    size_t b = 0;
    while (b < s.size() && IsBlank(s[b]))
        ++b;
    return s.substr(b);
}

std::string TrimAll(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Walks the blank-separated fields of a line. A field is "last" when no
// blank follows it: the line ends inside it.
class Fields {
  public:
    explicit Fields(const std::string& line, size_t from = 0) : s_(line), pos_(from) {}

    // The next field; false at the end of the line.
    bool Next(std::string& word, bool& last) {
        if (!Peek(word, last)) return false;
        pos_ = last ? s_.size() : end_;
        return true;
    }
    bool Peek(std::string& word, bool& last) {
        size_t b = pos_;
        while (b < s_.size() && IsBlank(s_[b]))
            ++b;
        if (b >= s_.size()) return false;
        size_t e = b;
        while (e < s_.size() && !IsBlank(s_[e]))
            ++e;
        word = s_.substr(b, e - b);
        last = e >= s_.size();
        end_ = e;
        return true;
    }
    // The rest of the line after the one blank that follows the last field read.
    std::string Rest() const { return pos_ + 1 < s_.size() ? s_.substr(pos_ + 1) : ""; }

  private:
    const std::string& s_;
    size_t pos_;
    size_t end_ = 0;
};

// The entry number that opens a bank or trunk ID line: InError when the line
// ends there, RangeError outside 0..count-1, else Accepted with *n set.
int EntryNumber(Fields& f, int count, int* n) {
    std::string w;
    bool last;
    if (!f.Next(w, last) || last) return InError;
    const int64_t number = ValInt(w);
    if (number < 0 || number >= count) return RangeError;
    *n = static_cast<int>(number);
    return Accepted;
}

// Hit count or active time: out-of-range values are clamped so the rest of
// the line is still read; the line is then reported as a range error.
template <typename T> void ReadStatistic(const std::string& word, T& field, bool& outOfRange) {
    int64_t v = ValInt(word);
    if (v < 0 || v > MaxStatistic) {
        outOfRange = true;
        v = v < 0 ? 0 : MaxStatistic;
    }
    field = static_cast<T>(v);
}

// A following number, taken only when another field follows it.
bool TakeNumber(Fields& f, int64_t& value) {
    std::string w;
    bool last;
    if (!f.Peek(w, last) || last || !IsNumber(w)) return false;
    f.Next(w, last);
    value = ValInt(w);
    return true;
}

// The flag tokens common to channels and trunk IDs. Returns true when the
// token ended the flags (a delay token).
template <typename Entry> bool CommonFlag(const std::string& u, Fields& f, Entry& e) {
    int64_t v;
    if (u == "TS" || u == "TSTAMP") {
        if (TakeNumber(f, v)) e.TimeStamp = v > 0 ? v : 0;
    } else if (u.size() >= 2 && u[0] == 'S' && IsNumber(u.substr(1))) {
        v = ValInt(u.substr(1));
        e.Signal = static_cast<uint8_t>(v < 0 ? 0 : v > MaxSignal ? MaxSignal : v);
    } else if (u == "RSM" || u == "RESUME") {
        e.Resume = true;
    } else if (u == "VLD" || u == "VALID") {
        e.Valid = true;
    } else if (u == "ATT" || u == "ANTEN" || u == "ATTEN") {
        e.Atten = true;
    } else if (u == "DLY" || u == "DELAY") {
        e.Delay = true;
        e.Service = f.Rest();
        return true;
    } else if (u == "NDLY" || u == "NODELAY") {
        e.Service = f.Rest();
        return true;
    }
    return false;
}

class Reader {
  public:
    explicit Reader(const FrequencyContext& ctx) : ctx_(ctx) {}

    bool Read(const std::string& path);
    int Apply(const std::string& rawLine, const std::string& currentPath);

  private:
    int ChannelLine(const std::string& line);
    int ScanBankLine(const std::string& line);
    int SearchBankLine(const std::string& line);
    int TrunkBankLine(const std::string& line);
    int TrunkIdLine(const std::string& line);
    int KeywordLine(const std::string& line, const std::string& currentPath);
    int Chain(const std::string& name, const std::string& currentPath);
    void NotifySettings() const {
        if (ctx_.Actions) ctx_.Actions->SettingsChanged();
    }

    const FrequencyContext& ctx_;
    std::vector<std::string> open_; // the chain of files being read, outermost first
};

int Reader::ChannelLine(const std::string& line) {
    Fields f(line);
    std::string w;
    bool last;
    if (!f.Next(w, last) || last) return InError;
    int64_t number = ValInt(w);
    if (number < 0) number = 0;
    if (number >= ChannelCount) return RangeError;
    const int n = static_cast<int>(number);
    Channel& c = ctx_.memory.Channels[n];
    c = BlankChannel;
    const EntryNotice notice{ctx_, EntryKind::Channel, n};

    if (!f.Next(w, last) || last) return InError;
    c.Frequency = TextToFreq(w);
    if (!f.Next(w, last) || last) return InError;
    if (ValInt(w) >= 9) return RangeError;
    c.Mode = ModeFromName(w);

    bool outOfRange = false;
    if (!f.Next(w, last)) return InError; // ended before the hit count
    if (last) return Accepted;
    ReadStatistic(w, c.Count, outOfRange);
    if (!f.Next(w, last) || last) return outOfRange ? RangeError : Accepted;
    ReadStatistic(w, c.ActiveTime, outOfRange);

    while (f.Next(w, last)) {
        const std::string u = ToUpper(w);
        if (last) {
            if (u == "DELAY") c.Delay = true;
            break;
        }
        int64_t v;
        if (u == "PL") {
            uint8_t* tones[] = {&c.Tone1, &c.Tone2, &c.Tone3};
            for (uint8_t* tone : tones) {
                if (!TakeNumber(f, v)) break;
                if (v >= 0 && v <= MaxTone) *tone = static_cast<uint8_t>(v);
            }
        } else if (CommonFlag(u, f, c)) {
            break;
        } else if (u == "NTCH" || u == "TONE1") {
            c.Notch = true;
        } else if (u == "PAMP") {
            c.Preamp = true;
        } else if (u == "SYNC") {
            c.Sync = true;
        } else if (u.compare(0, 2, "TR") == 0) {
            c.Trunked = true;
        } else if (u == "AV") {
            c.Antenna = 1;
        } else if (u == "A2") {
            c.Antenna = 2;
        } else if (u == "AGCF") {
            c.Agc = 2;
        } else if (u == "AGCS") {
            c.Agc = 1;
        } else if (u == "NBN") {
            c.NoiseBlank = 1;
        } else if (u == "NBW") {
            c.NoiseBlank = 2;
        } else if (u == "TONE2") {
            c.Tone2On = true;
        } else if (u == "TONE3") {
            c.Tone3On = true;
        } else if (u.compare(0, 2, "BW") == 0) {
            v = ValInt(u.substr(2));
            c.Bandwidth = static_cast<uint8_t>(v < 0 ? 0 : v > MaxBandwidth ? MaxBandwidth : v);
        }
    }
    return outOfRange ? RangeError : Accepted;
}

int Reader::ScanBankLine(const std::string& line) {
    Fields f(line, 1);
    std::string w;
    bool last;
    int n = 0;
    if (const int r = EntryNumber(f, BankCount, &n); r != Accepted) return r;
    Channel& b = ctx_.memory.ScanBanks[n];
    b = BlankChannel;
    const EntryNotice notice{ctx_, EntryKind::ScanBank, n};

    int32_t* ends[] = {&b.Lower, &b.Upper};
    for (int32_t* end : ends) {
        if (!f.Next(w, last)) return Accepted;
        if (last) {
            b.Valid = ToUpper(w) == "SCAN";
            return Accepted;
        }
        const int64_t v = ValInt(w);
        if (v < 0 || v >= ChannelCount) return RangeError;
        *end = static_cast<int32_t>(v);
    }
    if (!f.Next(w, last)) return Accepted;
    const std::string u = ToUpper(w);
    b.Valid = u == "SCAN" || (!last && u == "VALID");
    if (!last) b.Service = f.Rest();
    return Accepted;
}

int Reader::SearchBankLine(const std::string& line) {
    Fields f(line, 1);
    std::string w;
    bool last;
    int n = 0;
    if (const int r = EntryNumber(f, BankCount, &n); r != Accepted) return r;
    Channel& b = ctx_.memory.SearchBanks[n];
    b = BlankChannel;
    const EntryNotice notice{ctx_, EntryKind::SearchBank, n};

    int32_t* values[] = {&b.Lower, &b.Upper, &b.Step};
    for (int32_t* value : values) {
        if (!f.Next(w, last)) return Accepted;
        if (last) {
            b.Valid = ToUpper(w) == "SEARCH";
            return Accepted;
        }
        const int32_t v = TextToFreq(w);
        if (v < 0) return RangeError;
        *value = v;
    }
    if (!f.Next(w, last)) return Accepted;
    if (last) {
        b.Valid = ToUpper(w) == "SEARCH";
        return Accepted;
    }
    if (ValInt(w) < 0) return RangeError;
    b.Mode = ModeFromName(w);
    if (!f.Next(w, last)) return Accepted;
    const std::string u = ToUpper(w);
    b.Valid = u == "SEARCH" || (!last && u == "VALID");
    if (!last) b.Service = f.Rest();
    return Accepted;
}

int Reader::TrunkBankLine(const std::string& line) {
    Fields f(line, 1);
    std::string w;
    bool last;
    if (!f.Next(w, last)) return InError;
    const int64_t number = ValInt(w);
    if (number < 0 || number >= TrunkBankCount) return RangeError;
    const int n = static_cast<int>(number);
    TrunkBank& t = ctx_.memory.TrunkBanks[n];
    t.SystemType = 0;
    t.ScanEnabled = false;
    t.IdBankEnabled.fill(false);
    const EntryNotice notice{ctx_, EntryKind::TrunkBank, n};

    if (!f.Next(w, last)) return Accepted;
    const std::string type = ToUpper(w);
    for (uint8_t code = 1; code <= 6; ++code)
        if (type == TrunkTypeNames[code]) t.SystemType = code;
    // The type of a bank that has none is written as the two words "Not Set".
    std::string next;
    bool nextLast;
    if (type == "NOT" && f.Peek(next, nextLast) && ToUpper(next) == "SET") f.Next(next, nextLast);
    if (!f.Next(w, last)) return Accepted;
    t.ScanEnabled = ToUpper(w)[0] == 'Y';
    if (!f.Next(w, last)) return Accepted;
    for (char d : w)
        if (IsDigit(d)) t.IdBankEnabled[d - '0'] = true;
    return Accepted;
}

int Reader::TrunkIdLine(const std::string& line) {
    Fields f(line, 1);
    std::string w;
    bool last;
    int n = 0;
    if (const int r = EntryNumber(f, TrunkIdCount, &n); r != Accepted) return r;
    TrunkId& t = ctx_.memory.TrunkIds[n];
    t = BlankTrunkId;
    const EntryNotice notice{ctx_, EntryKind::TrunkId, n};

    if (!f.Next(w, last) || last) return InError;
    t.Id = w;
    bool outOfRange = false;
    if (!f.Next(w, last)) return InError; // ended before the hit count
    if (last) return Accepted;
    ReadStatistic(w, t.Count, outOfRange);
    if (!f.Next(w, last) || last) return outOfRange ? RangeError : Accepted;
    ReadStatistic(w, t.ActiveTime, outOfRange);
    while (f.Next(w, last)) {
        const std::string u = ToUpper(w);
        if (last) {
            if (u == "DELAY") t.Delay = true;
            break;
        }
        if (CommonFlag(u, f, t)) break;
    }
    return outOfRange ? RangeError : Accepted;
}

int Reader::Chain(const std::string& name, const std::string& currentPath) {
    if (name.empty()) return InError;
    std::string path = name;
    std::error_code ec;
    // A relative name that is not found from the working directory is looked
    // for beside the file that chains it.
    if (!std::filesystem::exists(path, ec) && std::filesystem::path(path).is_relative() &&
        !currentPath.empty()) {
        const auto beside = std::filesystem::path(currentPath).parent_path() / path;
        if (std::filesystem::exists(beside, ec)) path = beside.string();
    }
    if (static_cast<int>(open_.size()) >= MaxChainDepth) {
        ctx_.log.Dply("*CHAIN " + name + " not read: frequency files chained more than " +
                      std::to_string(MaxChainDepth) + " deep");
        return InError;
    }
    const std::string canonical = std::filesystem::weakly_canonical(path, ec).string();
    for (const std::string& open : open_) {
        if (open == canonical) {
            ctx_.log.Dply("*CHAIN " + name + " not read: that file is already being read");
            return InError;
        }
    }
    Read(path);
    return Accepted;
}

int Reader::KeywordLine(const std::string& line, const std::string& currentPath) {
    size_t e = 0;
    while (e < line.size() && !IsBlank(line[e]))
        ++e;
    const std::string keyword = ToUpper(line.substr(0, e));
    const std::string original = TrimAll(line.substr(e)); // file names keep their case
    const std::string arg = ToUpper(original);
    Globals& g = ctx_.settings.Global;
    FileKeywordActions* actions = ctx_.Actions;
    auto press = [&](int mode) {
        if (actions) actions->PressModeButton(mode);
        return Accepted;
    };
    // A whole number within 0..max, or nothing.
    auto number = [&](int64_t max, int64_t& v) {
        if (!IsNumber(arg)) return false;
        v = ValInt(arg);
        return v >= 0 && v <= max;
    };
    int64_t v = 0;

    if (keyword == "BANK") {
        if (arg != "ON" && arg != "OFF") return RangeError;
        g.UseBanks = arg == "ON";
        NotifySettings();
    } else if (keyword == "CHAIN") {
        return Chain(original, currentPath);
    } else if (keyword == "CHANNEL") {
        if (!number(ChannelCount - 1, v) || v == ChannelCount - 1) return RangeError;
        if (actions) actions->GoToChannel(static_cast<int>(v));
    } else if (keyword == "CLEAR") {
        Memory& m = ctx_.memory;
        if (arg.empty() || arg == "ALL") {
            m.ClearAllMemory();
            if (actions) actions->ClearedEverything();
            ctx_.log.Dply("Cleared everything with CLEAR command in file");
        } else if (arg == "COUNTS" || arg == "SERVICE" || arg == "SIGNAL" || arg == "TIME") {
            for (int i = 1; i < ChannelCount; ++i) {
                Channel& c = m.Channels[i];
                if (arg == "COUNTS") c.Count = 0;
                if (arg == "SERVICE") c.Service.clear();
                if (arg == "SIGNAL") c.Signal = 0;
                if (arg == "TIME") c.ActiveTime = 0;
            }
        } else {
            return RangeError;
        }
    } else if (keyword == "DBNAME") {
        if (original.empty()) return InError;
        g.DbFile = original;
        ReadDatabase(ctx_, original);
    } else if (keyword == "DELAY") {
        if (!number(9999, v)) return RangeError;
        g.DlyTime = static_cast<int32_t>(v);
        NotifySettings();
    } else if (keyword == "F") {
        const int32_t frequency = TextToFreq(arg);
        if (frequency < 0 || frequency == NoFrequency) return RangeError;
        if (actions) actions->TuneFrequency(frequency);
    } else if (keyword == "LOAD") {
        return press(5);
    } else if (keyword == "M") {
        const uint8_t mode = ModeFromName(arg);
        if (mode == 0) return RangeError;
        if (actions) actions->TuneMode(mode);
    } else if (keyword == "HALT" || keyword == "MANUAL") {
        return press(0);
    } else if (keyword == "MEMORY" || keyword == "VFO") {
        if (actions && actions->MemoryCommandAvailable()) {
            ctx_.settings.Selected().Memory = keyword == "MEMORY";
            actions->ApplyMemoryMode();
        }
    } else if (keyword == "PRIORITY") {
        if (arg == "ON" || arg == "OFF") {
            g.Priority = arg == "ON";
        } else if (number(ChannelCount - 1, v)) {
            g.PriorityChannel = static_cast<int16_t>(v);
        } else {
            return RangeError;
        }
        NotifySettings();
    } else if (keyword == "PDELAY") {
        if (!number(9999, v)) return RangeError;
        g.PriorTime = static_cast<int16_t>(v);
        NotifySettings();
    } else if (keyword == "RESUME") {
        if (arg == "ON" || arg == "OFF") {
            g.SigRsm = arg == "ON" ? 1 : 0;
        } else if (number(9999, v)) {
            g.RsmTime = static_cast<int32_t>(v);
        } else {
            return RangeError;
        }
        NotifySettings();
    } else if (keyword == "SCAN") {
        return press(1);
    } else if (keyword == "SEARCH") {
        return press(3);
    } else if (keyword == "SORT") {
        SortChannels(ctx_);
    }
    return Accepted; // unknown keywords are ignored
}

int Reader::Apply(const std::string& rawLine, const std::string& currentPath) {
    const std::string line = LeftTrim(rawLine);
    if (line.empty()) return Accepted;
    const char first = line[0];
    if (first == '*') return Accepted;
    if (IsDigit(first)) return ChannelLine(line);
    switch (first) {
    case '@':
        return ScanBankLine(line);
    case '#':
        return SearchBankLine(line);
    case '%':
        return TrunkBankLine(line);
    case '&':
        return TrunkIdLine(line);
    default:
        return KeywordLine(line, currentPath);
    }
}

bool Reader::Read(const std::string& path) {
    ctx_.Busy(true);
    std::FILE* file = nullptr;
    const int slot = ctx_.slots.TakeFileSlot();
    std::error_code ec;
    std::string refusal;
    if (slot != 0) file = OpenRegularFile(path, MaxFrequencyFileBytes, &refusal);

    if (file) {
        open_.push_back(std::filesystem::weakly_canonical(path, ec).string());
        ctx_.log.Dply("Processed Frequency File " + path);
        long lineNumber = 0;
        std::string line;
        bool tooLong = false;
        auto append = [&](const char* data, size_t n) {
            const size_t room = MaxFrequencyLineBytes - line.size();
            if (n > room) tooLong = true;
            line.append(data, std::min(n, room));
        };
        auto finish = [&]() {
            ++lineNumber;
            if (lineNumber == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
            const int result = tooLong ? InError : Apply(line, path);
            tooLong = false;
            if (result == InError)
                ctx_.log.Dply("Record " + std::to_string(lineNumber) + " in Error!");
            else if (result == RangeError)
                ctx_.log.Dply("Record " + std::to_string(lineNumber) + " Range Error!");
            line.clear();
        };
        // Lines end in CR LF, LF or CR alone.
        std::vector<char> buffer(1 << 16);
        bool afterCr = false, pending = false;
        size_t got;
        long long total = 0;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
            // A file that grows while it is read stops at the size limit.
            total += static_cast<long long>(got);
            if (total > MaxFrequencyFileBytes) {
                ctx_.log.Dply("*" + path + " is larger than " +
                              std::to_string(MaxFrequencyFileBytes / (1024LL * 1024)) +
                              " MB: the rest is not read");
                break;
            }
            size_t start = 0;
            for (size_t i = 0; i < got; ++i) {
                const char ch = buffer[i];
                if (ch != '\r' && ch != '\n') {
                    afterCr = false;
                    continue;
                }
                if (ch == '\n' && afterCr && i == start) { // the LF of a CR LF
                    afterCr = false;
                    start = i + 1;
                    continue;
                }
                append(buffer.data() + start, i - start);
                finish();
                pending = false;
                afterCr = ch == '\r';
                start = i + 1;
            }
            if (start < got) {
                append(buffer.data() + start, got - start);
                pending = true;
            }
        }
        if (pending) finish();
        if (std::ferror(file)) ctx_.log.Dply("*Error reading " + path);
        std::fclose(file);
        open_.pop_back();
    }
    ctx_.slots.ReleaseFileSlot(slot);
    if (!file)
        ctx_.host.MessageBox("Open Error",
                             "Could Not Open " + path + (refusal.empty() ? "" : ": " + refusal),
                             MsgIcon::Exclamation);
    ctx_.MemoryRefresh();
    ctx_.Busy(false);
    return file != nullptr;
}

} // namespace

bool ReadFrequencyFile(const FrequencyContext& ctx, const std::string& path) {
    Reader reader(ctx);
    return reader.Read(path);
}

int ApplyFrequencyLine(const FrequencyContext& ctx, const std::string& line) {
    const std::string trimmed = LeftTrim(line);
    if (ToUpper(trimmed.substr(0, 5)) == "CHAIN" && (trimmed.size() == 5 || IsBlank(trimmed[5])))
        return InError;
    Reader reader(ctx);
    return reader.Apply(line, "");
}

} // namespace rigvane
