#pragma once
// The ICOM CI-V driver, for ICOM receivers (protocol 1: models R7000,
// generic, R8500, R9000, R746) and the OPTO receivers that share the frame
// format (protocol 5). One operation code in, one CI-V frame out, answer
// frames parsed back into the tuning state, the signal level or a message.
#include <cstdint>
#include <string>

#include "link/RadioDriver.h"

namespace rigvane {

// Operation codes of the CI-V driver (CI-V command numbers; the ones of 256
// and above carry their command bytes in the data).
enum IcomCode : int {
    IcomReadFrequency = 3,
    IcomReadMode = 4,
    IcomSetFrequency = 5,
    IcomSetMode = 6,
    IcomSelectMemory = 8,
    IcomWriteMemory = 9,
    IcomMemoryToVfo = 10,
    IcomClearMemory = 11,
    IcomReadAttenuator = 17,
    IcomReadAntenna = 18,
    IcomOptoInit = 127,
    IcomSetAntenna = 4608,
    IcomReadSquelch = 5377,
    IcomReadSMeter = 5378,
    IcomSetAgc = 5648,
    IcomSetAttenuator = 5888,
};

// The driver's frame bytes, built at start-up.
extern const std::string CivPreamble; // FE FE
extern const std::string CivEom;      // FD

// One CI-V request: does nothing when the port is closed; never throws (a
// failure of its own posts "Data Processing Error 6004! Report to author."
// and the error text, then ends the operation).
void IcomRequest(DriverContext& ctx, int& request);

// The building blocks, public for the tests and the radio search.
// The whole command frame for a code ("" when nothing is to be sent).
std::string IcomCommand(const RadioProfile& profile, const RadioState& state, int code);
// Five BCD bytes of a frequency in 10 Hz units, least significant first.
std::string IcomFrequencyBytes(int32_t frequency);
// A frequency answer's data bytes (everything between the command byte and
// FD) as 10 Hz units; 0 when they are not a frequency (too few bytes, a digit
// above 9, a byte of 199 or more, or beyond the 32-bit range).
int32_t IcomFrequencyFromBytes(const std::string& data);

// The family driver: the radio operations in CI-V requests. One class
// serves the ICOM receivers and the OPTO receivers; what differs is data
// (IcomCaps, OptoCaps) and the OPTO initialisation.
class IcomDriver : public RadioDriver {
  public:
    explicit IcomDriver(const FamilyCaps& caps) : caps_(caps) {}
    const FamilyCaps& Caps() const override { return caps_; }

    void Open(DriverContext& ctx) override;
    void Apply(DriverContext& ctx) override;
    void Read(DriverContext& ctx) override;
    void Recall(DriverContext& ctx) override;
    void Store(DriverContext& ctx) override;
    void Load(DriverContext& ctx) override;
    void Signal(DriverContext& ctx, DetectMethod method) override;

  private:
    const FamilyCaps& caps_;
};

const FamilyCaps& IcomCaps(); // protocol 1: R7000, generic, R8500, R9000, R746
const FamilyCaps& OptoCaps(); // protocol 5
RadioDriver& IcomFamily();
RadioDriver& OptoFamily();

} // namespace rigvane
