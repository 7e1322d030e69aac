// The memory scan over a real serial line: the mode engine on the Qt event
// loop, QtSerialPort on the pseudo-terminal of `rigvane-sim --radio
// icom-r8500 --baud 19200` (the simulator paces both directions, as a real
// line), 20 valid channels of the computer's memories, no activity, SPEED 0.
// Prints:
//  - channels visited per second at Timeout 60 and 90 (the profile defaults)
//    and 0, 1, 5, against the wire limit (the bytes of one visit, both ways,
//    at 10 bits per byte and 19200 baud; target >= 90 %), with the CPU this
//    process spends (target < 10 % of one core) and the alert lines
//    (target: none),
//  - how long one try of the link waits for an answer that never comes,
//  - what one CI-V read-frequency exchange costs over the same line, beside
//    Hamlib's `rigctl -m 3042` reading the same simulated radio (when
//    installed; its frequency cache is switched off so every read is an
//    exchange).
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
#include "qt/PortFactory.h"
#include "qt/QtHost.h"

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
Run Scan(const QString& simProgram, double seconds, int openTimeout, int scanTimeout,
         int mode = ModeScan) {
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
    engine.RequestMode(mode);
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

void PrintScanLine(const Run& r, int timeout) {
    if (!r.Opened) {
        std::printf("  Timeout %2d: the radio did not open\n%s", timeout, r.Said.c_str());
        return;
    }
    const double rate = double(r.Visits) / r.Wall;
    // Visits whose answers were missed do not count as reaching the limit.
    const bool clean = r.Alerts == 0 && r.Count.Received >= long(AnswerBytesPerVisit) * r.Visits;
    std::printf("  Timeout %2d: %6.1f channels/s = %5.1f %% of the wire limit %-4s  CPU %5.1f %% "
                "%-4s  %5.1f bytes and %4.1f port polls a visit, %ld alert lines%s%s\n",
                timeout, rate, 100.0 * rate / WireLimit,
                !clean                    ? "MISS"
                : rate >= 0.9 * WireLimit ? "OK"
                                          : "LOW",
                100.0 * r.Cpu / r.Wall, r.Cpu / r.Wall < 0.10 ? "OK" : "HIGH",
                double(r.Count.Sent + r.Count.Received) / double(std::max(1L, r.Visits)),
                double(r.Count.Polls) / double(std::max(1L, r.Visits)), r.Alerts,
                r.Alerts ? ", last: " : "", r.Alerts ? r.LastAlert.c_str() : "");
}

// How long the link waits for an answer that never comes: a frame to an
// address nobody has, three tries of ten quiet polls.
void QuietWindow(const QString& simProgram, int timeout) {
    Sim sim;
    if (!sim.Start(simProgram)) return;
    Program prog(sim.Pty, timeout);
    if (!prog.app.link.OpenPort()) return;
    const std::string silent = "\xFE\xFE\x11\xE0\x03\xFD";
    const int n = timeout >= 20 ? 2 : 20;
    const double t0 = WallSeconds();
    for (int i = 0; i < n; ++i)
        prog.app.link.SendAndReceive(silent, "\xFD", "");
    const double perTry = (WallSeconds() - t0) / (3.0 * n);
    std::printf("  Timeout %2d: one try without an answer lasts %.3f ms (%.0f polls of the port); "
                "the 8-byte squelch answer needs %.2f ms on the wire\n",
                timeout, perTry * 1000.0, double(prog.count.Polls) / (3.0 * n),
                8 * 10.0 * 1000.0 / Baud);
}

// One CI-V read-frequency exchange: 6 bytes out, 11 back.
constexpr int ReadFrequencyBytes = 6 + 11;
const double ReadFrequencyWireMs = ReadFrequencyBytes * 10.0 * 1000.0 / Baud;

void Transactions(const QString& simProgram, int timeout, int n) {
    Sim sim;
    if (!sim.Start(simProgram)) return;
    Program prog(sim.Pty, timeout);
    if (prog.app.radio.OpenRadio() != 0) {
        std::printf("  Timeout %2d: the radio did not open\n", timeout);
        return;
    }
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
    std::printf("  rigvane, Timeout %2d: %d exchanges, %d answered: %.2f ms each (wire %.2f ms: "
                "%.0f %%), %.1f bytes each, CPU %.1f %%, %ld alert lines\n",
                timeout, n, answered, perMs, ReadFrequencyWireMs,
                100.0 * ReadFrequencyWireMs / perMs,
                double(prog.count.Sent + prog.count.Received) / n, 100.0 * cpu / wall,
                prog.alerts - alertsBefore);
}

// Seconds rigctl takes for `n` frequency reads, start-up included; < 0 when
// it does not run or does not answer them all.
double RigctlSeconds(const QString& simProgram, int n) {
    Sim sim;
    if (!sim.Start(simProgram)) return -1;
    QProcess rigctl;
    const double t0 = WallSeconds();
    rigctl.start("rigctl",
                 {"-C", "cache_timeout=0", "-m", "3042", "-r", QString::fromStdString(sim.Pty),
                  "-s", QString::number(Baud), "-c", "0x4A", "-"});
    if (!rigctl.waitForStarted(5000)) return -1;
    rigctl.write(QByteArray("f\n").repeated(n));
    rigctl.closeWriteChannel();
    if (!rigctl.waitForFinished(60000)) {
        rigctl.kill();
        rigctl.waitForFinished(1000);
        return -1;
    }
    const double wall = WallSeconds() - t0;
    const QByteArray out = rigctl.readAllStandardOutput();
    int answers = 0;
    // Each answer is a line ending in the frequency ("f 145500000" when the
    // commands come from standard input).
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        answers += !words.isEmpty() && words.back().toLongLong() > 0;
    }
    return rigctl.exitCode() == 0 && answers == n ? wall : -1;
}

