#pragma once
// The link rig: the state one serial link and the radio operations work on,
// over a virtual-clock host, with the far end of every "sim:" port played
// by one in-process peer (a simulated radio or a test's own).
#include <initializer_list>
#include <memory>
#include <string>

#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "core/SimHost.h"
#include "link/Radio.h"
#include "link/RadioState.h"
#include "link/SerialLink.h"
#include "link/SimulatedPort.h"

namespace rigvane::test {

class LinkRig {
  public:
    explicit LinkRig(std::shared_ptr<SimulatedPeer> far = nullptr)
        : peer(std::move(far)), log(host, slots, settings.Global),
          link(host, settings, log, slots, state,
               [this](const std::string& device) -> std::unique_ptr<SerialPort> {
                   if (device.rfind("sim:", 0) != 0 || !peer) return nullptr;
                   auto port = std::make_unique<SimulatedPort>(host, peer);
                   port->LatencyMs = LatencyMs;
                   lastPort = port.get();
                   return port;
               }),
          radio(link, state, settings, log, memory, host) {}
    LinkRig(const LinkRig&) = delete;
    LinkRig& operator=(const LinkRig&) = delete;

    RadioProfile& Profile() { return settings.Selected(); }
    // Lines of the message history that contain `needle`.
    int CountMessages(const std::string& needle) const {
        int n = 0;
        for (const auto& line : log.History())
            if (line.find(needle) != std::string::npos) ++n;
        return n;
    }

    std::shared_ptr<SimulatedPeer> peer; // the far end of the ports opened from now on
    int LatencyMs = 0;                   // of the ports opened from now on
    SimulatedPort* lastPort = nullptr;   // the port opened last
    SimHost host;
    Settings settings;
    FileSlots slots;
    Memory memory;
    MessageLog log;
    RadioState state;
    SerialLink link;
    Radio radio;
};

// A string of the given byte values, for binary frames and records.
inline std::string Bytes(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes)
        s += char(uint8_t(b));
    return s;
}

} // namespace rigvane::test
