#pragma once
// The radio operations over a SerialLink on a SimHost, talking to one
// simulated text-line radio in-process through the driver registry.
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

template <typename SimType> class TextRadioRig {
  public:
    TextRadioRig(const std::string& simName, uint8_t protocol, uint8_t model = 0)
        : log(host, slots, settings.Global),
          link(host, settings, log, slots, state,
               [this](const std::string& device) -> std::unique_ptr<SerialPort> {
                   if (!IsSimDevice(device)) return nullptr;
                   return std::make_unique<SimulatedPort>(host, peer);
               }),
          radio(link, state, settings, log, memory, host, &progress) {
        std::string error;
        peer = std::make_shared<SimPeer>(MakeSimRadio(simName, &error));
        sim = dynamic_cast<SimType*>(&peer->Radio());
        RadioProfile& p = settings.Selected();
        p.Protocol = protocol;
        p.Model = model;
        p.Device = "sim:" + simName;
        p.Timeout = 30;
        p.MinFreq = 0;
        p.Detect = DetectSoftware;
        InstallDrivers(radio);
        EXPECT_TRUE(link.OpenPort());
    }

    RadioProfile& Profile() { return settings.Selected(); }
    Channel& Current() { return state.Current; }
    RadioDriver& Driver() { return *radio.Driver(); }
    void Tune(int32_t f, uint8_t mode) {
        Current().Frequency = f;
        Current().Mode = mode;
        radio.ApplyRadioState();
    }
    uint8_t Signal() {
        radio.ReadSignal();
        return state.SignalLevel;
    }

    // Commands the radio received since the last call, joined by "|".
    std::string Sent() {
        std::string out;
        for (size_t i = seen_; i < sim->Commands.size(); ++i)
            out += (out.empty() ? "" : "|") + sim->Commands[i];
        seen_ = sim->Commands.size();
        return out;
    }
    int CountMessages(const std::string& needle) const {
        int n = 0;
        for (const auto& line : log.History())
            n += line.find(needle) != std::string::npos;
        return n;
    }

    SimHost host;
    Settings settings;
    FileSlots slots;
    Memory memory;
    MessageLog log;
    RadioState state;
    Progress progress;
    std::shared_ptr<SimPeer> peer;
    SimType* sim = nullptr;
    SerialLink link;
    Radio radio;

  private:
    size_t seen_ = 0;
};

} // namespace rigvane::test
