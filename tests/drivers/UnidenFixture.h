#pragma once
// A serial link over a SimHost to a simulated Uniden radio in-process, and a
// DriverContext to run the Bearcat or BCD396T driver's operations directly.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/CodeTables.h"
#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "core/SimHost.h"
#include "drivers/Bcd396t.h"
#include "drivers/Bearcat.h"
#include "link/RadioDriver.h"
#include "link/SerialLink.h"
#include "link/SimulatedPort.h"
#include "sim/Bcd396tRadio.h"
#include "sim/BearcatRadio.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"

namespace rigvane::test {

class UnidenLink {
  public:
    // `simName` from the catalogue; `protocol`/`model` as the profile says
    // (a profile may name another model than the radio on the line).
    UnidenLink(const std::string& simName, uint8_t protocol, uint8_t model)
        : log(host, slots, settings.Global),
          link(host, settings, log, slots, state,
               [this](const std::string&) -> std::unique_ptr<SerialPort> {
                   return std::make_unique<SimulatedPort>(host, peer);
               }) {
        std::string error;
        peer = std::make_shared<SimPeer>(MakeSimRadio(simName, &error));
        radio = &peer->Radio();
        RadioProfile& p = Profile();
        p.Protocol = protocol;
        p.Model = model;
        p.Device = "sim:" + simName;
        p.Timeout = 30;
        p.MinChan = 1;
        p.MinFreq = 0;
        p.MaxFreq = NoFrequency;
        p.VfoChan = 200;
        link.OpenPort();
        link.RetryCount = 3;
    }

    RadioProfile& Profile() { return settings.Selected(); }
    RadioDriver& Driver() {
        return Profile().Protocol == ProtoBcd396 ? Bcd396tFamily() : BearcatFamily();
    }
    DriverContext Context() {
        DriverContext ctx{link,
                          state,
                          Profile(),
                          settings,
                          log,
                          memory,
                          host,
                          OperatingMode,
                          LightOn,
                          [this] { return CancelAfter >= 0 && int(radio->Commands.size()) >= CancelAfter; }};
        return ctx;
    }
    BearcatRadio& Bearcat() { return dynamic_cast<BearcatRadio&>(*radio); }
    Bcd396tRadio& Bcd() { return dynamic_cast<Bcd396tRadio&>(*radio); }

    int CountMessages(const std::string& needle) const {
        int n = 0;
        for (const auto& line : log.History())
            n += line.find(needle) != std::string::npos;
        return n;
    }
    // Commands the radio received that start with `prefix`.
    int Received(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : radio->Commands)
            n += c.compare(0, prefix.size(), prefix) == 0;
        return n;
    }
    bool ReceivedAny(std::initializer_list<const char*> prefixes) const {
        for (const char* p : prefixes)
            if (Received(p) > 0) return true;
        return false;
    }

    SimHost host;
    Settings settings;
    FileSlots slots;
    Memory memory;
    MessageLog log;
    RadioState state;
    std::shared_ptr<SimPeer> peer;
    SimRadio* radio = nullptr;
    SerialLink link;
    int OperatingMode = 0;
    bool LightOn = false;
    int CancelAfter = -1; // the cancel flag rises once the radio got this many commands
};

} // namespace rigvane::test
