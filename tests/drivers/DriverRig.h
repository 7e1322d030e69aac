#pragma once
// The radio operations over a serial link to a simulated radio in-process,
// under a virtual-clock host, with the registered family drivers.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "core/SimHost.h"
#include "drivers/Registry.h"
#include "link/Radio.h"
#include "link/SerialLink.h"
#include "link/SimulatedPort.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"

namespace rigvane::test {

class DriverRig {
  public:
    DriverRig(const char* simName, uint8_t protocol, uint8_t model)
        : log(host, slots, settings.Global),
          link(host, settings, log, slots, state,
               [this](const std::string& device) -> std::unique_ptr<SerialPort> {
                   if (!IsSimDevice(device)) return nullptr;
                   auto p = std::make_unique<SimulatedPort>(host, peer);
                   p->Silent = SilentPorts;
                   port = p.get();
                   return p;
               }),
          radio(link, state, settings, log, memory, host) {
        std::string error;
        peer = std::make_shared<SimPeer>(MakeSimRadio(simName, &error));
        RadioProfile& p = settings.Selected();
        p.Protocol = protocol;
        p.Model = model;
        p.Device = std::string("sim:") + simName;
        p.Timeout = 30;
        p.MinFreq = 0;
        InstallDrivers(radio);
    }

    // The radio operations, as the engine calls them.
    bool Open() { return radio.OpenRadio() == OpenConnected; }
    void Apply() { radio.ApplyRadioState(); }
    void Read() { radio.ReadRadioState(); }
    void Recall() { radio.RecallChannel(); }
    void Store() { radio.StoreChannel(); }
    void Load() { radio.LoadChannel(); }
    void Signal() {
        Profile().Detect = DetectSoftware;
        radio.ReadSignal();
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
    bool SilentPorts = false; // ports opened from now on pass nothing back
    SimulatedPort* port = nullptr;
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
