#pragma once
// The driver rig with a simulated CI-V radio, and one CI-V request at a time.
#include <gtest/gtest.h>

#include <string>

#include "core/CodeTables.h"
#include "drivers/DriverRig.h"
#include "drivers/Icom.h"
#include "sim/IcomRadio.h"

namespace rigvane::test {

struct CivModel {
    const char* SimName;
    uint8_t Protocol;
    uint8_t Model;
};

inline const CivModel CivModels[] = {
    {"icom-r7000", ProtoIcom, 0}, {"icom-generic", ProtoIcom, 1}, {"icom-r8500", ProtoIcom, 2},
    {"icom-r9000", ProtoIcom, 3}, {"icom-r746", ProtoIcom, 4},    {"opto", ProtoOpto, 0},
};

class CivLink : public DriverRig {
  public:
    explicit CivLink(const CivModel& m)
        : DriverRig(m.SimName, m.Protocol, m.Model), sim(&Sim<IcomRadio>()) {
        Profile().Addr = sim->Address;
        Profile().CompAddr = 0xE0;
        Profile().MinChan = 1;
    }

    // One CI-V request of the driver, as the radio operations issue them.
    void Send(int code) {
        DriverContext ctx = radio.Context();
        IcomRequest(ctx, code);
    }
    // The number of frames with this command part the radio received.
    int Received(const std::string& body) const { return Sent(body); }

    IcomRadio* sim = nullptr;
};

} // namespace rigvane::test
