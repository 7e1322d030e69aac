#pragma once
// A radio link over a SimHost talking to a simulated AOR radio in-process.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/CodeTables.h"
#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "core/SimHost.h"
#include "drivers/Aor.h"
#include "drivers/Registry.h"
#include "link/Radio.h"
#include "link/SerialLink.h"
#include "link/SimulatedPort.h"
#include "sim/AorRadio.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"

namespace rigvane::test {

class AorLink {
  public:
    explicit AorLink(bool ar8000)
        : log(host, slots, settings.Global),
          link(host, settings, log, slots, state,
               [this](const std::string& device) -> std::unique_ptr<SerialPort> {
                   if (!IsSimDevice(device)) return nullptr;
                   auto port = std::make_unique<SimulatedPort>(host, peer);
                   port->LatencyMs = 5;
                   return port;
               }),
          radio(link, state, settings, log, memory, host),
          driver(ar8000 ? static_cast<AorDriver&>(Aor8000()) : Aor5000()) {
        const char* name = ar8000 ? "aor-ar8000" : "aor-ar5000";
        std::string error;
        peer = std::make_shared<SimPeer>(MakeSimRadio(name, &error));
        sim = dynamic_cast<AorRadio*>(&peer->Radio());
        RadioProfile& p = settings.Selected();
        p.Protocol = ar8000 ? ProtoAor8000 : ProtoAor5000;
        p.Model = 0;
        p.Device = std::string("sim:") + name;
        p.Timeout = 30;
        p.Detect = DetectSoftware;
        p.MinFreq = 0;
        p.MaxFreq = 200000000;
        InstallDrivers(radio);
    }

    // Opens the port and the radio; true when it answered.
    bool Open() { return radio.OpenRadio() == 0; }

    DriverContext Context() {
        DriverContext ctx{link,  state, settings.Selected(), settings, log, memory, host, 0,
                          false, {}};
        ctx.Cancelled = [this] { return Cancel; };
        return ctx;
    }

    RadioProfile& Profile() { return settings.Selected(); }
    Channel& Current() { return state.Current; }
    // The last line the radio received.
    std::string LastLine() const { return sim->Commands.empty() ? "" : sim->Commands.back(); }
    int CountMessages(const std::string& needle) const {
        int n = 0;
        for (const auto& line : log.History())
            if (line.find(needle) != std::string::npos) ++n;
        return n;
    }
    // A tuning state: MHz text, modulation code, step in 10 Hz units.
    void Want(const char* mhz, int mode, int32_t step = 500) {
        Channel& c = state.Current;
        c.Frequency = TextToFreq(mhz);
        c.Mode = uint8_t(mode);
        c.Step = step;
    }

    SimHost host;
    Settings settings;
    FileSlots slots;
    Memory memory;
    MessageLog log;
    RadioState state;
    std::shared_ptr<SimPeer> peer;
    AorRadio* sim = nullptr;
    SerialLink link;
    Radio radio;
    AorDriver& driver;
    bool Cancel = false;
};

} // namespace rigvane::test
