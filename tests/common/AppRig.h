#pragma once
// The test host: a fresh App over a virtual-clock SimHost, whose "sim:"
// ports all lead to one in-process peer (a simulated radio or a test's own).
#include <memory>
#include <stdexcept>
#include <string>

#include "core/SimHost.h"
#include "engine/App.h"
#include "link/SimulatedPort.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"

namespace rigvane::test {

class AppRig {
  public:
    AppRig() {
        app.link.SetPortFactory([this](const std::string& device) -> std::unique_ptr<SerialPort> {
            if (!IsSimDevice(device) || !peer) return nullptr;
            auto port = std::make_unique<SimulatedPort>(host, peer);
            port->LatencyMs = LatencyMs;
            port->BaudRate = BaudRate;
            return port;
        });
    }
    AppRig(const AppRig&) = delete;
    AppRig& operator=(const AppRig&) = delete;

    // Puts the simulated radio of that catalogue name at the far end.
    SimRadio& Serve(const std::string& simName) {
        std::string error;
        auto radio = MakeSimRadio(simName, &error);
        if (!radio) throw std::invalid_argument(error); // a test's own mistake
        auto simPeer = std::make_shared<SimPeer>(std::move(radio));
        peer = simPeer;
        return simPeer->Radio();
    }
    RadioProfile& Profile() { return app.settings.Selected(); }
    // Lines of the message history that contain `needle`.
    int Messages(const std::string& needle) const {
        int n = 0;
        for (const auto& line : app.log.History())
            if (line.find(needle) != std::string::npos) ++n;
        return n;
    }

    int LatencyMs = 0; // of the ports opened from now on
    int BaudRate = 0;  // likewise; 0 = no pacing
    std::shared_ptr<SimulatedPeer> peer;
    SimHost host;
    App app{host};
};

} // namespace rigvane::test
