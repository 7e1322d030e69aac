#include "sim/SimPeer.h"

#include "sim/Catalog.h"

namespace rigvane {

std::unique_ptr<SimulatedPort> MakeSimPort(Host& host, const std::string& device,
                                           std::string* error, std::vector<std::string>* warnings) {
    std::unique_ptr<SimRadio> radio = MakeSimRadioForDevice(device, error, warnings);
    if (!radio) return nullptr;
    return std::make_unique<SimulatedPort>(host, std::make_shared<SimPeer>(std::move(radio)));
}

} // namespace rigvane
