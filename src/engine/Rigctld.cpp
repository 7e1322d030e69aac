#include "engine/Rigctld.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/Text.h"
#include "engine/Engine.h"

namespace rigvane {

namespace {

// Hamlib's result codes that clients see.
constexpr int Ok = 0;
constexpr int Invalid = -1;  // RIG_EINVAL: a bad command or argument
constexpr int Rejected = -9; // RIG_ERJCTED: we could not take it now

// Passbands in Hz (narrow, normal, wide) of the modulations we report.
struct Widths {
    const char* Name;
    int Narrow, Normal, Wide;
};
constexpr Widths Fm{"FM", 10000, 15000, 20000};
constexpr Widths Wfm{"WFM", 230000, 230000, 230000};
constexpr Widths Am{"AM", 6000, 8000, 10000};
constexpr Widths Lsb{"LSB", 1800, 2400, 3000};
constexpr Widths Usb{"USB", 1800, 2400, 3000};
constexpr Widths Cw{"CW", 250, 500, 1200};
constexpr Widths Rtty{"RTTY", 300, 2400, 2400};

const Widths* WidthsOf(const Channel& c) {
    switch (c.Mode) {
    case 1:
    case 2:
        return &Fm;
    case 3:
        return &Wfm;
    case 4:
        return &Am;
    case 5:
        return &Lsb;
    case 6:
        return &Usb;
    case 7: // SSB: the usual sideband of the band
        return c.Frequency < 1000000 ? &Lsb : &Usb;
    case 8:
        return &Cw;
    case 9:
        return &Rtty;
    default:
        return nullptr;
    }
}

int PassbandOf(const Channel& c) {
    const Widths* w = WidthsOf(c);
    if (!w) return 0;
    if (c.Mode == 2) return w->Narrow;
    if (c.Mode == 1) return w->Normal;
    return c.Bandwidth <= 1 ? w->Narrow : c.Bandwidth >= 4 ? w->Wide : w->Normal;
}

// A Hamlib mode name (and passband: 0 normal, -1 unchanged) into a state.
bool TakeMode(Channel& c, const std::string& name, long width) {
    struct Entry {
        const char* Name;
        uint8_t Mode;
        const Widths* W;
    };
    static const Entry entries[] = {
        {"FM", 1, &Fm},      {"PKTFM", 1, &Fm},  {"WFM", 3, &Wfm},    {"AM", 4, &Am},
        {"AMS", 4, &Am},     {"SAM", 4, &Am},    {"AMN", 4, &Am},     {"LSB", 5, &Lsb},
        {"PKTLSB", 5, &Lsb}, {"USB", 6, &Usb},   {"PKTUSB", 6, &Usb}, {"CW", 8, &Cw},
        {"CWR", 8, &Cw},     {"RTTY", 9, &Rtty}, {"RTTYR", 9, &Rtty},
    };
    for (const Entry& e : entries) {
        if (ToUpper(name) != e.Name) continue;
        const uint8_t bandwidth = width < 0                            ? c.Bandwidth
                                  : width == 0 || width == e.W->Normal ? 2
                                  : width < e.W->Normal                ? 0
                                                                       : 4;
        c.Mode = e.Mode;
        c.Bandwidth = bandwidth;
        if (e.Mode == 1 && bandwidth == 0) c.Mode = 2; // narrow FM
        if (e.Mode == 3) c.Bandwidth = 4;
        return true;
    }
    return false;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// A whole-text number; false for anything else (trailing junk, NaN, inf).
bool Number(const std::string& text, double* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    *out = std::strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(*out);
}

// The long names clients may use instead of the one-letter commands.
std::string ShortName(const std::string& word) {
    static const char* const names[][2] = {
        {"\\get_freq", "f"},
        {"\\set_freq", "F"},
        {"\\get_mode", "m"},
        {"\\set_mode", "M"},
        {"\\get_vfo", "v"},
        {"\\set_vfo", "V"},
        {"\\get_ptt", "t"},
        {"\\get_level", "l"},
        {"\\get_split_vfo", "s"},
        {"\\quit", "q"},
        {"\\dump_state", "\\dump_state"},
    };
    for (const auto& n : names)
        if (word == n[0]) return n[1];
    return word;
}

} // namespace

RigctldProtocol::RigctldProtocol(Engine& engine) : engine_(engine) {}

int RigctldProtocol::StrengthDb(int level) {
    if (level <= 0) return -54;
    if (level <= 9) return -54 + 6 * level;
    return (level - 9) * 10;
}

bool RigctldProtocol::ParseAddress(const std::string& text, std::string* address, int* port) {
    const std::string t = TrimBlanks(text);
    const size_t colon = t.rfind(':');
    std::string host = colon == std::string::npos ? "127.0.0.1" : t.substr(0, colon);
    const std::string digits = colon == std::string::npos ? t : t.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2); // [::1]:4532
    if (host.empty() || digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int n = std::atoi(digits.c_str());
    if (n < 1 || n > 65535) return false;
    *address = host;
    *port = n;
    return true;
}

bool RigctldProtocol::Idle(const Client& client) const {
    return engine_.AppRef().host.NowMs() - client.LastActiveMs > IdleTimeoutMs;
}

std::string RigctldProtocol::Feed(Client& client, const std::string& bytes) {
    std::string out;
    client.LastActiveMs = engine_.AppRef().host.NowMs();
    for (char c : bytes) {
        if (client.Close) break;
        if (c == '\n' || c == '\r') {
            bool quit = false;
            out += Answer(client.Pending, &quit);
            client.Pending.clear();
            client.Close = quit;
        } else if (client.Pending.size() >= MaxLineLength) {
            out += "RPRT " + std::to_string(Invalid) + "\n";
            client.Close = true;
        } else {
            client.Pending += c;
        }
    }
    return out;
}

std::string RigctldProtocol::Answer(const std::string& text, bool* quit) {
    *quit = false;
    std::string line = text;
    // The extended response form: a leading '+' (lines) or ';', '|', ','
    // (one line with that separator).
    char sep = 0;
    if (!line.empty() && std::strchr("+;|,", line[0])) {
        sep = line[0] == '+' ? '\n' : line[0];
        line.erase(0, 1);
    }
    const std::vector<std::string> words = Words(line);
    if (words.empty()) return "";
    const std::string cmd = ShortName(words[0]);
    const std::vector<std::string> args(words.begin() + 1, words.end());
    std::string argText;
    for (const std::string& a : args)
        argText += " " + a;

    App& app = engine_.AppRef();
    RadioState& rs = app.radioState;
    // A set not yet carried out by the main loop is what a read reports.
    const Channel& cur =
        engine_.State().Mode == ModeVfoRecall ? engine_.State().RequestedState : rs.Current;
    const char* vfoName = "VFOA";

    const auto report = [&](const char* name, int code) {
        if (!sep) return "RPRT " + std::to_string(code) + "\n";
        return std::string(name) + ":" + argText + sep + "RPRT " + std::to_string(code) + "\n";
    };
    using Values = std::vector<std::pair<const char*, std::string>>;
    const auto get = [&](const char* name, const Values& values) {
        std::string out = sep ? std::string(name) + ":" + argText + sep : "";
        for (const auto& [label, value] : values) {
            if (sep)
                out += (*label ? std::string(label) + ": " : "") + value + sep;
            else
                out += value + "\n";
        }
        if (sep) out += "RPRT 0\n";
        return out;
    };

    if (cmd == "f")
        return args.empty()
                   ? get("get_freq", {{"Frequency", std::to_string(int64_t(cur.Frequency) * 10)}})
                   : report("get_freq", Invalid);
    if (cmd == "F") {
        double hz = 0;
        if (args.size() != 1 || !Number(args[0], &hz)) return report("set_freq", Invalid);
        const double units = std::nearbyint(hz / 10.0);
        const RadioProfile& p = app.settings.Selected();
        if (!(units >= 1 && units < double(NoFrequency)) || units < p.MinFreq || units > p.MaxFreq)
            return report("set_freq", Invalid);
        Channel wanted = cur;
        wanted.Frequency = int32_t(units);
        wanted.Valid = true;
        if (wanted.Mode == 0) wanted.Mode = 1; // a state without a mode is never applied
        engine_.RecallVfo(wanted);
        return report("set_freq", engine_.State().Mode == ModeVfoRecall ? Ok : Rejected);
    }
    if (cmd == "m") {
        const Widths* w = WidthsOf(cur);
        return args.empty() ? get("get_mode", {{"Mode", w ? w->Name : "None"},
                                               {"Passband", std::to_string(PassbandOf(cur))}})
                            : report("get_mode", Invalid);
    }
    if (cmd == "M") {
        double width = 0;
        if (args.empty() || args.size() > 2 || (args.size() == 2 && !Number(args[1], &width)))
            return report("set_mode", Invalid);
        Channel wanted = cur;
        if (!TakeMode(wanted, args[0], long(width)) || cur.Frequency <= 0)
            return report("set_mode", Invalid);
        engine_.RecallVfo(wanted);
        return report("set_mode", engine_.State().Mode == ModeVfoRecall ? Ok : Rejected);
    }
    if (cmd == "v")
        return args.empty() ? get("get_vfo", {{"VFO", vfoName}}) : report("get_vfo", Invalid);
    if (cmd == "V") {
        // The radio we drive has one receiver, shown under every VFO name a
        // client may pick (Hamlib clients visit VFOB when they open); the
        // program's own VFO A and B stay the windows' business.
        static const char* const names[] = {"VFOA", "VFOB", "Main", "Sub", "currVFO", "VFO"};
        if (args.size() != 1) return report("set_vfo", Invalid);
        for (const char* n : names)
            if (args[0] == n) return report("set_vfo", Ok);
        return report("set_vfo", Invalid);
    }
    if (cmd == "t") return get("get_ptt", {{"PTT", "0"}}); // a receiver never transmits
    if (cmd == "s") return get("get_split_vfo", {{"Split", "0"}, {"TX VFO", vfoName}});
    if (cmd == "l") {
        if (args.size() != 1 || ToUpper(args[0]) != "STRENGTH") return report("get_level", Invalid);
        return get("get_level", {{"", std::to_string(StrengthDb(rs.SignalLevel))}});
    }
    if (cmd == "\\dump_state") {
        if (!sep) return DumpState();
        return std::string("dump_state:") + sep + DumpState() + "RPRT 0\n";
    }
    if (cmd == "\\chk_vfo") return sep ? "ChkVFO: 0\n" : "0\n";
    if (cmd == "\\get_powerstat") return get("get_powerstat", {{"Power Status", "1"}});
    if (cmd == "q" || cmd == "Q") {
        *quit = true;
        return "RPRT 0\n";
    }
    return "RPRT " + std::to_string(Invalid) + "\n";
}

std::string RigctldProtocol::DumpState() const {
    const RadioProfile& p = engine_.AppRef().settings.Selected();
    char range[128];
    std::snprintf(range, sizeof range, "%.6f %.6f 0x7f -1 -1 0x1 0x0\n", double(p.MinFreq) * 10,
                  double(p.MaxFreq) * 10);
    // Protocol 1, a network rig, region 0; receive range, no transmit range;
    // one tuning step; the passbands (normal first); no RIT, XIT, IF shift,
    // announces, preamp or attenuator; the strength level only.
    std::string out = "1\n2\n0\n";
    out += range;
    out += "0 0 0 0 0 0 0\n0 0 0 0 0 0 0\n0x7f 1\n0 0\n";
    for (const Widths* w : {&Fm, &Wfm, &Am, &Lsb, &Cw, &Rtty}) {
        const unsigned bits = w == &Fm    ? 0x20
                              : w == &Wfm ? 0x40
                              : w == &Am  ? 0x1
                              : w == &Lsb ? 0xc
                              : w == &Cw  ? 0x2
                                          : 0x10;
        char line[64];
        for (int width : {w->Normal, w->Narrow, w->Wide}) {
            std::snprintf(line, sizeof line, "0x%x %d\n", bits, width);
            out += line;
        }
    }
    out += "0 0\n0\n0\n0\n0\n\n\n0x0\n0x0\n0x40000000\n0x0\n0x0\n0x0\n";
    out += "vfo_ops=0x0\nptt_type=0x0\ntargetable_vfo=0x0\nhas_set_vfo=1\nhas_get_vfo=1\n"
           "has_set_freq=1\nhas_get_freq=1\nhas_set_conf=0\nhas_get_conf=0\n"
           "has_power2mW=0\nhas_mW2power=0\ntimeout=0\ndone\n";
    return out;
}

} // namespace rigvane
