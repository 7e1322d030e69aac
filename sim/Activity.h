#pragma once
// The activity schedule of a simulated radio: which frequencies carry a
// signal, how strong, and when. One active frequency per line of the file:
//
//     MHZ LEVEL [ON_SECONDS OFF_SECONDS]    # comment
//
// LEVEL is on the radio's S-meter scale 0..12. Without the timing the
// frequency is always on; with it the signal is on for ON_SECONDS, then off
// for OFF_SECONDS, repeating from time 0.
#include <cstdint>
#include <string>
#include <vector>

namespace rigvane {

struct ActiveFrequency {
    int64_t FrequencyHz = 0;
    int Level = 0;    // 0..12
    int64_t OnMs = 0; // 0 with OffMs 0: always on
    int64_t OffMs = 0;
    int Line = 0; // line of the file it came from
};

class Activity {
  public:
    static constexpr int MaxLevel = 12;

    // Parses the text of an activity file, adding its entries. Every bad line
    // adds one "line N: reason" text to `errors` (when given) and is skipped.
    // Returns true when no line was bad.
    bool Parse(const std::string& text, std::vector<std::string>* errors);
    // Reads and parses a file; an unreadable file gives one error.
    bool Load(const std::string& path, std::vector<std::string>* errors);

    // The strongest level of the entries on the air at `nowMs` within
    // ToleranceHz of `frequencyHz`; 0 when none.
    int LevelAt(int64_t frequencyHz, int64_t nowMs) const;

    std::vector<ActiveFrequency> Entries;
    // How far from an active frequency the receiver still hears it.
    int64_t ToleranceHz = 3000;
};

// Parses a decimal number of MHz ("146.52", "0.5") into Hz, exactly; false
// for anything else (signs, exponents, more than six decimals, > 100 GHz).
bool ParseMhz(const std::string& text, int64_t* hz);

} // namespace rigvane
