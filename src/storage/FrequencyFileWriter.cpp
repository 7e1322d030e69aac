#include "storage/FrequencyFileWriter.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/CodeTables.h"
#include "storage/AtomicFile.h"

namespace rigvane {

namespace {

const char* const LineEnd = "\r\n";

// `value` with at least `digits` digits (leading zeros); wider values keep all their digits.
std::string Digits(int64_t value, int digits) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", digits, static_cast<long long>(value));
    return buf;
}

// Codes outside the name table (10 has an empty name, which would shift every
// later field of the line) are written as "n/a".
std::string ModeName(uint8_t mode) {
    return mode <= 9 ? ModeNames[mode] : ModeNames[0];
}

// A line end inside a text would start a new line (possibly a keyword) on reading.
std::string OneLine(std::string text) {
    for (char& ch : text)
        if (ch == '\r' || ch == '\n') ch = ' ';
    return text;
}

// The ID is one field of the line: blanks are dropped, and an empty ID is
// written as the cleared marker so the fields after it stay in place.
std::string IdField(const std::string& id) {
    std::string out;
    for (char ch : id)
        if (ch != ' ' && ch != '\t' && ch != '\r' && ch != '\n') out += ch;
    return out.empty() ? BlankTrunkId.Id : out;
}

std::string StampWords(Stamp stamp, bool shortForm) {
    return std::string(shortForm ? "TS " : " TSTAMP ") + " " + StampToText(stamp) + " ";
}

bool IsBlankTrunkBank(const TrunkBank& t) {
    if (t.SystemType != 0 || t.ScanEnabled) return false;
    for (int i = 0; i < TrunkBankCount; ++i)
        if (t.IdBankEnabled[i]) return false;
    return true;
}

std::string LeftTrimmed(const std::string& s) {
    size_t b = 0;
    while (b < s.size() && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    return s.substr(b);
}

// The number before the first blank; false when the text has no blank.
bool NumberBeforeBlank(const std::string& s, int64_t& number) {
    const size_t blank = s.find_first_of(" \t");
    if (blank == std::string::npos) return false;
    number = ValInt(s.substr(0, blank));
    return true;
}

} // namespace

std::string ChannelLine(int number, const Channel& c, bool shortForm) {
    std::string s = Digits(number, 3) + " " + FreqToText(c.Frequency) + ModeName(c.Mode) + " " +
                    Digits(c.Count, 5) + " " + Digits(c.ActiveTime, 5) + " " + "S" +
                    Digits(c.Signal, 2) + " " + StampWords(c.TimeStamp, shortForm);
    s += "PL " + Digits(c.Tone1, 2) + "  " + Digits(c.Tone2, 2) + " " + Digits(c.Tone3, 2);
    if (shortForm) {
        if (c.Notch) s += " NTCH ";
        if (c.Preamp) s += " PAMP ";
        if (c.Sync) s += " SYNC ";
        if (c.Trunked) s += " TR ";
        if (c.NoiseBlank == 1) s += " NBN ";
        if (c.NoiseBlank == 2) s += " NBW ";
        if (c.Agc == 2) s += " AGCF ";
        if (c.Agc == 1) s += " AGCS ";
        if (c.Antenna == 1) s += " AV ";
        if (c.Antenna == 2) s += " A2 ";
        if (c.Tone2On) s += " TONE2 ";
        if (c.Tone3On) s += " TONE3 ";
        s += " BW" + Digits(c.Bandwidth, 1) + " ";
        if (c.Valid) s += " VLD ";
        if (c.Atten) s += " ATT ";
        if (c.Resume) s += " RSM ";
        s += c.Delay ? " DLY " : " NDLY ";
    } else {
        s += c.Notch ? " NTCH " : " .... ";
        s += c.Preamp ? " PAMP " : " .... ";
        s += c.Sync ? " SYNC " : " .... ";
        s += c.Trunked ? " TRUNK " : " ..... ";
        s += c.NoiseBlank == 1 ? " NBN " : c.NoiseBlank == 2 ? " NBW " : " ... ";
        s += c.Agc == 2 ? " AGCF " : c.Agc == 1 ? " AGCS " : " .... ";
        s += c.Antenna == 1 ? " AV " : c.Antenna == 2 ? " A2 " : " .. ";
        s += " BW" + Digits(c.Bandwidth, 1) + " ";
        if (c.Tone2On) s += " TONE2 ";
        if (c.Tone3On) s += " TONE3 ";
        s += c.Valid ? " VALID    " : " NOTVALID ";
        s += c.Atten ? " ANTEN   " : " NOANTEN ";
        s += c.Resume ? " RESUME   " : " NORESUME ";
        s += c.Delay ? " DELAY " : " NODELAY ";
    }
    return s + OneLine(c.Service);
}

std::string ScanBankLine(int number, const Channel& b) {
    return "@   " + Digits(number, 3) + " " + " " + Digits(b.Lower, 3) + " " + " " +
           Digits(b.Upper, 3) + " " + (b.Valid ? "   SCAN " : " NOSCAN ") + OneLine(b.Service);
}

std::string SearchBankLine(int number, const Channel& b) {
    return "#   " + Digits(number, 3) + " " + FreqToText(b.Lower) + FreqToText(b.Upper) +
           FreqToText(b.Step) + ModeName(b.Mode) + " " + (b.Valid ? "   SEARCH " : " NOSEARCH ") +
           OneLine(b.Service);
}

std::string TrunkBankLine(int number, const TrunkBank& t) {
    std::string s = "%" + Digits(number, 1) + " " +
                    TrunkTypeNames[t.SystemType <= 6 ? t.SystemType : 0] +
                    (t.ScanEnabled ? " YNNNN " : " NNNNN ");
    for (int i = 0; i < TrunkBankCount; ++i)
        if (t.IdBankEnabled[i]) s += static_cast<char>('0' + i);
    return s;
}

std::string TrunkIdLine(int number, const TrunkId& t, bool shortForm) {
    std::string s = "&" + Digits(number, 3) + " " + IdField(t.Id) + " " + Digits(t.Count, 5) + " " +
                    Digits(t.ActiveTime, 5) + " " + "S" + Digits(t.Signal, 2) + " " +
                    StampWords(t.TimeStamp, shortForm);
    if (shortForm) {
        if (t.Valid) s += " VLD ";
        if (t.Atten) s += " ATT ";
        if (t.Resume) s += " RSM ";
        s += t.Delay ? " DLY " : " NDLY ";
    } else {
        s += t.Valid ? " VALID " : " NOTVALID ";
        s += t.Atten ? " ANTEN " : " NOANTEN ";
        s += t.Resume ? " RESUME " : " NORESUME ";
        s += t.Delay ? " DELAY " : " NODELAY ";
    }
    return s + OneLine(t.Service);
}

std::string HeaderLine(const LocalDateTime& now) {
    return "*** updated on " + FormatMessageTime(now) + " ";
}

bool WriteFrequencyFile(const FrequencyContext& ctx, const std::string& path) {
    ctx.Busy(true);
    Memory& m = ctx.memory;
    const bool shortForm = ctx.settings.Global.SaveShort;
    // What the old file's lines already gave out; the rest is appended.
    std::array<bool, ChannelCount> channelWritten{};
    std::array<bool, BankCount> scanBankWritten{}, searchBankWritten{};
    std::array<bool, TrunkBankCount> trunkBankWritten{};
    std::array<bool, TrunkIdCount> trunkIdWritten{};

    int newSlot = 0, oldSlot = 0;
    auto fail = [&](const std::string& reason) {
        ctx.slots.ReleaseFileSlot(oldSlot);
        ctx.slots.ReleaseFileSlot(newSlot);
        if (!reason.empty()) ctx.log.Dply("*Frequency file not saved: " + reason);
        ctx.host.MessageBox("File Error", "Create/update of Frequency file failed!",
                            MsgIcon::Exclamation);
        ctx.Busy(false);
        return false;
    };
    newSlot = ctx.slots.TakeFileSlot();
    if (newSlot == 0) return fail("");

    std::string out = HeaderLine(ctx.host.LocalNow()) + LineEnd;
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        // Without the old file's lines its comments and entries would be lost:
        // no save rather than a partial one.
        oldSlot = ctx.slots.TakeFileSlot();
        if (oldSlot == 0) return fail("no file number free to read " + path);
        std::string old, error;
        if (!ReadWholeFile(path, &old, &error)) return fail(error);
        size_t start = 0;
        while (start < old.size()) {
            size_t end = old.find_first_of("\r\n", start);
            if (end == std::string::npos) end = old.size();
            const std::string line = old.substr(start, end - start);
            start = end + (old.compare(end, 2, "\r\n") == 0 ? 2 : 1);

            const std::string trimmed = LeftTrimmed(line);
            if (trimmed.empty()) continue;
            const char first = trimmed[0];
            int64_t n;
            if (first == '*') {
                out += line + LineEnd;
            } else if (first >= '0' && first <= '9') {
                if (!NumberBeforeBlank(trimmed, n) || n < 0 || n >= ChannelCount) continue;
                out += ChannelLine(static_cast<int>(n), m.Channels[n], shortForm) + LineEnd;
                channelWritten[n] = true;
            } else if (first == '@' || first == '#' || first == '%' || first == '&') {
                if (!NumberBeforeBlank(LeftTrimmed(trimmed.substr(1)), n) || n < 0) continue;
                if (first == '@' && n < BankCount) {
                    out += ScanBankLine(static_cast<int>(n), m.ScanBanks[n]) + LineEnd;
                    scanBankWritten[n] = true;
                } else if (first == '#' && n < BankCount) {
                    out += SearchBankLine(static_cast<int>(n), m.SearchBanks[n]) + LineEnd;
                    searchBankWritten[n] = true;
                } else if (first == '%' && n < TrunkBankCount) {
                    out += TrunkBankLine(static_cast<int>(n), m.TrunkBanks[n]) + LineEnd;
                    trunkBankWritten[n] = true;
                } else if (first == '&' && n < TrunkIdCount) {
                    out += TrunkIdLine(static_cast<int>(n), m.TrunkIds[n], shortForm) + LineEnd;
                    trunkIdWritten[n] = true;
                }
            }
            // Keyword lines and anything else are dropped.
        }
        ctx.slots.ReleaseFileSlot(oldSlot);
        oldSlot = 0;
    }

