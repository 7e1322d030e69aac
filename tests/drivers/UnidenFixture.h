#pragma once
// The driver rig with a simulated Uniden radio on its port, and a
// DriverContext to run the Bearcat or BCD396T driver's operations directly.
#include <gtest/gtest.h>

#include <string>

#include "core/CodeTables.h"
#include "drivers/Bcd396t.h"
#include "drivers/Bearcat.h"
#include "drivers/DriverRig.h"
#include "sim/Bcd396tRadio.h"
#include "sim/BearcatRadio.h"

namespace rigvane::test {

class UnidenLink : public DriverRig {
  public:
    // `simName` from the catalogue; `protocol`/`model` as the profile says
    // (a profile may name another model than the radio on the line).
    UnidenLink(const std::string& simName, uint8_t protocol, uint8_t model)
        : DriverRig(simName.c_str(), protocol, model), sim(&Sim<SimRadio>()) {
        RadioProfile& p = Profile();
        p.MinChan = 1;
        p.MaxFreq = NoFrequency;
        p.VfoChan = 200;
        link.OpenPort();
    }

    RadioDriver& Driver() {
        return Profile().Protocol == ProtoBcd396 ? Bcd396tFamily() : BearcatFamily();
    }
    DriverContext Context() {
        DriverContext ctx = radio.Context();
        ctx.OperatingMode = OperatingMode;
        ctx.LightOn = LightOn;
        ctx.Cancelled = [this] {
            return CancelAfter >= 0 && int(sim->Commands.size()) >= CancelAfter;
        };
        return ctx;
    }
    BearcatRadio& Bearcat() { return dynamic_cast<BearcatRadio&>(*sim); }
    Bcd396tRadio& Bcd() { return dynamic_cast<Bcd396tRadio&>(*sim); }

    // Commands the radio received that start with `prefix`.
    int Received(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : sim->Commands)
            n += c.compare(0, prefix.size(), prefix) == 0;
        return n;
    }
    bool ReceivedAny(std::initializer_list<const char*> prefixes) const {
        for (const char* p : prefixes)
            if (Received(p) > 0) return true;
        return false;
    }

    SimRadio* sim = nullptr;
    int OperatingMode = 0;
    bool LightOn = false;
    int CancelAfter = -1; // the cancel flag rises once the radio got this many commands
};

} // namespace rigvane::test
