// QtSerialPort against a pseudo-terminal pair: the test holds the master side
// and echoes what the port sends.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QtTest>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <functional>

#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Settings.h"
#include "link/SerialLink.h"
#include "qt/QtHost.h"
#include "qt/QtSerialPort.h"

using rigvane::LineError;
using rigvane::PortSettings;
using rigvane::QtSerialPort;

namespace {

// Runs the event loop until `done` or a generous safety limit; the limit only
// keeps a broken build from hanging, it is not a timing assertion.
bool RunUntil(const std::function<bool()>& done) {
    QDeadlineTimer limit(10000);
    while (!done()) {
        if (limit.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Reads what has reached the master side, waiting up to the safety limit for
// at least `count` bytes.
std::string ReadMaster(int fd, size_t count) {
    std::string out;
    QDeadlineTimer limit(10000);
    while (out.size() < count && !limit.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) out.append(buf, size_t(n));
        }
    }
    return out;
}

} // namespace

class QtSerialPortTest : public QObject {
    Q_OBJECT

  private:
    int master_ = -1;
    std::string slave_;

  private Q_SLOTS:
    void init() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master_ >= 0);
        QVERIFY(::grantpt(master_) == 0);
        QVERIFY(::unlockpt(master_) == 0);
        slave_ = ::ptsname(master_);
        // Raw mode on the line so bytes pass unchanged.
        termios t{};
        QVERIFY(::tcgetattr(master_, &t) == 0);
        ::cfmakeraw(&t);
        QVERIFY(::tcsetattr(master_, TCSANOW, &t) == 0);
    }

    void cleanup() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    void echoesThroughThePseudoTerminal() {
        QtSerialPort port;
        std::vector<LineError> errors;
        port.OnLineError = [&](LineError e, const std::string&) { errors.push_back(e); };
        PortSettings s;
        s.Baud = 9600;
        std::string error;
        QVERIFY2(port.Open(slave_, s, &error), error.c_str());
        QVERIFY(port.IsOpen());

        const std::string frame("\xFE\xFE\x08\xE0\x03\xFD\x00", 7);
        QVERIFY(port.Write(frame));
        const std::string heard = ReadMaster(master_, frame.size());
        QCOMPARE(heard, frame);
        QCOMPARE(::write(master_, heard.data(), heard.size()), ssize_t(heard.size()));
        QVERIFY(RunUntil([&] { return port.BytesWaiting() >= int(frame.size()); }));
        QCOMPARE(port.ReadAll(), frame);
        QCOMPARE(port.BytesWaiting(), 0);
        QCOMPARE(port.ReadAll(), std::string());

        // No modem lines here: they read low and the port carries on.
        QCOMPARE(port.Cts(), false);
        QCOMPARE(port.Dsr(), false);
        QCOMPARE(port.Cd(), false);
        QVERIFY(port.ModemLinesUnsupported());
        QVERIFY(port.IsOpen());
        QVERIFY(port.Write("A"));
        QCOMPARE(ReadMaster(master_, 1), std::string("A"));
        QCoreApplication::processEvents();
        QVERIFY(errors.empty());

        port.Close();
        QVERIFY(!port.IsOpen());
        QVERIFY(!port.Write("B"));
    }

    void theLinkWakesOnTheAnswerNotAtTheTimeout() {
        rigvane::QtHost host;
        rigvane::Settings settings;
        rigvane::FileSlots slots;
        rigvane::MessageLog log(host, slots, settings.Global);
        rigvane::RadioState state;
        rigvane::SerialLink link(host, settings, log, slots, state, [](const std::string&) {
            return std::unique_ptr<rigvane::SerialPort>(new QtSerialPort);
        });
        rigvane::RadioProfile& p = settings.Selected();
        p.Protocol = 1;
        p.Device = slave_;
        p.Baud = 5;
        p.Timeout = 5000;
        QVERIFY(link.OpenPort());
        // The far end answers each command as soon as it reads it.
        QSocketNotifier farEnd(master_, QSocketNotifier::Read);
        int commands = 0;
        QObject::connect(&farEnd, &QSocketNotifier::activated, [&] {
            char buf[64];
            if (::read(master_, buf, sizeof buf) > 0) {
                ++commands;
                QCOMPARE(::write(master_, "OK\r", 3), ssize_t(3));
            }
        });
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(link.SendAndReceive("FQ\r", "\r", ""), std::string("OK\r"));
            // Not woken by the port, the wait would last the whole Timeout.
            QVERIFY2(clock.elapsed() < p.Timeout / 2, std::to_string(clock.elapsed()).c_str());
        }
        QCOMPARE(commands, 3);
        QVERIFY(!link.RadioNotResponding);
    }

    void flowControlAndSettingsOpenOnAPseudoTerminal() {
        QtSerialPort port;
        PortSettings s;
        s.Baud = 115200;
        s.Parity = 'E';
        s.DataBits = 7;
        s.StopBits = 2;
        s.RtsCts = s.Dtr = s.Rts = true;
        std::string error;
        QVERIFY2(port.Open(slave_, s, &error), error.c_str());
        QVERIFY(port.Write("FQ;"));
        QCOMPARE(port.Cts(), false);
        QVERIFY(port.IsOpen());
        // Reopening the same port object works.
        s.RtsCts = false;
        QVERIFY2(port.Open(slave_, s, &error), error.c_str());
        QVERIFY(port.IsOpen());
    }

    void missingDeviceFailsToOpen() {
        QtSerialPort port;
        std::string error;
        QVERIFY(!port.Open("/dev/rigvane-no-such-port", PortSettings{}, &error));
        QVERIFY(!error.empty());
        QVERIFY(!port.IsOpen());
        QVERIFY(!port.Write("x"));
        QCOMPARE(port.BytesWaiting(), 0);
        QCOMPARE(port.Cd(), false);
    }

    void vanishedDeviceIsReported() {
        QtSerialPort port;
        std::vector<LineError> errors;
        port.OnLineError = [&](LineError e, const std::string&) { errors.push_back(e); };
        std::string error;
        QVERIFY2(port.Open(slave_, PortSettings{}, &error), error.c_str());
        ::close(master_);
        master_ = -1;
        QVERIFY(RunUntil([&] { return !errors.empty(); }));
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(errors.size(), size_t(1)); // once, not on every pass of the loop
        QVERIFY(errors.front() == LineError::DeviceLost);
        QVERIFY(!port.IsOpen());
        QVERIFY(!port.Write("x"));
        // Whatever the platform reported, nothing here crashes or hangs.
        (void)port.Write("x");
        (void)port.ReadAll();
    }
};

QTEST_GUILESS_MAIN(QtSerialPortTest)
#include "QtSerialPortTest.moc"
