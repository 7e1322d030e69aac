// The memory scan over a real serial line: the mode engine on the Qt event
// loop, QtSerialPort on the pseudo-terminal of `rigvane-sim --radio
// icom-r8500 --baud 19200`, 20 valid channels of the computer's memories, no
// activity, Timeout 0 and SPEED 0. Prints:
//  - channels visited per second against the wire limit (the bytes of one
//    visit, both ways, at 10 bits per byte and 19200 baud; target >= 90 %),
//  - the CPU this process spends, as % of one core (target < 10 %),
//  - for comparison, the scan with a pacing Timeout of 1..10 ms,
//  - how long one try of the link waits for an answer that never comes,
//  - what one CI-V read-frequency transaction costs over the same line.
// The bytes are counted at the port, so the per-visit figure is what the
// program really sent and received, retries included. Every measurement has
// a simulator of its own, so no answer still on its way from an earlier one
// can reach it.
// Usage: bench_pty_scan [seconds] [path-to-rigvane-sim]
// With PTY_TRACE=DIR set, the link writes its DEBUG.DAT trace into DIR.
#include "Measure.h"
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "drivers/Icom.h"
#include "drivers/Registry.h"
#include "engine/App.h"
#include "engine/Engine.h"
#include "ui/PortFactory.h"
#include "ui/QtHost.h"

using namespace rigvane;
using namespace rigvane::bench;

namespace {

constexpr int Baud = 19200;
constexpr int Channels = 20;

// Bytes through a port, both ways.
struct ByteCount {
    long Sent = 0, Received = 0, Writes = 0, Polls = 0;
};

// Passes everything to the real port and counts what goes through.
class CountingPort : public SerialPort {
  public:
    CountingPort(std::unique_ptr<SerialPort> inner, ByteCount& count)
        : inner_(std::move(inner)), count_(count) {}
    bool Open(const std::string& device, const PortSettings& settings,
              std::string* error) override {
        inner_->OnLineError = [this](LineError e, const std::string& d) {
            if (OnLineError) OnLineError(e, d);
        };
        return inner_->Open(device, settings, error);
    }
    void Close() override { inner_->Close(); }
    bool IsOpen() const override { return inner_->IsOpen(); }
    bool Write(const std::string& bytes) override {
        count_.Sent += long(bytes.size());
        ++count_.Writes;
        return inner_->Write(bytes);
    }
    int BytesWaiting() override {
        ++count_.Polls;
        return inner_->BytesWaiting();
    }
    std::string ReadAll() override {
        std::string s = inner_->ReadAll();
        count_.Received += long(s.size());
        return s;
    }
    bool Cts() override { return inner_->Cts(); }
    bool Dsr() override { return inner_->Dsr(); }
    bool Cd() override { return inner_->Cd(); }

  private:
    std::unique_ptr<SerialPort> inner_;
    ByteCount& count_;
};

struct VisitCounter : EngineView {
    Engine* engine = nullptr;
    long visits = 0;
    void DisplayChannel() override {
        if (engine && engine->State().Mode == ModeScan) ++visits;
    }
};

// rigvane-sim on a pseudo-terminal.
struct Sim {
    QProcess process;
    std::string Pty;
    bool Start(const QString& program) {
        process.start(program, {"--radio", "icom-r8500", "--baud", QString::number(Baud)});
        if (!process.waitForStarted(5000)) return false;
        while (!process.canReadLine())
            if (!process.waitForReadyRead(5000)) return false;
        Pty = QString::fromUtf8(process.readLine()).trimmed().toStdString();
        return !Pty.empty();
    }
    ~Sim() {
        process.terminate();
        if (!process.waitForFinished(3000)) process.kill();
        process.waitForFinished(1000);
    }
};

// The program as main() wires it, the ports counted.
struct Program {
    QTemporaryDir dir;
    QtHost host;
    App app{host};
    ByteCount count;
    long alerts = 0;
    std::string lastAlert;
    std::string said; // every message line

