// rigvane-sim: serves a simulated radio on a pseudo-terminal, so the program
// (or any serial tool) can be pointed at it as at a real radio.
//
//   rigvane-sim --radio NAME [--addr HEX] [--echo] [--baud N] [--activity FILE]
//               [--trace]
//   rigvane-sim --list
//
// The first line of standard output is the terminal's device path. The tool
// runs until SIGTERM or SIGINT. With --baud the line is paced both ways as a
// real one (10 bits per byte): a command reaches the radio when its last byte
// would have arrived, and the answers leave byte by byte at that rate. A
// client may close and reopen the terminal.
// With --trace every command and answer goes to standard error (seconds since
// the start, the bytes in hexadecimal and as text): what a cable needs.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/Version.h"
#include "sim/Catalog.h"

using namespace rigvane;

namespace {

volatile std::sig_atomic_t stopRequested = 0;
// The bytes of a long answer leave in batches at most this late, so the tool
// wakes about once a millisecond while it sends, not for every byte; the last
// byte of an answer leaves on its time, so the answer ends as on a real line.
constexpr double BatchMs = 1.0;

void OnSignal(int) {
    stopRequested = 1;
}

int64_t MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

double MonotonicMsFine() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

void Usage(FILE* to) {
    std::string names;
    for (const std::string& n : SimRadioNames())
        names += " " + n;
    std::fprintf(to,
                 "usage: rigvane-sim --radio NAME [--addr HEX] [--echo] [--baud N] "
                 "[--activity FILE] [--trace]\n"
                 "       rigvane-sim --list\n"
                 "  --radio NAME      the radio to simulate:%s\n"
                 "  --addr HEX        bus address (00..FF; default: the model's own)\n"
                 "  --echo            echo every byte received, as a CI-V bus does\n"
                 "  --baud N          pace the line at N baud both ways (10 bits per byte)\n"
                 "  --activity FILE   active frequencies: MHZ LEVEL [ON_SECONDS OFF_SECONDS]\n"
                 "  --trace           every command and answer on standard error\n"
                 "  --list            the radios it knows, one a line: name, family, model\n"
                 "  --version         show the version\n"
                 "Prints the pseudo-terminal's path as the first line, then serves until\n"
                 "SIGTERM or SIGINT.\n",
                 names.c_str());
}

void List() {
    for (const SimModel& m : SimCatalog())
        std::printf("%-16s %-10s %s\n", m.Name.c_str(), m.Family.c_str(), m.Description.c_str());
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "rigvane-sim: %s\n", message.c_str());
    Usage(stderr);
    return 2;
}

bool ParseHexByte(const std::string& s, int* value) {
    if (s.empty() || s.size() > 2) return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 16);
    if (*end != '\0' || v < 0 || v > 255) return false;
    *value = int(v);
    return true;
}

