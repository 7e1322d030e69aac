#pragma once
// One family driver talking to one simulated text-line radio in-process,
// over a SerialLink on a SimHost. The operations wrap the driver's entry
// points with the shared bookkeeping of the radio operations (LastSent
// after an apply or a read, a blank Current before a load).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "core/SimHost.h"
#include "link/RadioDriver.h"
#include "link/SerialLink.h"
#include "link/SimulatedPort.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"

namespace rigvane::test {

template <typename SimType> class TextRadioRig {
  public:
    TextRadioRig(RadioDriver& d, const std::string& simName, uint8_t model = 0)
        : driver(&d), log(host, slots, settings.Global),
          link(host, settings, log, slots, state,
               [this](const std::string& device) -> std::unique_ptr<SerialPort> {
                   if (!IsSimDevice(device)) return nullptr;
                   return std::make_unique<SimulatedPort>(host, peer);
               }) {
        std::string error;
        peer = std::make_shared<SimPeer>(MakeSimRadio(simName, &error));
        sim = dynamic_cast<SimType*>(&peer->Radio());
        RadioProfile& p = settings.Selected();
        p.Protocol = driver->Caps().Protocol;
        p.Model = model;
        p.Device = "sim:" + simName;
        p.Timeout = 30;
        p.MinFreq = 0;
        EXPECT_TRUE(link.OpenPort());
    }

    DriverContext Context() {
        return DriverContext{link, state, settings.Selected(), settings, log, memory, host,
                             0,    false, [this] { return cancelAfter-- == 0; }};
    }
    RadioProfile& Profile() { return settings.Selected(); }
    Channel& Current() { return state.Current; }

    void Open() {
        auto c = Context();
        driver->Open(c);
    }
    void Apply() {
        auto c = Context();
        driver->Apply(c);
        state.LastSent = state.Current;
    }
    void Read() {
        auto c = Context();
        driver->Read(c);
        state.LastSent = state.Current;
    }
    void Recall() {
        auto c = Context();
        driver->Recall(c);
    }
    void Store() {
        auto c = Context();
        driver->Store(c);
    }
    void Load() {
        state.Current = MakeBlankChannel();
        auto c = Context();
        driver->Load(c);
    }
    uint8_t Signal() {
        auto c = Context();
        driver->Signal(c, DetectSoftware);
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

    RadioDriver* driver;
    SimHost host;
    Settings settings;
    FileSlots slots;
    Memory memory;
    MessageLog log;
    RadioState state;
    std::shared_ptr<SimPeer> peer;
    SimType* sim = nullptr;
    SerialLink link;
    int cancelAfter = -1; // the Cancelled hook says yes after this many questions

  private:
    size_t seen_ = 0;
};

} // namespace rigvane::test
