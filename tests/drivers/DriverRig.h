#pragma once
// One family driver over a serial link to a simulated radio in-process,
// under a virtual-clock host; the driver's operations are called directly.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "core/SimHost.h"
#include "drivers/Registry.h"
#include "link/RadioDriver.h"
#include "link/SerialLink.h"
#include "link/SimulatedPort.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"

namespace rigvane::test {

class DriverRig {
  public:
    DriverRig(const char* simName, uint8_t protocol, uint8_t model, RadioDriver& radioDriver)
        : log(host, slots, settings.Global),
          link(host, settings, log, slots, state,
               [this](const std::string& device) -> std::unique_ptr<SerialPort> {
                   if (!IsSimDevice(device)) return nullptr;
                   auto p = std::make_unique<SimulatedPort>(host, peer);
                   port = p.get();
                   return p;
               }),
          driver(&radioDriver) {
        std::string error;
        peer = std::make_shared<SimPeer>(MakeSimRadio(simName, &error));
        RadioProfile& p = settings.Selected();
        p.Protocol = protocol;
        p.Model = model;
        p.Device = std::string("sim:") + simName;
        p.Timeout = 30;
        p.MinFreq = 0;
        link.Drivers = DriverFor; // the link asks the family's caps (a radio that never answers)
        EXPECT_TRUE(link.OpenPort());
    }

    DriverContext Context() {
        return DriverContext{link, state, settings.Selected(), settings, log, memory, host,
                             0,    false, [] { return false; }};
    }
    // The driver's initialisation with one try per command, as a connection does it.
    bool Open() {
        DriverContext ctx = Context();
        link.RetryCount = 1;
        driver->Open(ctx);
        link.RetryCount = 3;
        return !link.RadioNotResponding;
    }
    void Apply() { Call(&RadioDriver::Apply); }
    void Read() { Call(&RadioDriver::Read); }
    void Recall() { Call(&RadioDriver::Recall); }
    void Store() { Call(&RadioDriver::Store); }
    void Load() { Call(&RadioDriver::Load); }
    void Signal() {
        DriverContext ctx = Context();
        driver->Signal(ctx, DetectSoftware);
    }

    template <typename Radio> Radio& Sim() { return dynamic_cast<Radio&>(peer->Radio()); }
    RadioProfile& Profile() { return settings.Selected(); }
    Channel& Current() { return state.Current; }
    int Messages(const std::string& needle) const {
        int n = 0;
        for (const auto& line : log.History())
            n += line.find(needle) != std::string::npos;
        return n;
    }
    int Sent(const std::string& command) {
        int n = 0;
        for (const auto& c : peer->Radio().Commands)
            n += c == command;
        return n;
    }

    SimHost host;
    Settings settings;
    FileSlots slots;
    Memory memory;
    MessageLog log;
    RadioState state;
    std::shared_ptr<SimPeer> peer;
    SimulatedPort* port = nullptr;
    SerialLink link;
    RadioDriver* driver;

  private:
    void Call(void (RadioDriver::*op)(DriverContext&)) {
        DriverContext ctx = Context();
        (driver->*op)(ctx);
    }
};

inline std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes)
        s += char(uint8_t(b));
    return s;
}

} // namespace rigvane::test
