#include "sim/KenwoodRadio.h"

#include <cctype>
#include <cstdio>

namespace rigvane {

namespace {

bool Digits(const std::string& s, size_t from, size_t count) {
    if (s.size() != from + count) return false;
    for (size_t i = from; i < s.size(); ++i)
        if (!std::isdigit(uint8_t(s[i]))) return false;
    return true;
}

std::string Padded(int64_t v, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(v));
    return buf;
}

// What the receiver tunes: 100 kHz to 1300 MHz.
bool InRange(int64_t hz) {
    return hz >= 100000 && hz <= 1300000000;
}

// Digits each extended setting takes.
const std::map<std::string, size_t> SettingWidths = {{"RA", 2}, {"NT", 1}, {"GT", 3},
                                                     {"AN", 2}, {"NB", 1}, {"NL", 3}};

} // namespace

KenwoodRadio::KenwoodRadio() {
    VfoHz = {146520000, 162550000};
    for (const auto& [word, width] : SettingWidths)
        Settings[word] = std::string(width, '0');
    Retune();
}

void KenwoodRadio::Retune() {
    FrequencyHz = Function == 2 ? Memories[size_t(Channel)].FrequencyHz : VfoHz[Function & 1];
}

char KenwoodRadio::ShownMode() const {
    return Function == 2 ? Memories[size_t(Channel)].Mode : Mode;
}

std::string KenwoodRadio::IfAnswer() const {
    // IF, frequency (11), step (4), RIT offset (6), RIT, XIT, bank, memory
    // channel (2), receiving, mode (character 30), function, scan, split,
    // tone, tone number (2), shift.
    return "IF" + Padded(FrequencyHz, 11) + "0000" + "+00000" + "000" + Padded(Channel % 100, 2) +
           "0" + std::string(1, ShownMode()) + std::to_string(Function) + "000000;";
}

std::string KenwoodRadio::Command(const std::string& c, int64_t nowMs) {
    if (c.size() < 2) return Unknown(c);
    const std::string word = c.substr(0, 2);
    if (auto f = ForcedAnswers.find(word); f != ForcedAnswers.end()) return f->second;
    const bool query = c.size() == 2;
    std::string answer;
    if (word == "FA" || word == "FB") {
        int64_t& vfo = VfoHz[word == "FB"];
        if (query) return word + Padded(vfo, 11) + ";";
        if (!Digits(c, 2, 11) || !InRange(std::stoll(c.substr(2)))) return Unknown(c);
        vfo = std::stoll(c.substr(2));
    } else if (word == "MD") {
        if (query) return "MD" + std::string(1, ShownMode()) + ";";
        if (!Digits(c, 2, 1) || c[2] == '0' || c[2] > '9') return Unknown(c);
        Mode = c[2];
    } else if (word == "FN" || word == "FR") {
        int& v = word == "FN" ? Function : Display;
        if (query) return word + std::to_string(v) + ";";
        if (!Digits(c, 2, 1) || c[2] > '2') return Unknown(c);
        v = c[2] - '0';
    } else if (word == "MC") {
        if (query) return "MC" + Padded(Channel, 3) + ";";
        if (!Digits(c, 2, 3) || std::stoi(c.substr(2)) > 99) return Unknown(c);
        if (Memories[size_t(std::stoi(c.substr(2)))].FrequencyHz == 0) return Unknown(c); // empty
        Channel = std::stoi(c.substr(2));
    } else if (word == "MW") {
        // MW, split flag, channel (3), frequency (11), mode, five more.
        if (c.size() != 23 || !Digits(c.substr(0, 18), 2, 16) || std::stoi(c.substr(3, 3)) > 99)
            return Unknown(c);
        const int64_t hz = std::stoll(c.substr(6, 11));
        if (hz != 0 && !InRange(hz)) return Unknown(c); // 0 empties the memory
        Memory& m = Memories[size_t(std::stoi(c.substr(3, 3)))];
        m.FrequencyHz = hz;
        m.Mode = c[17];
        m.Tail = c.substr(18);
    } else if (word == "MR") {
        if (!Digits(c, 2, 4) || std::stoi(c.substr(3)) > 99) return Unknown(c);
        const Memory& m = Memories[size_t(std::stoi(c.substr(3)))];
        return "MR0" + c.substr(3) + Padded(m.FrequencyHz, 11) + std::string(1, m.Mode) + m.Tail +
               ";";
    } else if (word == "IF") {
        if (!query) return Unknown(c);
        return IfAnswer();
    } else if (word == "SM") {
        // "SM" or "SM0" (main receiver): the meter as four digits.
        if (!query && c != "SM0") return Unknown(c);
        return "SM" + Padded(int64_t(SignalAt(nowMs)) * 2, 4) + ";";
    } else if (word == "ID") {
        return query ? "ID009;" : Unknown(c);
    } else if (word == "AI" || word == "PS") {
        // Other control programs switch auto information off and ask for power.
        if (query) return word + (word == "PS" ? "1;" : "0;");
        if (!Digits(c, 2, 1)) return Unknown(c);
    } else if (auto s = SettingWidths.find(word); s != SettingWidths.end()) {
        if (query) return word + Settings[word] + ";";
        // The attenuator also takes a single digit (RA0, RA1).
        if (!Digits(c, 2, s->second) && !(word == "RA" && Digits(c, 2, 1))) return Unknown(c);
        Settings[word] = c.substr(2);
    } else {
        return Unknown(c);
    }
    Retune();
    return answer;
}

std::vector<SimModel> KenwoodSimModels() {
    SimModel m;
    m.Name = "kenwood";
    m.Family = "KENWOOD";
    m.Description = "Kenwood CAT receiver";
    m.Make = [](const SimOptions&) { return std::unique_ptr<SimRadio>(new KenwoodRadio()); };
    return {m};
}

} // namespace rigvane