bool ParseBaud(const std::string& s, int* value) {
    if (s.empty() || s.size() > 7) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    const long v = std::strtol(s.c_str(), nullptr, 10);
    if (v < 50 || v > 4000000) return false;
    *value = int(v);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string radioName, activityPath;
    int address = -1, baud = 0;
    bool echo = false, trace = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= argc) return false;
            *out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        } else if (arg == "--list") {
            List();
            return 0;
        } else if (arg == "--trace") {
            trace = true;
        } else if (arg == "--version") {
            std::printf("rigvane-sim %s\n", rigvane::Version);
            return 0;
        } else if (arg == "--radio") {
            if (!value(&radioName)) return Fail("--radio needs a name");
        } else if (arg == "--addr") {
            if (!value(&v) || !ParseHexByte(v, &address))
                return Fail("--addr needs a hexadecimal byte 00..FF");
        } else if (arg == "--echo") {
            echo = true;
        } else if (arg == "--baud") {
            if (!value(&v) || !ParseBaud(v, &baud)) return Fail("--baud needs a rate 50..4000000");
        } else if (arg == "--activity") {
            if (!value(&activityPath)) return Fail("--activity needs a file");
        } else {
            return Fail("unknown argument \"" + arg + "\"");
        }
    }
    if (radioName.empty()) return Fail("--radio is required");
    std::string error;
    SimOptions options;
    options.Echo = echo;
    options.Address = address;
    std::unique_ptr<SimRadio> radio = MakeSimRadio(radioName, options, &error);
    if (!radio) return Fail(error);
    if (!activityPath.empty()) {
        std::vector<std::string> errors;
        if (!radio->Schedule.Load(activityPath, &errors) && radio->Schedule.Entries.empty() &&
            !errors.empty() && errors.front().rfind("cannot read", 0) == 0) {
            std::fprintf(stderr, "rigvane-sim: %s\n", errors.front().c_str());
            return 1;
        }
        for (const std::string& e : errors)
            std::fprintf(stderr, "rigvane-sim: %s: %s\n", activityPath.c_str(), e.c_str());
    }

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "rigvane-sim: cannot open a pseudo-terminal: %s\n",
                     std::strerror(errno));
        return 1;
    }
    const char* slaveName = ptsname(master);
    if (!slaveName) {
        std::fprintf(stderr, "rigvane-sim: ptsname failed: %s\n", std::strerror(errno));
        return 1;
    }
    const std::string path = slaveName;
    // Holding the terminal's other end open keeps the master usable while no
    // client has it open (no hang-up between a close and the next open), and
    // lets the line start in raw mode.
    const int slave = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::fprintf(stderr, "rigvane-sim: cannot open %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return 1;
    }
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    const int64_t start = MonotonicMs();
    if (trace) {
        radio->Trace = [](int64_t nowMs, bool fromComputer, const std::string& bytes) {
            std::fprintf(stderr, "%s\n", SimTraceLine(nowMs, fromComputer, bytes).c_str());
        };
    }
    std::string outQueue;
    const double msPerByte = baud > 0 ? 10000.0 / baud : 0.0;
    double nextByteAt = 0; // fine monotonic ms when the next paced byte may leave
    // Bytes from the computer on their way in, each batch with the time its
    // last byte reaches the radio.
    struct Inbound {
        double At;
        std::string Bytes;
    };
    std::deque<Inbound> inQueue;
    double inFreeAt = 0; // when the incoming line is free again
    std::vector<char> buffer(4096);
    auto hear = [&](const std::string& bytes) {
        const std::string answer = radio->Receive(bytes, MonotonicMs() - start);
        if (outQueue.empty() && baud > 0) nextByteAt = std::max(nextByteAt, MonotonicMsFine());
        outQueue += answer;
    };

    while (!stopRequested) {
        // Sleep until the next paced event: a command fully arrived, or
        // answer bytes whose time on the wire has passed.
        const double now0 = MonotonicMsFine();
        double wake = now0 + 500;
        if (!inQueue.empty()) wake = std::min(wake, inQueue.front().At);
        if (!outQueue.empty()) {
            if (baud == 0) {
                wake = std::min(wake, now0 + 5); // the terminal was full: try again shortly
            } else {
                const double lastDue = nextByteAt + double(outQueue.size()) * msPerByte;
                wake = std::min(wake, std::min(lastDue, nextByteAt + msPerByte + BatchMs));
            }
        }
        const double waitMs = std::max(0.0, wake - now0);
        const timespec timeout{time_t(waitMs / 1000), long(std::fmod(waitMs, 1000.0) * 1e6)};
        pollfd pfd{master, POLLIN, 0};
        const int n = ppoll(&pfd, 1, &timeout, nullptr);
        if (n < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "rigvane-sim: poll failed: %s\n", std::strerror(errno));
            break;
        }
        if (n > 0 && (pfd.revents & POLLIN)) {
            const ssize_t got = read(master, buffer.data(), buffer.size());
            if (got > 0) {
                std::string bytes(buffer.data(), size_t(got));
                if (baud > 0) {
                    const double heard =
                        std::max(inFreeAt, MonotonicMsFine()) + double(got) * msPerByte;
                    inFreeAt = heard;
                    inQueue.push_back({heard, std::move(bytes)});
                } else {
                    hear(bytes);
                }
            }
        } else if (n > 0 && (pfd.revents & (POLLHUP | POLLERR))) {
            // Cannot happen while the slave is held open; do not spin if it does.
            usleep(20000);
        }
        // Commands whose last byte has come down the line reach the radio.
        while (!inQueue.empty() && inQueue.front().At <= MonotonicMsFine()) {
            hear(inQueue.front().Bytes);
            inQueue.pop_front();
        }
        if (outQueue.empty()) continue;
        size_t count = outQueue.size();
        if (baud > 0) {
            // Every byte whose last bit has gone down the line by now.
            const double sent = (MonotonicMsFine() - nextByteAt) / msPerByte;
            if (sent < 1) continue;
            count = std::min(outQueue.size(), size_t(sent));
        }
        const ssize_t written = write(master, outQueue.data(), count);
        if (written > 0) {
            outQueue.erase(0, size_t(written));
            nextByteAt += double(written) * msPerByte;
        } else if (written < 0 && errno != EAGAIN && errno != EINTR) {
            outQueue.clear(); // nobody can take it
        }
        if (outQueue.size() > (1u << 22)) outQueue.erase(0, outQueue.size() - (1u << 22));
    }
    close(slave);
    close(master);
    return 0;
}
