#include "core/Text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/CodeTables.h"

namespace rigvane {

std::string FreqToText(int32_t frequency) {
    if (frequency < 0) frequency = 0;
    if (frequency > NoFrequency) frequency = NoFrequency;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%09d", frequency);
    std::string s(digits);
    return s.substr(0, 4) + "." + s.substr(4, 5) + " ";
}

int32_t TextToFreq(const std::string& input) {
    int32_t frequency = NoFrequency;
    return ReadFreqText(input, &frequency) ? frequency : NoFrequency;
}

bool ReadFreqText(const std::string& input, int32_t* frequency) {
    const std::string text = TrimBlanks(input);
    // Only a sign, digits and one point make a frequency; anything else (a
    // letter, a blank inside, a second point) is unreadable, not a number.
    const size_t signs = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (text.find_first_not_of("0123456789.", signs) != std::string::npos ||
        std::count(text.begin(), text.end(), '.') > 1)
        return false;
    const size_t point = text.find('.');
    auto fraction = [&](size_t from) { return (text.substr(from) + "00000").substr(0, 5); };
    int64_t value;
    if (point == 0) {
        value = ValInt(fraction(1));
    } else if (point != std::string::npos && point <= 4) {
        value = ValInt(text.substr(0, point) + fraction(point + 1));
    } else if (point == std::string::npos && text.size() < 5) {
        value = ValInt(text + "00000");
    } else {
        return false;
    }
    if (value > NoFrequency || value < -NoFrequency) return false;
    *frequency = static_cast<int32_t>(value);
    return true;
}

std::string StampToText(Stamp stamp) {
    if (stamp <= 0) return "0000000000";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%010lld", static_cast<long long>(stamp));
    return buf;
}

Stamp TextToStamp(const std::string& text) {
    const int64_t n = ValInt(text);
    return n > 0 ? n : 0;
}

namespace {
// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}
} // namespace

Stamp StampFromDateTime(const LocalDateTime& t) {
    return DaysFromCivil(t.Year, static_cast<unsigned>(t.Month), static_cast<unsigned>(t.Day)) *
               86400 +
           int64_t(t.Hour) * 3600 + int64_t(t.Minute) * 60 + t.Second;
}

LocalDateTime DateTimeFromStamp(Stamp s) {
    int64_t days = s >= 0 ? s / 86400 : (s - 86399) / 86400;
    int64_t secs = s - days * 86400;
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    LocalDateTime t;
    t.Day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.Month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.Year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (t.Month <= 2));
    t.Hour = static_cast<int>(secs / 3600);
    t.Minute = static_cast<int>(secs / 60 % 60);
    t.Second = static_cast<int>(secs % 60);
    return t;
}

std::string FormatMessageTime(const LocalDateTime& t) {
    int hour12 = t.Hour % 12;
    if (hour12 == 0) hour12 = 12;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d/%d/%02d %d:%02d:%02d%c", t.Month, t.Day,
                  ((t.Year % 100) + 100) % 100, hour12, t.Minute, t.Second,
                  t.Hour < 12 ? 'a' : 'p');
    return buf;
}

uint8_t ModeFromName(const std::string& name) {
    const std::string wanted = RightTrim(name);
    for (uint8_t code = 0; code <= 9; ++code) {
        if (EqualsNoCase(wanted, RightTrim(ModeNames[code]))) return code;
    }
    return 0;
}

int64_t ValInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    constexpr int64_t limit = std::numeric_limits<int64_t>::max() / 10 - 10;
    int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        if (value < limit) value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

double ValDouble(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    size_t j = i;
    if (j < text.size() && (text[j] == '-' || text[j] == '+')) ++j;
    bool seenPoint = false;
    while (j < text.size() &&
           (std::isdigit(static_cast<unsigned char>(text[j])) || (text[j] == '.' && !seenPoint))) {
        seenPoint = seenPoint || text[j] == '.';
        ++j;
    }
    const std::string number = text.substr(i, j - i);
    if (number.empty() || number == "-" || number == "+" || number == ".") return 0.0;
    const double v = std::strtod(number.c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

std::string ZeroPadded(long long value, int width) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%0*lld", width, value);
    return buf;
}

std::string SignedText(long long value) {
    return (value >= 0 ? " " : "") + std::to_string(value);
}

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    return s.substr(b, e - b);
}

std::string RightTrim(const std::string& s) {
    size_t e = s.size();
    while (e > 0 && s[e - 1] == ' ')
        --e;
    return s.substr(0, e);
}

std::string ToUpper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string FixedWidth(const std::string& s, size_t width) {
    std::string r = s.substr(0, width);
    r.resize(width, ' ');
    return r;
}

} // namespace rigvane
