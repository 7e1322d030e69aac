#pragma once
// The program's state over a virtual clock with the main window as the
// engine's view, for the editor tests; optionally a simulated ICOM R8500 on
// an in-process port, so a scan meets real hits.
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

#include "core/SimHost.h"
#include "engine/App.h"
#include "engine/Engine.h"
#include "link/SimulatedPort.h"
#include "sim/Catalog.h"
#include "sim/IcomRadio.h"
#include "sim/SimPeer.h"
#include "storage/FrequencyFileReader.h"
#include "storage/FrequencyFileWriter.h"
#include "ui/MainWindow.h"

namespace rigvane::test {

struct EditorRig {
    explicit EditorRig(bool radio = false) {
        RadioProfile& p = app.settings.Selected();
        if (radio) {
            std::string error;
            peer = std::make_shared<SimPeer>(MakeSimRadio("icom-r8500", &error));
            sim = dynamic_cast<IcomRadio*>(&peer->Radio());
            p.Protocol = 1;
            p.Model = 2;
            p.Addr = sim->Address;
            p.CompAddr = 0xE0;
            p.Device = "sim:icom-r8500";
            p.Timeout = 100;
            p.Detect = 2;
            p.MinFreq = 0;
            app.link.SetPortFactory([this](const std::string&) -> std::unique_ptr<SerialPort> {
                return std::make_unique<SimulatedPort>(host, peer);
            });
            app.radio.OpenRadio();
        }
        app.settings.Global.Speed = 0;
        window = std::make_unique<MainWindow>(app, engine);
    }
    ~EditorRig() { window.reset(); }

    // Types `text` into a field the way a user does, then Enter.
    static void Type(QLineEdit* field, const QString& text, bool enter = true) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
        if (enter) QTest::keyClick(field, Qt::Key_Return);
    }
    // A valid channel at `mhz`.
    void SetChannel(int n, double mhz) {
        Channel& c = app.memory.Channels[size_t(n)];
        c = BlankChannel;
        c.Frequency = int32_t(mhz * 100000 + 0.5);
        c.Valid = true;
    }
    // Runs loop passes until `done` holds or `maxMs` of virtual time passed,
    // then requests Manual.
    void RunUntil(const std::function<bool()>& done, int64_t maxMs) {
        const int64_t deadline = host.NowMs() + maxMs;
        bool stop = false;
        host.OnYield = [&] {
            if (!stop && (done() || host.NowMs() >= deadline)) {
                stop = true;
                engine.RequestMode(ModeManual);
            }
        };
        while (!stop)
            engine.RunPass();
        host.OnYield = nullptr;
    }
    // Saves the tables to a file, blanks them and reads the file back.
    bool SaveAndReload(const QString& path) {
        if (!WriteFrequencyFile(engine.Context(), path.toStdString())) return false;
        app.memory.ClearAllMemory();
        return ReadFrequencyFile(engine.Context(), path.toStdString());
    }
    // Grabs a window into $RIGVANE_SCREENSHOTS/<name>.png when that is set.
    static void Shot(QWidget* w, const char* name) {
        const QByteArray dir = qgetenv("RIGVANE_SCREENSHOTS");
        if (dir.isEmpty()) return;
        w->grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
    }

    SimHost host;
    App app{host};
    std::shared_ptr<SimPeer> peer;
    IcomRadio* sim = nullptr;
    Engine engine{app};
    std::unique_ptr<MainWindow> window;
};

} // namespace rigvane::test
