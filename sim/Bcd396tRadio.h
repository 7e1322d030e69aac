#pragma once
// A simulated Uniden BCD396T: comma-separated commands ended by CR, each
// answered by one line that starts with the command word. MDL and VER
// identify it; QSH tunes (quick search hold) within the set's ranges
// (25..512, 764..776, 794..956, 1240..1300 MHz), answering "QSH,OK", or
// "QSH,NG" outside them; GLG answers the 13 fields of the reception state
// (all empty but the word while the squelch is closed; field 8 is "1" while
// the activity schedule has a signal at the tuned frequency); SQL reads or
// sets the squelch level; STS gives a short display status. Anything else,
// or a command with malformed fields, is answered "ERR".
#include <cstdint>
#include <string>
#include <vector>

#include "sim/TextLineRadio.h"

namespace rigvane {

class Bcd396tRadio : public TextLineRadio {
  public:
    std::string Name() const override { return "bcd396t"; }

    int Squelch = 2;           // 0..15
    std::string Mode = "AUTO"; // of the last QSH
    bool Atten = false;
    bool Tuned = false;

  protected:
    std::string Command(const std::string& command, int64_t nowMs) override;
    std::string Terminators() const override { return "\r"; }
    std::string Unknown(const std::string&) const override { return "ERR\r"; }
};

// The catalogue row of the BCD396T.
std::vector<SimModel> Bcd396tSimModels();

} // namespace rigvane
