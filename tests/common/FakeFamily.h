#pragma once
// A family driver for tests of what lies around the drivers (the shared
// radio operations, the windows, the radio search): its capabilities are
// plain data the test sets, it logs each entry point it runs (with the busy
// flag and retry count seen then), talks to the far end so that silence is
// noticed, and plays the radio's side into the shared state.
#include <functional>
#include <string>
#include <vector>

#include "link/RadioDriver.h"
#include "link/SerialLink.h"

namespace rigvane::test {

class FakeFamily : public RadioDriver {
  public:
    explicit FakeFamily(uint8_t protocol = 1) {
        caps.Protocol = protocol;
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
    void TrunkIds(DriverContext& ctx, int bank, bool write) override {
        Talk(ctx, "Trunk " + std::to_string(bank) + (write ? " write" : " read"));
        if (OnTrunkIds) OnTrunkIds(ctx, bank);
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
    std::function<void(DriverContext&, int bank)> OnTrunkIds;

  private:
    void Talk(DriverContext& ctx, const std::string& what) {
        Calls.push_back(what);
        Busy.push_back(ctx.Profile.Busy);
        Retries.push_back(ctx.Link.RetryCount);
        ctx.Link.SendAndReceive(what + "\r", "\r", "");
    }
};

// Makes `link` serve `family` for its protocol, and every other protocol as
// before.
inline void AddFamily(SerialLink& link, RadioDriver& family) {
    DriverLookup others = link.Drivers;
    const int protocol = family.Caps().Protocol;
    link.Drivers = [others, &family, protocol](int p) -> RadioDriver* {
        if (p == protocol) return &family;
        return others ? others(p) : nullptr;
    };
}

// Makes `link` serve no driver for `protocol`, as for a family not written
// yet, and every other protocol as before.
inline void RemoveFamily(SerialLink& link, int protocol) {
    DriverLookup others = link.Drivers;
    link.Drivers = [others, protocol](int p) -> RadioDriver* {
        return p == protocol || !others ? nullptr : others(p);
    };
}

} // namespace rigvane::test
