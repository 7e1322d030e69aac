#pragma once
// A fresh program state around one serial link, over a virtual-clock host,
// with a small simulated line-protocol radio on a simulated port.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "core/SimHost.h"
#include "link/Radio.h"
#include "link/RadioDriver.h"
#include "link/RadioState.h"
#include "link/SerialLink.h"
#include "link/SimulatedPort.h"

namespace rigvane::test {

// A radio that answers every command ending in a carriage return. What it
// answers is set by the test: a fixed answer, nothing (switched off mid
// session), or bytes without the end marker.
class LineRadio : public SimulatedPeer {
  public:
    std::string Receive(const std::string& bytes, int64_t nowMs) override {
        Arrivals.push_back({bytes, nowMs});
        pending_ += bytes;
        std::string out;
        size_t cr;
        while ((cr = pending_.find('\r')) != std::string::npos) {
            Commands.push_back(pending_.substr(0, cr + 1));
            pending_.erase(0, cr + 1);
            out += Answer;
        }
        return out;
    }
    bool CarrierDetect(int64_t) override {
        if (CdSamples.empty()) return Carrier;
        const bool v = CdSamples.front();
        CdSamples.erase(CdSamples.begin());
        ++CdReads;
        return v;
    }
    bool ClearToSend(int64_t) override { return Cts; }
    bool PoweredOn() const override { return On; }

    std::string Answer = "OK\r";
    bool Carrier = false;
    std::vector<bool> CdSamples; // consumed one per read, then Carrier
    int CdReads = 0;
    bool Cts = true;
    bool On = true;
    struct Arrival {
        std::string Bytes;
        int64_t AtMs;
    };
    std::vector<Arrival> Arrivals;
    std::vector<std::string> Commands;

  private:
    std::string pending_;
};

// A family driver that stands for any family in tests of the shared radio
// operations: it logs each entry point it runs (with the busy flag seen
// then), talks to the line radio so that silence is noticed, and plays
// the radio's side into the shared state.
class FakeDriver : public RadioDriver {
  public:
    FakeDriver() {
        caps.Protocol = ProtoIcom;
        caps.Name = "FAKE";
        caps.Ops = OpApply | OpRead | OpRecall | OpStore | OpLoad | OpSignal | OpTrunkIds;
        caps.Models.resize(2);
        caps.Models[0].Name = "FAKE A";
        caps.Models[1].Name = "FAKE B";
    }
    const FamilyCaps& Caps() const override { return caps; }
    void Open(DriverContext& ctx) override { Talk(ctx, "Open"); }
    void Apply(DriverContext& ctx) override { Talk(ctx, "Apply"); }
    void Read(DriverContext& ctx) override {
        Talk(ctx, "Read");
        ctx.State.Current.Frequency = ReadFrequency;
    }
    void Recall(DriverContext& ctx) override { Talk(ctx, "Recall"); }
    void Store(DriverContext& ctx) override { Talk(ctx, "Store"); }
    void Load(DriverContext& ctx) override {
        Talk(ctx, "Load");
        ctx.State.Current.Frequency = ReadFrequency;
    }
    void Signal(DriverContext& ctx, DetectMethod method) override {
        Talk(ctx, method == DetectBoth ? "Signal both" : "Signal");
        ctx.State.SignalLevel = Level;
    }
    void TrunkIds(DriverContext& ctx, int idBank, bool write) override {
        Talk(ctx, "Trunk " + std::to_string(idBank) + (write ? " write" : " read"));
        if (OnTrunkIds) OnTrunkIds(ctx, idBank);
    }

    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(Calls);
        return out;
    }

    FamilyCaps caps;
    std::vector<std::string> Calls;
    std::vector<bool> Busy;   // the profile's Busy flag at each call
    std::vector<int> Retries; // the link's RetryCount at each call
    int32_t ReadFrequency = 14652000;
    uint8_t Level = 6;
    std::function<void(DriverContext&, int idBank)> OnTrunkIds;

  private:
    void Talk(DriverContext& ctx, const std::string& what) {
        Calls.push_back(what);
        Busy.push_back(ctx.Profile.Busy);
        Retries.push_back(ctx.Link.RetryCount);
        ctx.Link.SendAndReceive(what + "\r", "\r", "");
    }
};

class LinkFixture : public ::testing::Test {
  protected:
    LinkFixture()
        : log(host, slots, settings.Global),
          link(host, settings, log, slots, state,
               [this](const std::string& device) { return MakePort(device); }),
          radio(link, state, settings, log, memory, host) {
        traceDir =
            std::filesystem::temp_directory_path() /
            ("rigvane_link_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(traceDir);
        std::filesystem::create_directories(traceDir);
        link.TraceDir = traceDir.string();
        RadioProfile& p = settings.Selected();
        p.Protocol = ProtoIcom;
        p.Device = "sim:line";
        link.Drivers = [this](int protocol) -> RadioDriver* {
            return protocol == driver.caps.Protocol ? &driver : nullptr;
        };
        p.Timeout = 60;
        link.OnStatus = [this](const std::string& caption, uint32_t rgb) {
            statuses.push_back({caption, rgb});
        };
    }
    ~LinkFixture() override {
        link.CloseDebugFile();
        link.CloseDebugKeyFile();
        std::error_code ec;
        std::filesystem::remove_all(traceDir, ec);
    }

    std::unique_ptr<SerialPort> MakePort(const std::string& device) {
        if (device.rfind("sim:", 0) != 0) return nullptr;
        auto port = std::make_unique<SimulatedPort>(host, peer);
        port->LatencyMs = latencyMs;
        lastPort = port.get();
        return port;
    }

    // Opens the port directly, without a driver's open sequence.
    void Open() { ASSERT_TRUE(link.OpenPort()); }

    std::string ReadTrace(const char* name) {
        std::ifstream in(traceDir / name, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    int CountMessages(const std::string& needle) {
        int n = 0;
        for (const auto& line : log.History())
            if (line.find(needle) != std::string::npos) ++n;
        return n;
    }

    SimHost host;
    Settings settings;
    FileSlots slots;
    Memory memory;
    MessageLog log;
    RadioState state;
    std::shared_ptr<LineRadio> peer = std::make_shared<LineRadio>();
    int latencyMs = 0;
    SimulatedPort* lastPort = nullptr;
    FakeDriver driver;
    SerialLink link;
    Radio radio;
    std::filesystem::path traceDir;
    std::vector<std::pair<std::string, uint32_t>> statuses;
};

} // namespace rigvane::test
