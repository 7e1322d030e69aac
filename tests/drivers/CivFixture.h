#pragma once
// A radio link over a SimHost talking to a simulated CI-V radio in-process.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/CodeTables.h"
#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "core/SimHost.h"
#include "drivers/Icom.h"
#include "drivers/Registry.h"
#include "link/Radio.h"
#include "link/SerialLink.h"
#include "link/SimulatedPort.h"
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

class CivLink {
  public:
    explicit CivLink(const CivModel& m)
        : log(host, slots, settings.Global),
          link(host, settings, log, slots, state,
               [this](const std::string& device) -> std::unique_ptr<SerialPort> {
                   if (!IsSimDevice(device)) return nullptr;
                   auto port = std::make_unique<SimulatedPort>(host, peer);
                   port->LatencyMs = LatencyMs;
                   return port;
               }),
          radio(link, state, settings, log, memory, host) {
        std::string error;
        peer = std::make_shared<SimPeer>(MakeSimRadio(m.SimName, &error));
        sim = dynamic_cast<IcomRadio*>(&peer->Radio());
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

    RadioProfile& Profile() { return settings.Selected(); }
    Channel& Current() { return state.Current; }
    // One CI-V request of the driver, as the radio operations issue them.
    void Send(int code) {
        DriverContext ctx = radio.Context();
        IcomRequest(ctx, code);
    }

    int CountMessages(const std::string& needle) const {
        int n = 0;
        for (const auto& line : log.History())
            if (line.find(needle) != std::string::npos) ++n;
        return n;
    }
    // The number of frames with this command part the radio received.
    int Received(const std::string& body) const {
        int n = 0;
        for (const auto& c : sim->Commands)
            n += c == body;
        return n;
    }

    SimHost host;
    Settings settings;
    FileSlots slots;
    Memory memory;
    MessageLog log;
    RadioState state;
    int LatencyMs = 0;
    std::shared_ptr<SimPeer> peer;
    IcomRadio* sim = nullptr;
    SerialLink link;
    Radio radio;
};

inline std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes)
        s += char(uint8_t(b));
    return s;
}

} // namespace rigvane::test
