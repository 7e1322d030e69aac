#pragma once
// The mode engine over a SimHost, talking to a simulated ICOM R8500 in the
// same process, with a recorder in place of the windows.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/AppRig.h"
#include "core/CodeTables.h"
#include "engine/Engine.h"
#include "sim/IcomRadio.h"

namespace rigvane::test {

// Remembers what the engine told the windows.
struct Recorder : EngineView {
    std::vector<int> ModeButtons;
    std::vector<int> BankLabels;
    std::vector<int> EditorShows;
    std::vector<std::pair<int, int>> Ranges;
    std::vector<bool> PriorityHighlights;
    std::vector<int> Dialogs;
    std::deque<std::string> Files; // answers of ChooseFile, "" when empty
    std::vector<std::string> FileFilters;
    int Refreshes = 0;
    int Replaced = 0;                 // MemoryReplaced calls
    std::vector<int> ChangedChannels; // ChannelChanged calls
    std::vector<bool> BusyCalls;
    int VfoMarkers = 0;
    int EditorChannel_ = -1;
    bool DialogShown = true;
    std::array<uint32_t, MeterLabels> Meter{};
    std::function<void()> OnDisplayChannel, OnDisplayVfo;

    void DisplayChannel() override {
        if (OnDisplayChannel) OnDisplayChannel();
    }
    void DisplayVfo() override {
        if (OnDisplayVfo) OnDisplayVfo();
    }

    void SelectModeButton(int i) override { ModeButtons.push_back(i); }
    void BankLabel(int b) override { BankLabels.push_back(b); }
    void ShowChannelInEditor(int c) override { EditorShows.push_back(c); }
    int EditorChannel() override { return EditorChannel_; }
    void LoadSetRange(int a, int b) override { Ranges.push_back({a, b}); }
    void PriorityFieldHighlight(bool on) override { PriorityHighlights.push_back(on); }
    bool RunDialog(int code) override {
        Dialogs.push_back(code);
        return DialogShown;
    }
    std::string ChooseFile(const std::string& filter, int, const std::string&, bool) override {
        FileFilters.push_back(filter);
        if (Files.empty()) return "";
        std::string f = Files.front();
        Files.pop_front();
        return f;
    }
    void RefreshEditors() override { ++Refreshes; }
    void MemoryReplaced() override { ++Replaced; }
    void ChannelChanged(int c) override { ChangedChannels.push_back(c); }
    void SetBusyCursor(bool busy) override { BusyCalls.push_back(busy); }
    void ActiveVfoChanged() override { ++VfoMarkers; }
    void SignalDisplay(int, int, const std::array<uint32_t, MeterLabels>& c) override { Meter = c; }
};

class EngineRig : public AppRig {
  public:
    explicit EngineRig(const char* simName = "icom-r8500") {
        sim = dynamic_cast<IcomRadio*>(&Serve(simName));
        RadioProfile& p = Profile();
        p.Protocol = ProtoIcom;
        p.Model = 2;
        p.Addr = sim->Address;
        p.CompAddr = 0xE0;
        p.Device = std::string("sim:") + simName;
        p.Timeout = 100;
        p.Detect = 2;
        p.MinChan = 0;
        p.MaxChan = 999;
        p.MinFreq = 0;
        app.settings.Global.Speed = 0;
        engine = std::make_unique<Engine>(app);
        engine->SetView(&view);
        app.radio.OpenRadio();
    }

    EngineState& S() { return engine->State(); }
    Channel& Ch(int n) { return app.memory.Channels[n]; }
    Globals& G() { return app.settings.Global; }

    // A valid channel at `mhz`.
    void SetChannel(int n, double mhz, uint8_t mode = 2) {
        Channel& c = Ch(n);
        c = MakeBlankChannel();
        c.Frequency = int32_t(mhz * 100000 + 0.5);
        c.Mode = mode;
        c.Valid = true;
    }
    // A signal of `level` at `mhz`, on for onS seconds and off for offS (0, 0: always).
    void Active(double mhz, int level, double onS = 0, double offS = 0) {
        ActiveFrequency a;
        a.FrequencyHz = int64_t(mhz * 1e6 + 0.5);
        a.Level = level;
        a.OnMs = int64_t(onS * 1000);
        a.OffMs = int64_t(offS * 1000);
        sim->Schedule.Entries.push_back(a);
    }

    // Runs loop passes until `done` holds (tested at every yield) or `maxMs`
    // of virtual time passed; then Manual is requested, as a click would.
    void RunUntil(const std::function<bool()>& done, int64_t maxMs) {
        const int64_t deadline = host.NowMs() + maxMs;
        bool stop = false;
        host.OnYield = [&] {
            if (!stop && (done() || host.NowMs() >= deadline)) {
                stop = true;
                engine->RequestMode(ModeManual);
            }
        };
        while (!stop)
            engine->RunPass();
        host.OnYield = nullptr;
    }
    void RunFor(int64_t ms) {
        RunUntil([] { return false; }, ms);
    }

    // Squelch reads the radio received.
    int SquelchReads() const { return Count(std::string("\x15\x01", 2)); }
    int Count(const std::string& body) const {
        int n = 0;
        for (const auto& c : sim->Commands)
            n += c == body;
        return n;
    }
    // Hit lines posted for channel n, counted over the whole history.
    int HitLines(int n) const {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, ":CH %03d ", n);
        return Messages(prefix);
    }

    IcomRadio* sim = nullptr;
    Recorder view;
    std::unique_ptr<Engine> engine;
};

} // namespace rigvane::test
