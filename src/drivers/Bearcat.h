#pragma once
// The Uniden Bearcat scanners BC245XLT (model 0), BC780XLT (1) and BC895XLT
// (2). They have no VFO: the program tunes them by programming a reserved
// memory channel (the profile's VfoChan). Commands are text lines ended by
// CR; every answer is one CR-terminated line. Besides single commands the
// driver brings the front panel back to its normal screen by simulated key
// presses and moves the talk-group IDs of a trunk bank.
#include <cstdint>
#include <string>

#include "core/Channel.h"
#include "link/RadioDriver.h"

namespace rigvane {

class BearcatDriver : public RadioDriver {
  public:
    const FamilyCaps& Caps() const override;
    // Front panel to its normal screen, then the wanted state (or, with the
    // radio's memories in use, the radio's channel) as the starting state.
    void Open(DriverContext& ctx) override;
    void Apply(DriverContext& ctx) override;
    void Read(DriverContext& ctx) override;
    void Recall(DriverContext& ctx) override;
    void Store(DriverContext& ctx) override;
    void Load(DriverContext& ctx) override;
    void Signal(DriverContext& ctx, DetectMethod detect) override;
    void SetLight(DriverContext& ctx) override;
    // Moves the 100 IDs, the enabled ID banks and the system type of trunk
    // bank `bank` (0..9) from or to the radio.
    void TrunkIds(DriverContext& ctx, int bank, bool write) override;
    void RadioTest(DriverContext& ctx) override;
};

RadioDriver& BearcatFamily();

// The pure parts, for the tests.
// 8 digits of the frequency in 100 Hz units (14512500 gives 01451250).
std::string BearcatFrequencyText(int32_t frequency);
// A channel line ("C012 F01451250 TF DN LF AN RF N00") into `ch` (Frequency,
// ChannelNo, Trunked, Delay, Valid, Atten, Sync, Tone1); false when the line
// is too short or its number fields are not digits.
bool ParseBearcatChannelLine(const std::string& line, Channel& ch);
// The level of an "S" signal answer ("S182") on a model, 0..13.
int BearcatSignalLevel(int model, const std::string& line);
// The modulation code of an "RM" answer ("RM AM" gives 4); -1 when unknown.
int BearcatModeFromReply(const std::string& line);
// The ID bank letter: 1..9 are "A".."I", 0 is "J" (the same for trunk banks).
char BearcatBankLetter(int bank);
// The longest ID text the scanners take.
constexpr size_t BearcatIdLength = 8;
// An ID text as the radio can take it: only digits and , - . / _ are kept,
// at most BearcatIdLength of them.
std::string BearcatIdText(const std::string& id);

} // namespace rigvane
