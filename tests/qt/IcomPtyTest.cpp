// The program's own serial stack end to end: QtSerialPort, the link, the CI-V
// driver and the radio operations over the Qt event loop, against rigvane-sim
// serving an ICOM R8500 on a pseudo-terminal. Covers a working session, the
// simulator going away in the middle of one, and reconnecting to a new one.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "common/SimTool.h"
#include <string>
#include <vector>

#include "core/CodeTables.h"
#include "drivers/Registry.h"
#include "engine/App.h"
#include "qt/PortFactory.h"
#include "qt/QtHost.h"

using namespace rigvane;

namespace {

// The active frequency of the activity file and its level on the S-meter scale.
constexpr int32_t ActiveFrequency = 14552500; // 145.525 MHz in 10 Hz units
constexpr int ActiveLevel = 7;
constexpr int32_t QuietFrequency = 14600000; // 146.000 MHz

// No timed assertion: a generous bound for one radio operation over a real
// terminal, far above what the tries of a transaction may take.
constexpr qint64 OperationBoundMs = 3000;

// The Qt host with message boxes recorded instead of shown.
class TestHost : public QtHost {
  public:
    std::vector<std::string> Boxes;
    Answer MessageBox(const std::string& title, const std::string& text, MsgIcon, Buttons,
                      Answer) override {
        Boxes.push_back(title + ": " + text);
        return Answer::Ok;
    }
};

// The program as main() wires it, with an R8500 profile on the simulator's terminal.
struct Session {
    QTemporaryDir dir;
    TestHost host;
    App app{host};
    std::vector<std::string> lines; // every message line, oldest first
    QString activity;

    Session() {
        app.settings.IniPath = (dir.path() + "/RIGVANE.INI").toStdString();
        app.link.TraceDir = dir.path().toStdString();
        app.link.SetPortFactory(
            MakePortFactory(host, [this](const std::string& w) { app.log.Dply(w); }));
        app.log.OnLine = [this](const std::string& line) { lines.push_back(line); };
        activity = dir.path() + "/activity.txt";
        QFile f(activity);
        if (f.open(QIODevice::WriteOnly))
            f.write("145.525 " + QByteArray::number(ActiveLevel) + "   # always on\n");
    }

    RadioProfile& Profile() { return app.settings.Selected(); }

    void UseDevice(const QString& pty) {
        RadioProfile& p = Profile();
        p.Name = RadioProfile::FixedWidth20("R8500 on a pty");
        p.Protocol = ProtoIcom;
        p.Model = 2; // R8500
        p.Addr = 0x4A;
        p.CompAddr = 0xE0;
        p.Baud = 5; // 19200
        p.Detect = 2;
        p.Timeout = 50;
        p.MinFreq = 10000;
        p.MaxFreq = 199999900;
        p.Device = pty.toStdString();
    }

    void Tune(int32_t frequency, uint8_t mode) {
        app.radioState.Current.Frequency = frequency;
        app.radioState.Current.Mode = mode;
        app.radio.ApplyRadioState();
    }

    // Lines of the alerts the link raises when the radio stops answering.
    int AlertsSince(size_t first) const {
        int n = 0;
        for (size_t i = first; i < lines.size(); ++i)
            if (lines[i].find("Radio not responding. ") != std::string::npos ||
                lines[i].find("Radio Communication failure!") != std::string::npos)
                ++n;
        return n;
    }
    std::string LinesSince(size_t first) const {
        std::string all;
        for (size_t i = first; i < lines.size(); ++i)
            all += lines[i] + "\n";
        return all;
    }
};

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

class IcomPtyTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void tunesReadsBackAndHearsTheActiveFrequency();
    void lostSimulatorIsReportedOnce_data();
    void lostSimulatorIsReportedOnce();
    void reconnectsToARestartedSimulator();
};

void IcomPtyTest::tunesReadsBackAndHearsTheActiveFrequency() {
    Session s;
    SimTool sim;
    if (!sim.Start({"--radio", "icom-r8500", "--activity", s.activity}))
        QSKIP("rigvane-sim not available");
    s.UseDevice(sim.Pty);

    QCOMPARE(int(s.app.radio.OpenRadio()), 0);
    QCOMPARE(s.app.link.StatusCaption(), std::string("Connected"));
    QVERIFY(s.app.link.PortOpen());
    QVERIFY(!s.app.link.RadioNotResponding);
    QVERIFY2(EndsWith(s.lines.back(), " : ICOM R8500 Connected"), s.lines.back().c_str());
    QVERIFY(s.host.Boxes.empty());

    // Two different settings, each read back from the radio into a cleared copy.
    const struct {
        int32_t Frequency;
        uint8_t Mode;
    } settings[] = {{QuietFrequency, 4 /* AM */}, {ActiveFrequency, 2 /* FM narrow */}};
    for (const auto& want : settings) {
        s.Tune(want.Frequency, want.Mode);
        s.app.radioState.Current = MakeBlankChannel();
        s.app.radio.ReadRadioState();
        QCOMPARE(s.app.radioState.Current.Frequency, want.Frequency);
        QCOMPARE(int(s.app.radioState.Current.Mode), int(want.Mode));
    }

    // The squelch opens on the active frequency and the S-meter gives its level.
    s.app.radio.ReadSignal();
    QCOMPARE(int(s.app.radioState.SignalLevel), ActiveLevel);
    s.Tune(QuietFrequency, 2);
    s.app.radio.ReadSignal();
    QCOMPARE(int(s.app.radioState.SignalLevel), 0);
    s.Tune(ActiveFrequency, 2);
    s.app.radio.ReadSignal();
    QCOMPARE(int(s.app.radioState.SignalLevel), ActiveLevel);

    QCOMPARE(s.AlertsSince(0), 0);
    QVERIFY2(!s.app.link.RadioNotResponding, s.LinesSince(0).c_str());
}

