// Cost of one command transaction of the serial link against an in-process
// radio that answers at once: the link's own overhead (polling, yields,
// reply collection), without any wire time. Run over the virtual-clock host
// and over the Qt event loop.
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <memory>

#include "core/CodeTables.h"
#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "core/SimHost.h"
#include "link/RadioState.h"
#include "link/SerialLink.h"
#include "link/SimulatedPort.h"
#include "qt/QtHost.h"

using namespace rigvane;

namespace {

// Answers every CI-V frame with an accepted frame.
class InstantRadio : public SimulatedPeer {
  public:
    std::string Receive(const std::string& bytes, int64_t) override {
        pending_ += bytes;
        std::string out;
        size_t end;
        while ((end = pending_.find('\xFD')) != std::string::npos) {
            pending_.erase(0, end + 1);
            out += std::string("\xFE\xFE\xE0\x08\xFB\xFD", 6);
        }
        return out;
    }

  private:
    std::string pending_;
};

double Run(Host& host, const char* name, int count) {
    Settings settings;
    FileSlots slots;
    MessageLog log(host, slots, settings.Global);
    RadioState state;
    auto peer = std::make_shared<InstantRadio>();
    SerialLink link(host, settings, log, slots, state, [&](const std::string&) {
        return std::make_unique<SimulatedPort>(host, peer);
    });
    RadioProfile& p = settings.Selected();
    p.Protocol = ProtoIcom;
    p.Device = "sim:bench";
    p.Timeout = 60;
    if (!link.OpenPort()) {
        std::printf("%s: port did not open\n", name);
        return 0;
    }
    const std::string frame("\xFE\xFE\x08\xE0\x05\x00\x00\x52\x46\x01\xFD", 11);
    int good = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
        if (link.SendAndReceive(frame, "\xFD", "").size() == 6) ++good;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-10s %7d transactions (%d answered): %10.0f transactions/s, %8.2f us each\n",
                name, count, good, count / seconds, seconds * 1e6 / count);
    return seconds / count;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    SimHost sim;
    const double simCost = Run(sim, "SimHost", 200000);
    QtHost qt;
    const double qtCost = Run(qt, "QtHost", 20000);
    if (simCost > 0)
        std::printf("Qt event loop / virtual host cost ratio: %.1f\n", qtCost / simCost);
    return 0;
}
