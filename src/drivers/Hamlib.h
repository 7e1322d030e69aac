#pragma once
// The HAMLIB family: any radio the Hamlib library drives (protocol 11). The
// profile names Hamlib's model number (HAMLIBMODEL) and its configuration
// (HAMLIBCONF, "key=value,..."). Hamlib opens the device itself, so the link
// opens no serial port; every Hamlib call runs on one worker thread that owns
// the RIG, while the main thread waits through Host::WaitForWorker and the
// windows stay responsive.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/RadioDriver.h"

namespace rigvane {

class HamlibDriver : public RadioDriver {
  public:
    const FamilyCaps& Caps() const override;
    uint32_t OpsFor(const RadioProfile& profile) const override;
    // Opens the radio: a new session in ctx.Link.Session, then a read of its state.
    void Open(DriverContext&) override;
    void Apply(DriverContext&) override;
    void Read(DriverContext&) override;
    void Recall(DriverContext&) override;
    void Store(DriverContext&) override;
    void Load(DriverContext&) override;
    void Signal(DriverContext&, DetectMethod) override;
};

HamlibDriver& HamlibDriverInstance();

// The operations (RadioOp bits) a Hamlib model has, from its rig_caps: memory
// recall and load need get_channel, store needs set_channel, a signal
// command needs an S-meter or a squelch (DCD) reading. 0 for an unknown model.
uint32_t HamlibOps(int model);

// One entry of Hamlib's model list, for Radio Parms.
struct HamlibModelInfo {
    int Model = 0;
    std::string Manufacturer, Name, Status;
    int MinChannel = 0, MaxChannel = 0; // the first memory range; both 0: none
    int32_t MinFreq = 0, MaxFreq = 0;   // receive range in 10 Hz units; 0: unknown
};
// Every model Hamlib knows, by manufacturer and name.
std::vector<HamlibModelInfo> HamlibModels();
// One model's entry; Model 0 when Hamlib knows no such model.
HamlibModelInfo HamlibModel(int model);

// "key=value,key=value" split into pairs; blanks around keys and values are
// dropped, empty items skipped. False (with the bad item) for an item
// without "=" or with an empty key.
bool ParseHamlibConf(const std::string& text, std::vector<std::pair<std::string, std::string>>* out,
                     std::string* bad);

// The program's signal scale (0..12) of a Hamlib strength reading in dB
// relative to S9: 6 dB per S unit up to S9, then one step per 10 dB.
uint8_t SignalFromStrength(int dbOverS9);

} // namespace rigvane
