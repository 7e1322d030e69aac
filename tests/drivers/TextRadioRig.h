#pragma once
// The radio operations, through the driver registry, talking to one
// simulated text-line radio in-process.
#include <gtest/gtest.h>

#include <string>

#include "drivers/DriverRig.h"

namespace rigvane::test {

template <typename SimType> class TextRadioRig : public DriverRig {
  public:
    TextRadioRig(const std::string& simName, uint8_t protocol, uint8_t model = 0)
        : DriverRig(simName.c_str(), protocol, model), sim(&Sim<SimType>()) {
        Profile().Detect = DetectSoftware;
        EXPECT_TRUE(link.OpenPort());
    }

    RadioDriver& Driver() { return *radio.Driver(); }
    // Tunes the current state to `f` and `mode` and applies it.
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
