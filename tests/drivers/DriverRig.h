#pragma once
// The radio operations with the registered family drivers, over a serial
// link to one simulated radio of the catalogue.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/LinkRig.h"
#include "drivers/Registry.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"

namespace rigvane::test {

class DriverRig : public LinkRig {
  public:
    DriverRig(const char* simName, uint8_t protocol, uint8_t model) {
        std::string error;
        simPeer_ = std::make_shared<SimPeer>(MakeSimRadio(simName, &error));
        peer = simPeer_;
        RadioProfile& p = Profile();
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

    template <typename Radio> Radio& Sim() { return dynamic_cast<Radio&>(simPeer_->Radio()); }
    Channel& Current() { return state.Current; }
    // A blank tuning state at `frequency` and `mode`, not yet applied.
    void Tune(int32_t frequency, uint8_t mode) {
        Current() = MakeBlankChannel();
        Current().Frequency = frequency;
        Current().Mode = mode;
    }
    // How many times the radio received exactly this command.
    int Sent(const std::string& command) const {
        int n = 0;
        for (const auto& c : simPeer_->Radio().Commands)
            n += c == command;
        return n;
    }

  private:
    std::shared_ptr<SimPeer> simPeer_;
};

} // namespace rigvane::test
