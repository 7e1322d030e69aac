#pragma once
// A simulated radio as the far end of a SimulatedPort: the link talks to it
// in the same process, with replies in the host's (virtual) time.
#include <memory>
#include <string>
#include <vector>

#include "core/Host.h"
#include "link/SimulatedPort.h"
#include "sim/SimRadio.h"

namespace rigvane {

class SimPeer : public SimulatedPeer {
  public:
    explicit SimPeer(std::unique_ptr<SimRadio> radio) : radio_(std::move(radio)) {}

    std::string Receive(const std::string& bytes, int64_t nowMs) override {
        return radio_->Receive(bytes, nowMs);
    }
    bool CarrierDetect(int64_t nowMs) override { return radio_->CarrierDetect(nowMs); }
    bool PoweredOn() const override { return radio_->PoweredOn; }

    SimRadio& Radio() { return *radio_; }

  private:
    std::unique_ptr<SimRadio> radio_;
};

// A port serving the simulated radio a "sim:" device string names; nullptr
// with `error` when the string or the radio name is bad. Bad activity-file
// lines go to `warnings`.
std::unique_ptr<SimulatedPort> MakeSimPort(Host& host, const std::string& device,
                                           std::string* error,
                                           std::vector<std::string>* warnings = nullptr);

} // namespace rigvane
