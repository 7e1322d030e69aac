#pragma once
// The link rig with a small line-protocol radio on its simulated ports and a
// recording family driver for protocol 1.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/FakeFamily.h"
#include "common/LinkRig.h"
#include "common/TempDir.h"

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

class LinkFixture : public ::testing::Test, public LinkRig {
  protected:
    LinkFixture()
        : LinkRig(std::make_shared<LineRadio>()),
          peer(std::static_pointer_cast<LineRadio>(LinkRig::peer)) {
        link.TraceDir = traceDir.Path();
        RadioProfile& p = settings.Selected();
        p.Protocol = ProtoIcom;
        p.Device = "sim:line";
        p.Timeout = 60;
        AddFamily(link, driver);
        link.OnStatus = [this](const std::string& caption, uint32_t rgb) {
            statuses.push_back({caption, rgb});
        };
    }
    ~LinkFixture() override {
        link.CloseDebugFile();
        link.CloseDebugKeyFile();
    }

    // Opens the port directly, without a driver's open sequence.
    void Open() { ASSERT_TRUE(link.OpenPort()); }

    std::string ReadTrace(const char* name) { return ReadFile(traceDir.File(name)); }

    std::shared_ptr<LineRadio> peer; // the far end of every port
    TempDir traceDir;
    FakeFamily driver;
    std::vector<std::pair<std::string, uint32_t>> statuses;
};

} // namespace rigvane::test