    for (int i = 0; i < ChannelCount; ++i)
        if (!channelWritten[i] && m.Channels[i].Frequency > 0)
            out += ChannelLine(i, m.Channels[i], shortForm) + LineEnd;
    for (int i = 0; i < BankCount; ++i)
        if (!scanBankWritten[i]) out += ScanBankLine(i, m.ScanBanks[i]) + LineEnd;
    for (int i = 0; i < BankCount; ++i)
        if (!searchBankWritten[i]) out += SearchBankLine(i, m.SearchBanks[i]) + LineEnd;
    // Trunk entries in use are kept even when the old file did not mention them.
    for (int i = 0; i < TrunkBankCount; ++i)
        if (!trunkBankWritten[i] && !IsBlankTrunkBank(m.TrunkBanks[i]))
            out += TrunkBankLine(i, m.TrunkBanks[i]) + LineEnd;
    for (int i = 0; i < TrunkIdCount; ++i)
        if (!trunkIdWritten[i] && m.TrunkIds[i] != BlankTrunkId)
            out += TrunkIdLine(i, m.TrunkIds[i], shortForm) + LineEnd;

    std::string error;
    if (!WriteFileAtomically(path, out, &error)) return fail(error);
    ctx.slots.ReleaseFileSlot(newSlot);
    m.MemoryEdited = false;
    ctx.Busy(false);
    return true;
}

} // namespace rigvane
