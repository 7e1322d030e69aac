#include "sim/Activity.h"

#include <fstream>
#include <sstream>

namespace rigvane {

namespace {

bool ParseCount(const std::string& text, int64_t limit, int64_t* value) {
    if (text.empty() || text.size() > 12) return false;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > limit) return false;
    *value = v;
    return true;
}

// Seconds with up to three decimals, into milliseconds.
bool ParseSeconds(const std::string& text, int64_t* ms) {
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    std::string frac = dot == std::string::npos ? "" : text.substr(dot + 1);
    if (frac.size() > 3) return false;
    int64_t w = 0, f = 0;
    if (whole.empty() && frac.empty()) return false;
    if (!whole.empty() && !ParseCount(whole, 100000000, &w)) return false;
    if (!frac.empty()) {
        while (frac.size() < 3)
            frac += '0';
        if (!ParseCount(frac, 999, &f)) return false;
    } else if (dot != std::string::npos && whole.empty()) {
        return false;
    }
    *ms = w * 1000 + f;
    return true;
}

} // namespace

bool ParseMhz(const std::string& text, int64_t* hz) {
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    std::string frac = dot == std::string::npos ? "" : text.substr(dot + 1);
    if (whole.empty() && frac.empty()) return false;
    if (frac.size() > 6) return false;
    int64_t w = 0, f = 0;
    if (!whole.empty() && !ParseCount(whole, 100000, &w)) return false;
    if (!frac.empty()) {
        while (frac.size() < 6)
            frac += '0';
        if (!ParseCount(frac, 999999, &f)) return false;
    }
    *hz = w * 1000000 + f;
    return true;
}

bool Activity::Parse(const std::string& text, std::vector<std::string>* errors) {
    bool ok = true;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    auto bad = [&](const std::string& why) {
        ok = false;
        if (errors) errors->push_back("line " + std::to_string(lineNo) + ": " + why);
    };
    while (std::getline(in, line)) {
        ++lineNo;
        const size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream fields(line);
        std::vector<std::string> f;
        std::string word;
        while (fields >> word)
            f.push_back(word);
        if (f.empty()) continue;
        if (f.size() != 2 && f.size() != 4) {
            bad("expected MHZ LEVEL [ON_SECONDS OFF_SECONDS]");
            continue;
        }
        ActiveFrequency a;
        a.Line = lineNo;
        if (!ParseMhz(f[0], &a.FrequencyHz) || a.FrequencyHz <= 0) {
            bad("bad frequency \"" + f[0].substr(0, 40) + "\"");
            continue;
        }
        int64_t level = 0;
        if (!ParseCount(f[1], MaxLevel, &level)) {
            bad("level must be a whole number 0..12");
            continue;
        }
        a.Level = int(level);
        if (f.size() == 4) {
            if (!ParseSeconds(f[2], &a.OnMs) || !ParseSeconds(f[3], &a.OffMs)) {
                bad("bad on/off seconds");
                continue;
            }
            if (a.OnMs == 0) {
                bad("on time must be above 0");
                continue;
            }
        }
        Entries.push_back(a);
    }
    return ok;
}

bool Activity::Load(const std::string& path, std::vector<std::string>* errors) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (errors) errors->push_back("cannot read activity file " + path);
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str(), errors);
}

int Activity::LevelAt(int64_t frequencyHz, int64_t nowMs) const {
    int best = 0;
    for (const ActiveFrequency& a : Entries) {
        const int64_t d = a.FrequencyHz - frequencyHz;
        if (d > ToleranceHz || -d > ToleranceHz) continue;
        if (a.OffMs > 0) {
            const int64_t period = a.OnMs + a.OffMs;
            int64_t phase = nowMs % period;
            if (phase < 0) phase += period;
            if (phase >= a.OnMs) continue;
        }
        if (a.Level > best) best = a.Level;
    }
    return best;
}

} // namespace rigvane
