#include "sim/DrakeRadio.h"

#include <memory>
#include <sstream>
#include <vector>

#include "core/Text.h"

namespace rigvane {

namespace {

constexpr char PacketEnd = 0x7F;
constexpr size_t PacketCommandBytes = 10; // "Q", seven bytes, 00, 7F
constexpr int64_t MaxHz = 30000000;
const std::string Ack = "\n";
const std::string Refused = "?\r\n";
// R8A mode letters by mode code 0..5 (bits 5..3 of the mode byte).
const std::string R8aModeLetters = "LURCFA";

// A whole number of exactly `width` digits (any width when 0).
bool Number(const std::string& s, size_t width, int* value) {
    if (s.empty() || (width != 0 && s.size() != width) || s.size() > 9) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    *value = int(ValInt(s));
    return true;
}

std::string MhzText(int64_t hz) {
    return ZeroPadded(hz / 1000000, 2) + "." + ZeroPadded((hz % 1000000) / 10, 5);
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

// "F14.2": a frequency in MHz within the receiver's range; -1 otherwise.
int64_t FrequencyCommand(const std::string& command) {
    int64_t hz = 0;
    if (command.size() < 2 || !ParseMhz(TrimBlanks(command.substr(1)), &hz)) return -1;
    return hz <= MaxHz ? hz : -1;
}

} // namespace

// ---- R8A ----------------------------------------------------------------------

DrakeR8aRadio::DrakeR8aRadio() {
    // 10 MHz AM, 6 kHz filter.
    Tune(std::string("\x00\x00\x00\x00\x01\x00", 6) + char(40 + 4));
}

void DrakeR8aRadio::Tune(const std::string& packet) {
    Packet = packet;
    int64_t tenHz = 0;
    for (int i = 4; i >= 1; --i) {
        const uint8_t b = uint8_t(Packet[size_t(i)]);
        tenHz = tenHz * 100 + int64_t(b >> 4) * 10 + (b & 15);
    }
    FrequencyHz = tenHz * 10;
}

std::string DrakeR8aRadio::Handle(const std::string& bytes, int64_t nowMs) {
    std::string out;
    bool startedHere = false;
    for (char c : bytes) {
        if (pending_.empty()) {
            if (c == '\r' || c == '\n') continue; // the line end after a packet
            // Only the first command of a write can follow an answer too
            // closely: the rest of a write was sent together with it.
            pendingTooClose_ = !startedHere && nowMs - lastAnswerMs_ < MinGapMs;
            startedHere = true;
        }
        pending_ += c;
        std::string command;
        if (pending_[0] == 'Q') {
            if (pending_.size() < PacketCommandBytes) continue;
            command.swap(pending_);
        } else if (c == '\r' || c == '\n') {
            command = pending_.substr(0, pending_.size() - 1);
            pending_.clear();
        } else {
            if (pending_.size() > TextLineRadio::MaxLine) pending_.clear(); // noise
            continue;
        }
        Commands.push_back(command);
        if (pendingTooClose_) {
            ++PacketErrors;
            out += "PE\r\n";
        } else {
            out += Command(command, nowMs);
        }
    }
    if (!out.empty()) lastAnswerMs_ = nowMs;
    return out;
}

std::string DrakeR8aRadio::Command(const std::string& command, int64_t nowMs) {
    const std::string text = TrimBlanks(command);
    int n = 0;
    if (text.empty()) return Refused;
    if (command[0] == 'Q') {
        if (command[8] != '\0' || command[9] != PacketEnd) {
            ++PacketErrors;
            return "PE\r\n";
        }
        Tune(command.substr(1, PacketBytes));
        return Ack;
    }
    if (text == "RA") {
        if (ShortRecords > 0) {
            --ShortRecords;
            return Packet.substr(0, 3) + PacketEnd + "\r\n";
        }
        return Packet + PacketEnd + "\r\n";
    }
    if (text.size() == 4 && text[0] == 'C' && Number(text.substr(1), 3, &n) && n < MemoryCount) {
        Channel = n;
        Tune(Memories[size_t(n)].Packet.empty() ? std::string(PacketBytes, '\0')
                                                : Memories[size_t(n)].Packet);
        return Ack;
    }
    if (text.size() == 5 && text.compare(0, 2, "PR") == 0 && Number(text.substr(2), 3, &n) &&
        n < MemoryCount) {
        Channel = n;
        Memories[size_t(n)] = {Packet, ""};
        return Ack;
    }
    if (text.compare(0, 2, "NC") == 0) {
        Memories[size_t(Channel)].Name = text.substr(2, 7);
        return Ack;
    }
    if (text.size() == 5 && text.compare(0, 2, "EC") == 0 && Number(text.substr(2), 3, &n) &&
        n < MemoryCount) {
        Memories[size_t(n)] = {};
        return Ack;
    }
    if (text == "ID") return "R8A\r\n";
    if (text == "RF") return MhzText(FrequencyHz) + "\r\n";
    if (text == "RC") return "C" + ZeroPadded(Channel, 3) + "\r\n";
    if (text == "RM") {
        const size_t code = (uint8_t(Packet[6]) >> 3) & 7;
        return std::string("M") + (code < R8aModeLetters.size() ? R8aModeLetters[code] : '?') +
               "\r\n";
    }
    if (text == "RSS") return ZeroPadded(SignalAt(nowMs), 2) + "\r\n";
    if (text.size() == 2 && text[0] == 'M' && R8aModeLetters.find(text[1]) != std::string::npos) {
        const int code = int(R8aModeLetters.find(text[1]));
        Packet[6] = char((uint8_t(Packet[6]) & 0xC7) | (code << 3));
        return Ack;
    }
    if (text[0] == 'F') {
        const int64_t hz = FrequencyCommand(text);
        if (hz < 0) return Refused;
        int64_t tenHz = hz / 10;
        for (size_t i = 1; i <= 4; ++i) {
            const int pair = int(tenHz % 100);
            Packet[i] = char((pair / 10) * 16 + pair % 10);
            tenHz /= 100;
        }
        FrequencyHz = hz / 10 * 10;
        return Ack;
    }
    bool power = true;
    for (const std::string& w : Words(text))
        power = power && (w == "PO" || w == "VA" || w == "OF");
    return power ? Ack : Refused;
}

// ---- R8 ------------------------------------------------------------------------

DrakeR8Radio::DrakeR8Radio() {
    State.Hz = 10000000;
}

std::string DrakeR8Radio::Status() const {
    const Tuning& t = State;
    int p5 = 0x30, p6 = 0x30, p7 = 0x30, p8 = 0x30, p9 = 0x30;
    p5 |= t.NoiseBlank == 2 ? 8 : t.NoiseBlank == 1 ? 4 : 0;
    p5 |= t.Agc == 1 ? 1 : t.Agc == 2 ? 2 : 0;
    p6 |= (t.Notch ? 2 : 0) | (t.Gain > 0 ? 8 : 0) | (t.Gain < 0 ? 4 : 0);
    p7 |= t.Antenna == 2 ? 8 : t.Antenna == 1 ? 4 : 0;
    // Mode: s6 (2) and s7 (1) in the seventh character, b4 (8) in the eighth.
    static const int s6s7[7] = {0, 0, 0, 1, 1, 2, 3};
    static const bool b4[7] = {false, true, false, false, true, false, false};
    p7 |= s6s7[t.Mode];
    p8 |= b4[t.Mode] ? 8 : 0;
    p8 |= t.Width == 6 ? 4 : t.Width == 4 ? 3 : t.Width;
    p9 |= t.Sync ? 4 : 0;
    return "C" + ZeroPadded(Channel, 2) + " " +
           std::string{char(p5), char(p6), char(p7), char(p8), char(p9)} + " " + MhzText(t.Hz);
}

std::string DrakeR8Radio::Command(const std::string& command, int64_t nowMs) {
    const std::vector<std::string> words = Words(command);
    if (words.empty()) return Refused;
    if (words.size() == 1) {
        const std::string& w = words[0];
        if (w == "RA") return Status() + (StatusWithoutCrLf ? "\n" : "\r\n");
        if (w == "ID") return "R8\r\n";
        if (w == "RF") return MhzText(State.Hz) + "\r\n";
        if (w == "RC") return "C" + ZeroPadded(Channel, 2) + "\r\n";
        if (w == "RM") return "M" + std::to_string(State.Mode) + "\r\n";
        if (w == "RSS") return ZeroPadded(SignalAt(nowMs), 2) + "\r\n";
    }
    // Every word must be understood before any of them takes effect.
    Tuning t = State;
    int channel = Channel;
    enum { None, Store, Recall, Clear } memoryOp = None;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        int n = 0;
        auto is = [&](const char* a, const char* b, const char* c, int* v) {
            if (w == a) return *v = 0, true;
            if (w == b) return *v = 1, true;
            if (c && w == c) return *v = 2, true;
            return false;
        };
        int v = 0;
        if (Number(w, 7, &n)) {
            if (int64_t(n) * 100 > MaxHz) return Refused;
            t.Hz = int64_t(n) * 100;
        } else if (w[0] == 'F' && FrequencyCommand(w) >= 0) {
            t.Hz = FrequencyCommand(w) / 10 * 10;
        } else if (w.size() == 2 && w[0] == 'M' && w[1] >= '1' && w[1] <= '6') {
            t.Mode = w[1] - '0';
        } else if (is("AO", "AS", "AF", &v)) {
            t.Agc = v;
        } else if (is("A1", "AC", "A2", &v)) {
            t.Antenna = v;
        } else if (w[0] == 'W') {
            std::string width = w.substr(1);
            if (width.empty() && i + 1 < words.size()) width = words[++i];
            if (!Number(width, 1, &n) || (n != 0 && n != 1 && n != 2 && n != 4 && n != 6))
                return Refused;
            t.Width = n;
        } else if (is("BF", "BN", "BW", &v)) {
            t.NoiseBlank = v;
        } else if (is("NF", "NO", nullptr, &v)) {
            t.Notch = v == 1;
        } else if (is("SO", "SF", nullptr, &v)) {
            t.Sync = v == 1;
        } else if (w == "G-" || w == "G0" || w == "G+") {
            t.Gain = w[1] == '-' ? -1 : w[1] == '+' ? 1 : 0;
        } else if (w.size() == 4 && w.compare(0, 2, "PR") == 0 && Number(w.substr(2), 2, &n)) {
            memoryOp = Store, channel = n;
        } else if (w.size() == 3 && w[0] == 'C' && Number(w.substr(1), 2, &n)) {
            memoryOp = Recall, channel = n;
        } else if (w.compare(0, 2, "EC") == 0 && w.size() <= 5 &&
                   Number(w.substr(2), w.size() - 2, &n) && n < MemoryCount) {
            memoryOp = Clear, channel = n;
        } else if (w != "PO" && w != "VA" && w != "OF") {
            return Refused;
        }
    }
    State = t;
    switch (memoryOp) {
    case Store:
        Memories[size_t(channel)] = State, Channel = channel;
        break;
    case Recall:
        State = Memories[size_t(channel)], Channel = channel;
        break;
    case Clear:
        Memories[size_t(channel)] = Tuning{};
        break;
    case None:
        break;
    }
    FrequencyHz = State.Hz;
    return Ack;
}

std::vector<SimModel> DrakeSimModels() {
    SimModel r8a;
    r8a.Name = "drake-r8a";
    r8a.Family = "DRAKE";
    r8a.Description = "Drake R8A";
    r8a.Make = [](const SimOptions&) {
        return std::unique_ptr<SimRadio>(std::make_unique<DrakeR8aRadio>());
    };
    SimModel r8 = r8a;
    r8.Name = "drake-r8";
    r8.Description = "Drake R8";
    r8.Make = [](const SimOptions&) {
        return std::unique_ptr<SimRadio>(std::make_unique<DrakeR8Radio>());
    };
    return {r8a, r8};
}

} // namespace rigvane
