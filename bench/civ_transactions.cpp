// CI-V transactions per second.
//  1. In process: link + CI-V driver against the simulated R8500 with no
//     latency and no pacing delay, on the virtual-clock host: the cost of one
//     transaction in the program itself (target < 0.1 ms).
//  2. On a pseudo-terminal: a plain POSIX client against `rigvane-sim --baud
//     19200`: the answer rate against the wire rate (target >= 90 %) and the
//     CPU time both sides spend (target < 5 % of a core).
// Usage: bench_civ_transactions [path-to-rigvane-sim]
#include "Measure.h"
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "core/SimHost.h"
#include "drivers/Icom.h"
#include "drivers/Registry.h"
#include "link/Radio.h"
#include "link/SerialLink.h"
#include "link/SimulatedPort.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"

using namespace rigvane;
using namespace rigvane::bench;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

void InProcess() {
    SimHost host;
    Settings settings;
    FileSlots slots;
    Memory memory;
    MessageLog log(host, slots, settings.Global);
    RadioState state;
    std::string error;
    auto peer = std::make_shared<SimPeer>(MakeSimRadio("icom-r8500", &error));
    SerialLink link(host, settings, log, slots, state, [&](const std::string&) {
        return std::unique_ptr<SerialPort>(new SimulatedPort(host, peer));
    });
    Radio radio(link, state, settings, log, memory, host);
    InstallDrivers(radio);
    RadioProfile& p = settings.Selected();
    p.Protocol = ProtoIcom;
    p.Model = 2;
    p.Addr = 0x4A;
    p.CompAddr = 0xE0;
    p.Device = "sim:icom-r8500";
    p.Timeout = 0;
    if (radio.OpenRadio() != 0) {
        std::printf("in-process: the simulated radio did not open\n");
        return;
    }
    const int n = 20000;
    const double cpu0 = CpuSeconds();
    const auto t0 = Clock::now();
    DriverContext ctx = radio.Context();
    for (int i = 0; i < n; ++i) {
        state.Current.Frequency = 14000000 + (i % 1000) * 500;
        int set = IcomSetFrequency, read = IcomReadFrequency;
        IcomRequest(ctx, set);
        IcomRequest(ctx, read);
    }
    const auto t1 = Clock::now();
    const double cpu = CpuSeconds() - cpu0;
    const double per = Seconds(t0, t1) / (2.0 * n);
    std::printf("in-process CI-V (link + driver + simulated R8500, no latency):\n");
    std::printf("  %d transactions in %.3f s: %.0f per second, %.4f ms each (target < 0.1 ms)"
                " %s\n",
                2 * n, Seconds(t0, t1), 1.0 / per, per * 1000.0, per < 0.0001 ? "OK" : "SLOW");
    std::printf("  CPU %.3f s; last frequency read %d (10 Hz units)\n", cpu,
                state.Current.Frequency);
}

void OnPty(const std::string& simPath) {
    const int baud = 19200;
    int out[2];
    if (pipe(out) != 0) return;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execl(simPath.c_str(), simPath.c_str(), "--radio", "icom-r8500", "--baud", "19200",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string path;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        path += c;
    if (path.empty()) {
        std::printf("pty: %s did not start (give its path as the argument)\n", simPath.c_str());
        waitpid(pid, nullptr, 0);
        return;
    }
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);

    const std::string frame = "\xFE\xFE\x4A\xE0\x03\xFD";
    const int n = 300;
    int64_t received = 0;
    int answered = 0;
    const double simCpu0 = ProcessCpuSeconds(pid);
    const double cpu0 = CpuSeconds();
    const auto t0 = Clock::now();
    for (int i = 0; i < n; ++i) {
        if (write(fd, frame.data(), frame.size()) != ssize_t(frame.size())) break;
        std::string reply;
        while (reply.find('\xFD') == std::string::npos) {
            pollfd pfd{fd, POLLIN, 0};
            if (poll(&pfd, 1, 1000) <= 0) break;
            char buf[64];
            const ssize_t got = read(fd, buf, sizeof buf);
            if (got <= 0) break;
            reply.append(buf, size_t(got));
        }
        received += int64_t(reply.size());
        answered += reply.size() == 11;
    }
    const auto t1 = Clock::now();
    const double wall = Seconds(t0, t1);
    const double cpu = CpuSeconds() - cpu0;
    const double simCpu = ProcessCpuSeconds(pid) - simCpu0;
    close(fd);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(out[0]);

    const double wireBytesPerSecond = baud / 10.0;
    const double rate = double(received) / wall;
    std::printf("pseudo-terminal, rigvane-sim --baud %d, %d read-frequency transactions:\n", baud,
                n);
    std::printf("  %d answered in %.3f s: %.1f per second\n", answered, wall, answered / wall);
    std::printf("  answer bytes %.0f/s against a wire rate of %.0f/s: %.1f %% (target >= 90 %%)"
                " %s\n",
                rate, wireBytesPerSecond, 100.0 * rate / wireBytesPerSecond,
                rate >= 0.9 * wireBytesPerSecond ? "OK" : "LOW");
    std::printf("  CPU: client %.1f %%, rigvane-sim %.1f %% of a core (target < 5 %%) %s\n",
                100.0 * cpu / wall, 100.0 * simCpu / wall,
                cpu / wall < 0.05 && simCpu / wall < 0.05 ? "OK" : "HIGH");
}

} // namespace

int main(int argc, char** argv) {
    InProcess();
    std::string sim;
    if (argc > 1) {
        sim = argv[1];
    } else {
        char self[4096] = {};
        const ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
        std::string dir = len > 0 ? std::string(self, size_t(len)) : "";
        dir = dir.substr(0, dir.rfind('/'));
        sim = dir + "/../rigvane-sim";
    }
    OnPty(sim);
    return 0;
}
