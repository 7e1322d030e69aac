#pragma once
// A radio link over a SimHost talking to a simulated CI-V radio in-process.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/LinkRig.h"
#include "core/CodeTables.h"
#include "drivers/Icom.h"
#include "drivers/Registry.h"
#include "sim/Catalog.h"
#include "sim/IcomRadio.h"
#include "sim/SimPeer.h"

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

class CivLink : public LinkRig {
  public:
    explicit CivLink(const CivModel& m) {
        std::string error;
        auto simPeer = std::make_shared<SimPeer>(MakeSimRadio(m.SimName, &error));
        sim = dynamic_cast<IcomRadio*>(&simPeer->Radio());
        peer = simPeer;
        RadioProfile& p = settings.Selected();
        p.Protocol = m.Protocol;
        p.Model = m.Model;
        p.Addr = sim->Address;
        p.CompAddr = 0xE0;
        p.Device = std::string("sim:") + m.SimName;
        p.Timeout = 30;
        p.MinChan = 1;
        p.MinFreq = 0;
        InstallDrivers(radio);
    }

    Channel& Current() { return state.Current; }
    // One CI-V request of the driver, as the radio operations issue them.
    void Send(int code) {
        DriverContext ctx = radio.Context();
        IcomRequest(ctx, code);
    }
    // The number of frames with this command part the radio received.
    int Received(const std::string& body) const {
        int n = 0;
        for (const auto& c : sim->Commands)
            n += c == body;
        return n;
    }

    IcomRadio* sim = nullptr;
};

} // namespace rigvane::test