void RigctlTransactions(const QString& simProgram) {
    const int few = 10, many = 210;
    const double a = RigctlSeconds(simProgram, few);
    const double b = a < 0 ? -1 : RigctlSeconds(simProgram, many);
    if (a < 0 || b < 0) {
        std::printf("  rigctl -m 3042: not installed or not answering (apt-get install "
                    "libhamlib-utils)\n");
        return;
    }
    // The difference leaves out rigctl's start-up and the opening of the radio.
    const double perMs = 1000.0 * (b - a) / (many - few);
    std::printf("  rigctl -m 3042 (cache off): %.2f ms each (wire %.2f ms: %.0f %%)\n", perMs,
                ReadFrequencyWireMs, 100.0 * ReadFrequencyWireMs / perMs);
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
    std::printf("memory scan, %d channels, SPEED 0, %.1f s each, rigvane-sim --baud %d (both "
                "ways);\nwire limit: %d bytes a visit x 10 bits / %d baud = %.2f ms: %.1f "
                "channels/s\n",
                Channels, seconds, Baud, FrameBytesPerVisit, Baud, 1000.0 / WireLimit, WireLimit);
    for (int timeout : {60, 90, 0, 1, 5})
        PrintScanLine(Scan(sim, seconds, timeout, timeout), timeout);
    // Manual mode reads the radio's state and signal on every pass, as fast
    // as the radio answers.
    for (int timeout : {60, 0}) {
        const Run r = Scan(sim, std::min(seconds, 3.0), timeout, timeout, ModeManual);
        std::printf("Manual mode, Timeout %2d: %.0f bytes/s on the line, CPU %.1f %% of one core, "
                    "%ld alert lines\n",
                    timeout, double(r.Count.Sent + r.Count.Received) / std::max(0.001, r.Wall),
                    100.0 * r.Cpu / std::max(0.001, r.Wall), r.Alerts);
    }
    std::printf("the wait for an answer that never comes (ten quiet periods a try):\n");
    for (int timeout : {0, 1, 5, 60})
        QuietWindow(sim, timeout);
    std::printf("one CI-V read-frequency exchange over the line:\n");
    for (int timeout : {60, 0})
        Transactions(sim, timeout, 200);
    RigctlTransactions(sim);
    return 0;
}
