#include "sim/Bcd396tRadio.h"

#include <vector>

namespace rigvane {

namespace {

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> f(1);
    for (char c : line) {
        if (c == ',')
            f.emplace_back();
        else
            f.back() += c;
    }
    return f;
}

bool Digits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

bool InBand(int64_t hz) {
    const int64_t mhz = 1000000;
    return (hz >= 25 * mhz && hz <= 512 * mhz) || (hz >= 764 * mhz && hz <= 776 * mhz) ||
           (hz >= 794 * mhz && hz <= 956 * mhz) || (hz >= 1240 * mhz && hz <= 1300 * mhz);
}

} // namespace

std::string Bcd396tRadio::Command(const std::string& command, int64_t nowMs) {
    const std::vector<std::string> f = Split(command);
    const std::string& word = f[0];
    if (word == "MDL" && f.size() == 1) return "MDL,BCD396T\r";
    if (word == "VER" && f.size() == 1) return "VER,Version 1.06.00\r";
    if (word == "QSH") {
        if (f.size() < 5 || !Digits(f[1]) || f[1].size() != 8) return "ERR\r";
        const std::string& mode = f[3];
        if (mode != "AUTO" && mode != "AM" && mode != "FM" && mode != "NFM" && mode != "WFM")
            return "ERR\r";
        const int64_t hz = std::stoll(f[1]) * 100;
        if (!InBand(hz)) return "QSH,NG\r";
        FrequencyHz = hz;
        Mode = mode;
        Atten = f[4] == "1";
        Tuned = true;
        return "QSH,OK\r";
    }
    if (word == "GLG" && f.size() == 1) {
        if (!Tuned || SignalAt(nowMs) <= 0) return "GLG,,,,,,,,,,,,\r";
        const std::string freq = std::to_string(FrequencyHz / 100);
        return "GLG," + std::string(8 - freq.size(), '0') + freq + "," + Mode + "," +
               (Atten ? "1" : "0") + ",0,,,,1,0,,,\r";
    }
    if (word == "SQL") {
        if (f.size() == 1) return "SQL," + std::to_string(Squelch) + "\r";
        if (f.size() != 2 || !Digits(f[1]) || f[1].size() > 2 || std::stoi(f[1]) > 15)
            return "ERR\r";
        Squelch = std::stoi(f[1]);
        return "SQL,OK\r";
    }
    if (word == "STS" && f.size() == 1)
        return std::string("STS,011000,BCD396T         ,,") +
               (Tuned ? "Quick Search Hold" : "Scanning...      ") + ",,,,,,1,0,0,0\r";
    return Unknown(command);
}

std::vector<SimModel> Bcd396tSimModels() {
    SimModel m;
    m.Name = "bcd396t";
    m.Family = "BCD396T";
    m.Description = "Uniden BCD396T";
    m.Make = [](const SimOptions&) {
        return std::unique_ptr<SimRadio>(std::make_unique<Bcd396tRadio>());
    };
    return {m};
}

} // namespace rigvane
