// Figures of the mode engine on the real Qt event loop (no windows):
//  1. memory-scan visits per second against the in-process simulated ICOM
//     R8500 with no reply latency, Timeout 0 and SPEED 0 (target >= 2000/s),
//     and the channels per second the statistics show at the end of the run
//     beside it (they should agree within 10%);
//  2. processor use of Manual mode with the LOCAL radio, default profile and
//     with Timeout 0 (target < 2% of one core);
//  3. latency of an event posted from another thread while Manual mode runs
//     (target < 50 ms), and how long the loop takes to act on a mode request.
#include "Measure.h"
#include <QCoreApplication>
#include <QTimer>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "engine/App.h"
#include "engine/Engine.h"
#include "link/SimulatedPort.h"
#include "qt/QtHost.h"
#include "sim/Catalog.h"
#include "sim/IcomRadio.h"
#include "sim/SimPeer.h"

using namespace rigvane;
using namespace rigvane::bench;

namespace {

struct VisitCounter : EngineView {
    Engine* engine = nullptr;
    long visits = 0;
    void DisplayChannel() override {
        if (engine && engine->State().Mode == ModeScan) ++visits;
    }
};

void ScanVisits(double seconds) {
    QtHost host;
    App app(host);
    std::string error;
    auto peer = std::make_shared<SimPeer>(MakeSimRadio("icom-r8500", &error));
    auto* sim = dynamic_cast<IcomRadio*>(&peer->Radio());
    app.link.SetPortFactory([&](const std::string&) -> std::unique_ptr<SerialPort> {
        return std::make_unique<SimulatedPort>(host, peer);
    });
    RadioProfile& p = app.settings.Selected();
    p.Protocol = ProtoIcom;
    p.Model = 2;
    p.Addr = sim->Address;
    p.CompAddr = 0xE0;
    p.Device = "sim:icom-r8500";
    p.Timeout = 0;
    p.Detect = 2;
    p.MinFreq = 0;
    app.settings.Global.Speed = 0;
    for (int n = 1; n <= 10; ++n) {
        Channel& c = app.memory.Channels[n];
        c.Frequency = 14000000 + n * 250000;
        c.Mode = 2;
        c.Valid = true;
    }
    Engine engine(app);
    VisitCounter counter;
    counter.engine = &engine;
    engine.SetView(&counter);
    if (app.radio.OpenRadio() != 0) {
        std::printf("scan: the simulated radio did not open\n");
        return;
    }
    engine.RequestMode(ModeScan);
    double shown = 0; // what the status line says at the end
    QTimer::singleShot(int(seconds * 1000), [&] {
        shown = engine.State().Stats.ChannelsPerSecond;
        engine.RequestMode(ModeShutdown);
    });
    const size_t before = sim->Commands.size();
    const double t0 = WallSeconds(), c0 = CpuSeconds();
    engine.RunLoop();
    const double wall = WallSeconds() - t0, cpu = CpuSeconds() - c0;
    std::printf(
        "scan: %ld visits in %.2f s = %.0f visits/s (target >= 2000); %.1f frames per visit; "
        "cpu %.0f%%\n",
        counter.visits, wall, counter.visits / wall,
        double(sim->Commands.size() - before) / std::max(1L, counter.visits), 100 * cpu / wall);
    const double measured = counter.visits / wall;
    std::printf("scan: the statistics show %.0f channels/s, %+.1f%% from the measured rate "
                "(target within 10%%)\n",
                shown, measured > 0 ? 100 * (shown - measured) / measured : 0.0);
}

void ManualCpu(double seconds, int timeout) {
    QtHost host;
    App app(host); // profile 0: LOCAL, default values
    if (timeout >= 0) app.settings.Selected().Timeout = timeout;
    Engine engine(app);
    long passes = 0;
    struct PassCounter : EngineView {
        long* passes;
        void DisplayChannel() override { ++*passes; }
    } view;
    view.passes = &passes;
    engine.SetView(&view);
    QTimer::singleShot(int(seconds * 1000), [&] { engine.RequestMode(ModeShutdown); });
    const double t0 = WallSeconds(), c0 = CpuSeconds();
    engine.RunLoop();
    const double wall = WallSeconds() - t0, cpu = CpuSeconds() - c0;
    std::printf("manual, LOCAL, Timeout %d ms: cpu %.2f%% of one core over %.1f s, %.0f passes/s "
                "(target < 2%%)\n",
                app.settings.Selected().Timeout, 100 * cpu / wall, wall, passes / wall);
}

void PostedLatency(double seconds) {
    QtHost host;
    App app(host);
    Engine engine(app);
    std::vector<double> latencies, actions;
    std::atomic<bool> done{false};
    QObject receiver;
    std::thread poster([&] {
        while (!done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(37));
            if (done) break;
            const double posted = WallSeconds();
            QMetaObject::invokeMethod(
                &receiver,
                [&, posted] {
                    latencies.push_back(WallSeconds() - posted);
                    // A click: channel select, which the loop then carries out.
                    engine.State().RequestedChannel = int16_t(latencies.size() % 1000);
                    actions.push_back(WallSeconds());
                    engine.RequestMode(ModeChannelSelect);
                },
                Qt::QueuedConnection);
        }
    });
    // Measure the time until the loop is back in Manual after each request.
    std::vector<double> served;
    struct Watch : EngineView {
        std::vector<double>* served;
        Engine* engine;
        void DisplayChannel() override {
            if (engine->State().Mode == ModeChannelSelect) served->push_back(WallSeconds());
        }
    } watch;
    watch.served = &served;
    watch.engine = &engine;
    engine.SetView(&watch);
    QTimer::singleShot(int(seconds * 1000), [&] { engine.RequestMode(ModeShutdown); });
    engine.RunLoop();
    done = true;
    poster.join();
    QCoreApplication::processEvents();
    if (latencies.empty()) {
        std::printf("posted events: none arrived\n");
        return;
    }
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies[latencies.size() / 2] * 1000;
    const double worst = latencies.back() * 1000;
    std::vector<double> acted;
    for (size_t i = 0, j = 0; i < actions.size() && j < served.size(); ++i) {
        while (j < served.size() && served[j] < actions[i])
            ++j;
        if (j < served.size()) acted.push_back(served[j] - actions[i]);
    }
    std::sort(acted.begin(), acted.end());
    std::printf("posted events: %zu, latency median %.2f ms, worst %.2f ms (target < 50 ms)\n",
                latencies.size(), median, worst);
    if (!acted.empty())
        std::printf("mode request carried out by the loop: median %.1f ms, worst %.1f ms\n",
                    acted[acted.size() / 2] * 1000, acted.back() * 1000);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    ScanVisits(seconds);
    ManualCpu(seconds, -1);
    ManualCpu(seconds, 0);
    PostedLatency(seconds);
    return 0;
}
