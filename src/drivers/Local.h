#pragma once
// The LOCAL test radio: no port and no wire protocol. Reading a memory
// channel or a search bank gives random test values, so the windows and the
// memory load can be tried without a radio.
#include "link/RadioDriver.h"

namespace rigvane {

class LocalDriver : public RadioDriver {
  public:
    const FamilyCaps& Caps() const override;
    void Load(DriverContext& ctx) override;
    void LoadSearchBank(DriverContext& ctx, Channel& bank) override;
};

RadioDriver& LocalFamily();

} // namespace rigvane
