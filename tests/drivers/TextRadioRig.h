#pragma once
// The radio operations, through the driver registry, talking to one
// simulated text-line radio in-process.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/LinkRig.h"
#include "drivers/Registry.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"

namespace rigvane::test {

template <typename SimType> class TextRadioRig : public LinkRig {
  public:
    TextRadioRig(const std::string& simName, uint8_t protocol, uint8_t model = 0) {
        auto simPeer = std::make_shared<SimPeer>(MakeSimRadio(simName, nullptr));
        sim = dynamic_cast<SimType*>(&simPeer->Radio());
        peer = simPeer;
        RadioProfile& p = Profile();
        p.Protocol = protocol;
        p.Model = model;
        p.Device = "sim:" + simName;
        p.Timeout = 30;
        p.MinFreq = 0;
        p.Detect = DetectSoftware;
        InstallDrivers(radio);
        EXPECT_TRUE(link.OpenPort());
    }

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

    SimType* sim = nullptr;

  private:
    size_t seen_ = 0;
};

} // namespace rigvane::test
