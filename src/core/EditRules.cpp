#include "core/EditRules.h"

#include <cctype>

#include "core/Text.h"

namespace rigvane {

bool ParseEntryFrequency(const std::string& text, int32_t& value) {
    const std::string t = TrimBlanks(text);
    if (t.empty()) return false;
    int points = 0, before = 0;
    for (char c : t) {
        if (c == '.') {
            ++points;
        } else if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        } else if (points == 0) {
            ++before;
        }
    }
    if (points > 1 || before > 4 || t == ".") return false;
    value = TextToFreq(t);
    return true;
}

bool ParseEntryNumber(const std::string& text, int max, int& value) {
    const std::string t = TrimBlanks(text);
    if (t.empty() || t.size() > 9) return false;
    for (char c : t)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    const long v = std::stol(t);
    if (v > max) return false;
    value = int(v);
    return true;
}

void ApplyChangedFields(Channel& target, const Channel& from, const Channel& to) {
#define RIGVANE_FIELD(f)                                                                           \
    if (from.f != to.f && target.f == from.f) target.f = to.f;
    RIGVANE_FIELD(Frequency)
    RIGVANE_FIELD(Mode)
    RIGVANE_FIELD(Valid)
    RIGVANE_FIELD(Delay)
    RIGVANE_FIELD(Atten)
    RIGVANE_FIELD(Resume)
    RIGVANE_FIELD(Count)
    RIGVANE_FIELD(ActiveTime)
    RIGVANE_FIELD(Signal)
    RIGVANE_FIELD(TimeStamp)
    RIGVANE_FIELD(Service)
    RIGVANE_FIELD(Notch)
    RIGVANE_FIELD(Preamp)
    RIGVANE_FIELD(Sync)
    RIGVANE_FIELD(Trunked)
    RIGVANE_FIELD(Tone1)
    RIGVANE_FIELD(Tone2)
    RIGVANE_FIELD(Tone2On)
    RIGVANE_FIELD(Tone3)
    RIGVANE_FIELD(Tone3On)
    RIGVANE_FIELD(Agc)
    RIGVANE_FIELD(Antenna)
    RIGVANE_FIELD(NoiseBlank)
    RIGVANE_FIELD(Bandwidth)
    RIGVANE_FIELD(ChannelNo)
    RIGVANE_FIELD(Step)
    RIGVANE_FIELD(Lower)
    RIGVANE_FIELD(Upper)
#undef RIGVANE_FIELD
}

} // namespace rigvane
