#pragma once
// The driver rig with a simulated AOR AR8000 or AR5000 at the far end.
#include <gtest/gtest.h>

#include <string>

#include "core/CodeTables.h"
#include "core/Text.h"
#include "drivers/Aor.h"
#include "drivers/DriverRig.h"
#include "sim/AorRadio.h"

namespace rigvane::test {

class AorLink : public DriverRig {
  public:
    explicit AorLink(bool ar8000)
        : DriverRig(ar8000 ? "aor-ar8000" : "aor-ar5000", ar8000 ? ProtoAor8000 : ProtoAor5000, 0),
          sim(&Sim<AorRadio>()) {
        LatencyMs = 5;
        Profile().Detect = DetectSoftware;
        Profile().MaxFreq = 200000000;
    }

    DriverContext Context() {
        DriverContext ctx = radio.Context();
        ctx.Cancelled = [this] { return Cancel; };
        return ctx;
    }

    // The last line the radio received.
    std::string LastLine() const { return sim->Commands.empty() ? "" : sim->Commands.back(); }
    // A tuning state: MHz text, modulation code, step in 10 Hz units.
    void Want(const char* mhz, int mode, int32_t step = 500) {
        Channel& c = state.Current;
        c.Frequency = TextToFreq(mhz);
        c.Mode = uint8_t(mode);
        c.Step = step;
    }

    AorRadio* sim = nullptr;
    bool Cancel = false;
};

} // namespace rigvane::test
