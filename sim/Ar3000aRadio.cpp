#include "sim/Ar3000aRadio.h"

#include <memory>
#include <sstream>
#include <vector>

#include "core/Text.h"

namespace rigvane {

namespace {

constexpr int64_t MinHz = 100000;
constexpr int64_t MaxHz = 2036000000;
const std::string Done = "\r\n";
const std::string Refused = "?\r\n";
const std::string ModeLetters = "NWALUC";
const std::string StatusModes = "QRSTUV"; // in the order of ModeLetters

bool TwoDigits(const std::string& s, int* value) {
    if (s.size() != 2 || s[0] < '0' || s[0] > '9' || s[1] < '0' || s[1] > '9') return false;
    *value = (s[0] - '0') * 10 + (s[1] - '0');
    return true;
}

} // namespace

Ar3000aRadio::Ar3000aRadio(bool silent) : silent_(silent) {
    State.Hz = 145500000;
    FrequencyHz = State.Hz;
}

std::string Ar3000aRadio::StatusLine() const {
    const int64_t hz = State.Hz;
    const size_t mode = ModeLetters.find(State.Mode);
    return "Y " + ZeroPadded(hz / 1000000, 4) + "." + ZeroPadded((hz % 1000000) / 10, 5) +
           (State.Atten ? " W" : " X") + " J 12.50 " +
           StatusModes[mode == std::string::npos ? 0 : mode];
}

bool Ar3000aRadio::Tune(const std::string& mhz, const std::string& mode) {
    int64_t hz = 0;
    if (!ParseMhz(mhz, &hz) || hz < MinHz || hz > MaxHz) return false;
    if (!mode.empty() && (mode.size() != 1 || ModeLetters.find(mode[0]) == std::string::npos))
        return false;
    State.Hz = hz;
    if (!mode.empty()) State.Mode = mode[0];
    return true;
}

std::string Ar3000aRadio::Command(const std::string& command, int64_t nowMs) {
    const std::string answer = Answer(command, nowMs);
    FrequencyHz = State.Hz;
    return silent_ ? "" : answer;
}

std::string Ar3000aRadio::Answer(const std::string& command, int64_t nowMs) {
    std::istringstream in(command);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    if (words.empty()) return Refused;
    const std::string& first = words[0];
    int n = 0;

    if ((first == "T" || first == "R") && words.size() >= 2 && words.size() <= 3) {
        if (!Tune(words[1], words.size() == 3 ? words[2] : "")) return Refused;
        State.Atten = first == "R";
        return Done;
    }
    if (words.size() > 2) return Refused;
    if (first[0] >= '0' && first[0] <= '9' && first.find('.') != std::string::npos)
        return Tune(first, words.size() == 2 ? words[1] : "") ? Done : Refused;
    if (words.size() != 1) return Refused;
    if (first == "D") return StatusLine() + "\r\n";
    if (first == "Y") {
        const int level = SignalAt(nowMs);
        return std::string(1, level <= 0 ? '%' : char('A' + level - 1)) + "\r\n";
    }
    if (first.size() == 1 && ModeLetters.find(first[0]) != std::string::npos) {
        State.Mode = first[0];
        return Done;
    }
    if (first == "X") return Done; // the AR3000's bank key: nothing to select
    if (first.size() == 2 && first[1] == 'X' && first[0] >= '1' && first[0] <= '4') {
        Bank = first[0] - '0';
        return Done;
    }
    if (first.size() == 3 && TwoDigits(first.substr(0, 2), &n)) {
        auto& bank = Memories[size_t(Bank - 1)];
        if (first[2] == 'M') {
            bank[size_t(n)] = State;
            Channel = n;
            return Done;
        }
        if (first[2] == 'Z') {
            // An empty channel: the radio moves on to the next programmed one.
            int found = n;
            for (int k = 0; k < BankSize; ++k) {
                const int c = (n + k) % BankSize;
                if (bank[size_t(c)].Hz > 0) {
                    found = c;
                    break;
                }
            }
            Channel = found;
            if (bank[size_t(found)].Hz > 0) State = bank[size_t(found)];
            const std::string line =
                bank[size_t(found)].Hz > 0 ? StatusLine() : "Y 0000.00000 X J 12.50 Q";
            return "#" + ZeroPadded(found, 2) + " " + line + "\r\n";
        }
    }
    return Refused;
}

std::vector<SimModel> Ar3000aSimModels() {
    SimModel a;
    a.Name = "aor-ar3000a";
    a.Family = "AOR3000A";
    a.Description = "AOR AR3000A";
    a.Make = [](const SimOptions&) {
        return std::unique_ptr<SimRadio>(std::make_unique<Ar3000aRadio>(false));
    };
    SimModel old = a;
    old.Name = "aor-ar3000";
    old.Description = "AOR AR3000 (never answers)";
    old.Make = [](const SimOptions&) {
        return std::unique_ptr<SimRadio>(std::make_unique<Ar3000aRadio>(true));
    };
    return {a, old};
}

} // namespace rigvane
