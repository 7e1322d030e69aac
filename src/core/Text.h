#pragma once
// Small text and number helpers shared by every layer.
#include <cstdint>
#include <string>

#include "core/Channel.h"

namespace rigvane {

// A broken-down local date and time.
struct LocalDateTime {
    int Year = 1970, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
    bool operator==(const LocalDateTime& o) const {
        return Year == o.Year && Month == o.Month && Day == o.Day && Hour == o.Hour &&
               Minute == o.Minute && Second == o.Second;
    }
};

// "0145.50000 " for 14550000: four digits, a point, five digits, one blank.
// Values outside 0..999999999 are clamped so the text keeps its fixed width.
std::string FreqToText(int32_t frequency);
// Parses MHz text; never fails: unreadable or too-long text gives NoFrequency.
int32_t TextToFreq(const std::string& text);
// The same reading, telling unreadable text (false) from the top of the
// scale, 9999.99999 MHz, which is NoFrequency too (true).
bool ReadFreqText(const std::string& text, int32_t* frequency);

// Ten digits with leading zeros, "0000000000" for no stamp.
std::string StampToText(Stamp stamp);
Stamp TextToStamp(const std::string& text);
Stamp StampFromDateTime(const LocalDateTime& t);
LocalDateTime DateTimeFromStamp(Stamp s);
// "m/d/yy h:mm:ssa/p", the message-line time stamp (without the " :").
std::string FormatMessageTime(const LocalDateTime& t);

// Modulation code for a name (right-trimmed, case-insensitive); 0 when unknown.
uint8_t ModeFromName(const std::string& name);

// Leading-number parse in the manner of BASIC's Val: leading blanks skipped,
// an optional sign, digits up to the first other character; saturates
// instead of overflowing. "" and "abc" give 0.
int64_t ValInt(const std::string& text);
double ValDouble(const std::string& text);

// A number with leading zeros to `width` digits ("000" gives 007).
std::string ZeroPadded(long long value, int width);
// A number with a blank in the sign position of a non-negative value (" 7", "-7").
std::string SignedText(long long value);

std::string TrimBlanks(const std::string& s);
std::string RightTrim(const std::string& s);
std::string ToUpper(std::string s);
bool EqualsNoCase(const std::string& a, const std::string& b);
// Text padded with blanks or cut to exactly `width` characters.
std::string FixedWidth(const std::string& s, size_t width);

} // namespace rigvane