    explicit Program(const std::string& pty, int timeout) {
        app.settings.IniPath = (dir.path() + "/RIGVANE.INI").toStdString();
        PortFactory real = MakePortFactory(host);
        app.link.SetPortFactory([this, real](const std::string& device) {
            std::unique_ptr<SerialPort> inner = real(device);
            if (!inner) return inner;
            return std::unique_ptr<SerialPort>(new CountingPort(std::move(inner), count));
        });
        if (const char* trace = std::getenv("PTY_TRACE")) {
            app.link.TraceDir = trace;
            app.link.OpenDebugFile();
        }
        app.log.OnLine = [this](const std::string& line) {
            said += "    " + line + "\n";
            if (line.rfind("**", 0) == 0) {
                ++alerts;
                lastAlert = line;
            }
        };
        RadioProfile& p = app.settings.Selected();
        p.Protocol = ProtoIcom;
        p.Model = 2; // R8500
        p.Addr = 0x4A;
        p.CompAddr = 0xE0;
        p.Baud = 5; // 19200
        p.Detect = 2;
        p.Timeout = timeout;
        p.MinFreq = 0;
        p.MaxFreq = 199999900;
        p.Memory = false; // the computer's memories
        p.Device = pty;
        app.settings.Global.Speed = 0;
        for (int n = 1; n <= Channels; ++n) {
            Channel& c = app.memory.Channels[size_t(n)];
            c.Frequency = 14600000 + n * 2500; // 146.025, 146.050, ... MHz
            c.Mode = 2;
            c.Valid = true;
        }
    }
};

struct Run {
    long Visits = 0;
    double Wall = 0, Cpu = 0, SimCpu = 0;
    ByteCount Count;
    long Alerts = 0;
    std::string LastAlert, Said;
    bool Opened = false;
};

// Opens the radio with the pacing Timeout `openTimeout`, then scans for
// `seconds` with `scanTimeout`, on a simulator of its own (so no answer left
// on its way by an earlier run can reach this one).
Run Scan(const QString& simProgram, double seconds, int openTimeout, int scanTimeout) {
    Run run;
    Sim sim;
    if (!sim.Start(simProgram)) return run;
    Program prog(sim.Pty, openTimeout);
    Engine engine(prog.app);
    VisitCounter counter;
    counter.engine = &engine;
    engine.SetView(&counter);
    run.Opened = prog.app.radio.OpenRadio() == 0;
    run.Said = prog.said;
    if (!run.Opened) return run;
    prog.app.settings.Selected().Timeout = scanTimeout;
    prog.count = ByteCount();
    const long alertsBefore = prog.alerts;
    engine.RequestMode(ModeScan);
    QTimer::singleShot(int(seconds * 1000), [&] { engine.RequestMode(ModeShutdown); });
    const qint64 pid = sim.process.processId();
    const double t0 = WallSeconds(), c0 = CpuSeconds(), s0 = ProcessCpuSeconds(pid);
    engine.RunLoop();
    run.Wall = WallSeconds() - t0;
    run.Cpu = CpuSeconds() - c0;
    run.SimCpu = ProcessCpuSeconds(pid) - s0;
    run.Visits = counter.visits;
    run.Count = prog.count;
    run.Alerts = prog.alerts - alertsBefore;
    run.LastAlert = prog.lastAlert;
    return run;
}

// Bytes on the wire for one visit with no signal: set frequency (11) and its
// FB (6), read squelch (7) and its answer (8). The mode is the same on every
// channel, so no set-mode frame goes out.
constexpr int FrameBytesPerVisit = 11 + 6 + 7 + 8;
constexpr int AnswerBytesPerVisit = 6 + 8;
const double WireLimit = Baud / 10.0 / FrameBytesPerVisit;
const double AnswerLimit = Baud / 10.0 / AnswerBytesPerVisit;

void PrintScan(const Run& r, int timeout) {
    const double visits = double(std::max(1L, r.Visits));
    const double rate = double(r.Visits) / r.Wall;
    std::printf("memory scan, %d channels, Timeout %d, SPEED 0, %.1f s:\n", Channels, timeout,
                r.Wall);
    std::printf("  %ld visits: %.1f channels/s\n", r.Visits, rate);
    std::printf("  bytes per visit: %.1f sent + %.1f received (a clean visit: %d); %.1f writes "
                "and %.0f polls of the port per visit\n",
                double(r.Count.Sent) / visits, double(r.Count.Received) / visits,
                FrameBytesPerVisit, double(r.Count.Writes) / visits,
                double(r.Count.Polls) / visits);
    // Visits whose answers were missed do not count as reaching the limit.
    const bool clean = r.Alerts == 0 && r.Count.Received >= long(AnswerBytesPerVisit) * r.Visits;
    std::printf("  wire limit (%d bytes x 10 bits / %d baud = %.2f ms a visit): %.1f "
                "channels/s; reached %.1f %% (target >= 90 %%) %s\n",
                FrameBytesPerVisit, Baud, 1000.0 / WireLimit, WireLimit, 100.0 * rate / WireLimit,
                !clean                    ? "NOT MET: the visits missed their answers"
                : rate >= 0.9 * WireLimit ? "OK"
                                          : "LOW");
    std::printf("  (a pseudo-terminal carries the commands at once and rigvane-sim paces only "
                "its %d answer bytes: %.1f channels/s at most; reached %.1f %%)\n",
                AnswerBytesPerVisit, AnswerLimit, 100.0 * rate / AnswerLimit);
    std::printf("  CPU: this process %.1f %% of one core (target < 10 %%) %s; rigvane-sim "
                "%.1f %%\n",
                100.0 * r.Cpu / r.Wall, r.Cpu / r.Wall < 0.10 ? "OK" : "HIGH",
                100.0 * r.SimCpu / r.Wall);
    std::printf("  alert lines during the scan: %ld%s%s\n", r.Alerts, r.Alerts ? ", last: " : "",
                r.Alerts ? r.LastAlert.c_str() : "");
}

void PrintScanLine(const Run& r, int timeout) {
    if (!r.Opened) {
        std::printf("  Timeout %2d: the radio did not open\n", timeout);
        return;
    }
    const double rate = double(r.Visits) / r.Wall;
    std::printf("  Timeout %2d: %6.1f channels/s (%5.1f %% of the wire limit, %5.1f %% of the "
                "answer limit), %5.1f bytes a visit, CPU %5.1f %%, %ld alert lines\n",
                timeout, rate, 100.0 * rate / WireLimit, 100.0 * rate / AnswerLimit,
                double(r.Count.Sent + r.Count.Received) / double(std::max(1L, r.Visits)),
                100.0 * r.Cpu / r.Wall, r.Alerts);
}

// How long the link waits for an answer that never comes: a frame to an
// address nobody has, three tries of ten quiet polls.
void QuietWindow(const QString& simProgram, int timeout) {
    Sim sim;
    if (!sim.Start(simProgram)) return;
    Program prog(sim.Pty, timeout);
    if (!prog.app.link.OpenPort()) return;
    const std::string silent = "\xFE\xFE\x11\xE0\x03\xFD";
    const int n = 20;
    const double t0 = WallSeconds();
    for (int i = 0; i < n; ++i)
        prog.app.link.SendAndReceive(silent, "\xFD", "");
    const double perTry = (WallSeconds() - t0) / (3.0 * n);
    std::printf("  Timeout %2d: one try without an answer lasts %.3f ms (%.0f polls of the port); "
                "the 8-byte squelch answer needs %.2f ms on the wire\n",
                timeout, perTry * 1000.0, double(prog.count.Polls) / (3.0 * n),
                8 * 10.0 * 1000.0 / Baud);
}

void Transactions(const QString& simProgram, int openTimeout, int timeout, int n) {
    Sim sim;
    if (!sim.Start(simProgram)) return;
    Program prog(sim.Pty, openTimeout);
    if (prog.app.radio.OpenRadio() != 0) {
        std::printf("  Timeout %2d: the radio did not open\n", timeout);
        return;
    }
    prog.app.settings.Selected().Timeout = timeout;
    prog.count = ByteCount();
    const long alertsBefore = prog.alerts;
    const double t0 = WallSeconds(), c0 = CpuSeconds();
    int answered = 0;
    DriverContext ctx = prog.app.radio.Context();
    for (int i = 0; i < n; ++i) {
        prog.app.radioState.Current.Frequency = 0;
        int read = IcomReadFrequency;
        IcomRequest(ctx, read);
        answered += prog.app.radioState.Current.Frequency > 0;
    }
    const double wall = WallSeconds() - t0, cpu = CpuSeconds() - c0;
    const double perMs = 1000.0 * wall / n;
    const double wireMs = (6 + 11) * 10.0 * 1000.0 / Baud;
    std::printf("  Timeout %2d: %d read-frequency transactions, %d answered: %.2f ms each "
                "(wire %.2f ms: %.0f %%), %.1f bytes each, CPU %.1f %%, %ld alert lines\n",
                timeout, n, answered, perMs, wireMs, 100.0 * wireMs / perMs,
                double(prog.count.Sent + prog.count.Received) / n, 100.0 * cpu / wall,
                prog.alerts - alertsBefore);
}

QString FindSim(int argc, char** argv) {
    if (argc > 2) return argv[2];
    const QString beside = QCoreApplication::applicationDirPath() + "/../rigvane-sim";
    return QFile::exists(beside) ? beside : QString("rigvane-sim");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 5.0;
    const QString sim = FindSim(argc, argv);
    {
        Sim probe;
        if (!probe.Start(sim)) {
            std::printf("rigvane-sim did not start (give its path as the second argument)\n");
            return 1;
        }
    }
    const Run zero = Scan(sim, seconds, 0, 0);
    if (zero.Opened) {
        PrintScan(zero, 0);
    } else {
        std::printf("memory scan with Timeout 0: the radio does not open with Timeout 0:\n%s",
                    zero.Said.c_str());
        std::printf("opened with Timeout 5, then ");
        PrintScan(Scan(sim, seconds, 5, 0), 0);
    }
    std::printf("the same scan with a pacing Timeout (opened with it):\n");
    for (int timeout : {1, 2, 5, 10})
        PrintScanLine(Scan(sim, std::min(seconds, 2.0), timeout, timeout), timeout);
    std::printf("the wait for an answer (ten quiet polls a try):\n");
    for (int timeout : {0, 1, 5})
        QuietWindow(sim, timeout);
    std::printf("one CI-V transaction over the line (opened with Timeout 5):\n");
    for (int timeout : {0, 1, 5})
        Transactions(sim, 5, timeout, 200);
    return 0;
}
