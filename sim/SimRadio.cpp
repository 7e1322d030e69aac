#include "sim/SimRadio.h"

namespace rigvane {

std::string SimRadio::Receive(const std::string& bytes, int64_t nowMs) {
    if (!PoweredOn) return "";
    std::string answer = Handle(bytes, nowMs);
    if (NoiseBytes > 0 && !answer.empty()) return Noise(size_t(NoiseBytes));
    return answer;
}

std::string SimRadio::Noise(size_t count) {
    std::string out(count, '\0');
    std::uniform_int_distribution<int> byte(0, 255);
    for (char& c : out)
        c = char(byte(Random));
    return out;
}

} // namespace rigvane
