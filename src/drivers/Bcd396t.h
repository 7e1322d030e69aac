#pragma once
// The Uniden BCD396T: comma-separated text commands ended by CR, each
// answered by one line that starts with the command word. The program tunes
// it (quick search hold), identifies it when connecting and reads its
// squelch and signal state; it does not move the scanner's memories.
#include <cstdint>
#include <string>
#include <vector>

#include "link/RadioDriver.h"

namespace rigvane {

class Bcd396tDriver : public RadioDriver {
  public:
    const FamilyCaps& Caps() const override;
    // Asks the model (MDL); anything but "BCD396T" is a radio that did not answer.
    void Open(DriverContext& ctx) override;
    void Apply(DriverContext& ctx) override;
    // The GLG state line, then the squelch level when the squelch is open.
    // With the carrier-detect line as well, nothing is sent: the held line
    // is the signal.
    void Signal(DriverContext& ctx, DetectMethod detect) override;
};

RadioDriver& Bcd396tFamily();

// The pure parts, for the tests.
// "QSH,01465200,AUTO,NFM,1,0,0,0,0000000000000000,0" for 146.52 MHz NFM, attenuator on.
std::string Bcd396tTuneCommand(const Channel& state);
// An answer line split at every ",".
std::vector<std::string> Bcd396tFields(const std::string& line);

} // namespace rigvane
