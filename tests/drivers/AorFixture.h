#pragma once
// The shared link rig with a simulated AOR AR8000 or AR5000 at the far end.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/LinkRig.h"
#include "core/CodeTables.h"
#include "core/Text.h"
#include "drivers/Aor.h"
#include "drivers/Registry.h"
#include "sim/AorRadio.h"
#include "sim/SimPeer.h"

namespace rigvane::test {

class AorLink : public LinkRig {
  public:
    explicit AorLink(bool ar8000)
        : LinkRig(std::make_shared<SimPeer>(std::make_unique<AorRadio>(
              ar8000 ? AorRadio::Model::Ar8000 : AorRadio::Model::Ar5000))) {
        sim = &static_cast<AorRadio&>(static_cast<SimPeer&>(*peer).Radio());
        LatencyMs = 5;
        InstallDrivers(radio);
        RadioProfile& p = Profile();
        p.Protocol = ar8000 ? ProtoAor8000 : ProtoAor5000;
        p.Model = 0;
        p.Device = std::string("sim:") + sim->Name();
        p.Timeout = 30;
        p.Detect = DetectSoftware;
        p.MinFreq = 0;
        p.MaxFreq = 200000000;
    }

    // Opens the port and the radio; true when it answered.
    bool Open() { return radio.OpenRadio() == OpenConnected; }

    DriverContext Context() {
        DriverContext ctx = radio.Context();
        ctx.Cancelled = [this] { return Cancel; };
        return ctx;
    }

    Channel& Current() { return state.Current; }
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