void IcomPtyTest::lostSimulatorIsReportedOnce_data() {
    // Whether the event loop ran between the simulator's end and the next
    // operation (so the port had its chance to report the lost device first).
    QTest::addColumn<bool>("loopRanFirst");
    QTest::newRow("next operation at once") << false;
    QTest::newRow("event loop ran first") << true;
}

// The device of a killed simulator is gone for good: the link says so once
// with "*Radio Communication failure!" (a failed write or a port that reports
// the device lost); a radio that merely stops answering would give one
// "*Radio not responding. ". Either way one alert, and nothing hangs.
void IcomPtyTest::lostSimulatorIsReportedOnce() {
    QFETCH(bool, loopRanFirst);
    Session s;
    SimTool sim;
    if (!sim.Start({"--radio", "icom-r8500", "--activity", s.activity}))
        QSKIP("rigvane-sim not available");
    s.UseDevice(sim.Pty);
    QCOMPARE(int(s.app.radio.OpenRadio()), 0);
    s.Tune(ActiveFrequency, 2);
    const size_t before = s.lines.size();

    sim.Kill();
    if (loopRanFirst) {
        QElapsedTimer waited;
        waited.start();
        while (s.app.link.PortOpen() && waited.elapsed() < 2000)
            s.host.WaitForEvents(20);
        for (int i = 0; i < 10; ++i)
            s.host.Yield();
        QVERIFY(!s.app.link.PortOpen()); // the port noticed before any operation
    }
    QElapsedTimer clock;
    auto timed = [&](const char* what, auto&& operation) {
        clock.start();
        operation();
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms < OperationBoundMs,
                 (std::string(what) + " took " + std::to_string(ms) + " ms").c_str());
    };
    timed("tuning", [&] { s.Tune(QuietFrequency, 4); });
    timed("reading the state", [&] { s.app.radio.ReadRadioState(); });
    timed("reading the signal", [&] { s.app.radio.ReadSignal(); });
    timed("tuning again", [&] { s.Tune(ActiveFrequency, 2); });
    timed("reading the signal again", [&] { s.app.radio.ReadSignal(); });

    const std::string said = s.LinesSince(before);
    QCOMPARE(s.AlertsSince(before), 1);
    QVERIFY2(said.find("Radio Communication failure!") != std::string::npos, said.c_str());
    QVERIFY(s.app.link.RadioNotResponding);
    QVERIFY(!s.app.link.PortOpen());
    QCOMPARE(int(s.app.radioState.SignalLevel), 0);
    QVERIFY(s.host.Boxes.empty());
}

void IcomPtyTest::reconnectsToARestartedSimulator() {
    Session s;
    SimTool first;
    if (!first.Start({"--radio", "icom-r8500", "--activity", s.activity}))
        QSKIP("rigvane-sim not available");
    s.UseDevice(first.Pty);
    QCOMPARE(int(s.app.radio.OpenRadio()), 0);
    s.Tune(QuietFrequency, 4);
    first.Kill();
    s.Tune(ActiveFrequency, 2);
    s.app.radio.ReadSignal();
    QVERIFY(s.app.link.RadioNotResponding);

    SimTool second;
    QVERIFY(second.Start({"--radio", "icom-r8500", "--activity", s.activity}));
    s.Profile().Device = second.Pty.toStdString();
    const size_t before = s.lines.size();
    QCOMPARE(int(s.app.radio.OpenRadio()), 0);
    QCOMPARE(s.app.link.StatusCaption(), std::string("Connected"));
    QVERIFY(!s.app.link.RadioNotResponding);
    QVERIFY(s.app.link.PortOpen());
    QCOMPARE(s.lines.size(), before + 1);
    QVERIFY2(EndsWith(s.lines.back(), " : ICOM R8500 Connected"), s.lines.back().c_str());
    QVERIFY(s.host.Boxes.empty());

    // The new radio does the work: read, tuned, read back and heard. (The
    // read comes first: after an open the last sent state is the blank
    // channel, whose mode is FM narrow, so that mode alone would not be sent.)
    s.app.radio.ReadRadioState();
    QVERIFY(s.app.radioState.Current.Frequency > 0);
    QVERIFY(s.app.radioState.Current.Frequency != QuietFrequency); // a fresh radio, not the old one
    s.Tune(ActiveFrequency, 2);
    s.app.radioState.Current = MakeBlankChannel();
    s.app.radio.ReadRadioState();
    QCOMPARE(s.app.radioState.Current.Frequency, ActiveFrequency);
    QCOMPARE(int(s.app.radioState.Current.Mode), 2);
    s.app.radio.ReadSignal();
    QCOMPARE(int(s.app.radioState.SignalLevel), ActiveLevel);
    QCOMPARE(s.AlertsSince(before), 0);
}

QTEST_MAIN(IcomPtyTest)
#include "IcomPtyTest.moc"
