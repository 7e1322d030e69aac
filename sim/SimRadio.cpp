#include "sim/SimRadio.h"

#include <cstdio>

namespace rigvane {

std::string SimRadio::Receive(const std::string& bytes, int64_t nowMs) {
    if (!PoweredOn) return "";
    if (Trace) Trace(nowMs, true, bytes);
    std::string answer = Handle(bytes, nowMs);
    if (NoiseBytes > 0 && !answer.empty()) answer = Noise(size_t(NoiseBytes));
    if (Trace && !answer.empty()) Trace(nowMs, false, answer);
    return answer;
}

std::string SimTraceLine(int64_t nowMs, bool fromComputer, const std::string& bytes) {
    static const char* hex = "0123456789ABCDEF";
    char time[32];
    std::snprintf(time, sizeof time, "%lld.%03lld", static_cast<long long>(nowMs / 1000),
                  static_cast<long long>(nowMs % 1000));
    std::string line = std::string(time) + (fromComputer ? " <- " : " -> ");
    std::string text;
    for (unsigned char c : bytes) {
        line += hex[c >> 4];
        line += hex[c & 15];
        line += ' ';
        text += c >= 32 && c < 127 ? char(c) : '.';
    }
    return line + " |" + text + "|";
}

std::string SimRadio::Noise(size_t count) {
    std::string out(count, '\0');
    std::uniform_int_distribution<int> byte(0, 255);
    for (char& c : out)
        c = char(byte(Random));
    return out;
}

} // namespace rigvane
