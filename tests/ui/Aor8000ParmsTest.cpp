// The AR8000 settings dialog against a simulated AR8000 in-process.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "core/SimHost.h"
#include "engine/App.h"
#include "engine/Engine.h"
#include "engine/Startup.h"
#include "link/SimulatedPort.h"
#include "sim/AorRadio.h"
#include "sim/SimPeer.h"
#include "ui/Aor8000Parms.h"
#include "ui/MainWindow.h"

using namespace rigvane;

namespace {

struct Fixture {
    QTemporaryDir dir;
    SimHost host; // the radio answers in virtual time
    App app{host};
    std::shared_ptr<SimPeer> peer =
        std::make_shared<SimPeer>(std::make_unique<AorRadio>(AorRadio::Model::Ar8000));
    AorRadio& sim = static_cast<AorRadio&>(peer->Radio());

    Fixture() {
        app.link.SetPortFactory([this](const std::string&) -> std::unique_ptr<SerialPort> {
            return std::make_unique<SimulatedPort>(host, peer);
        });
        RadioProfile& p = app.settings.Selected();
        p.Protocol = ProtoAor8000;
        p.Device = "sim:aor-ar8000";
        p.Timeout = 20;
        if (app.radio.OpenRadio() != 0) qFatal("the simulated AR8000 did not connect");
    }
};

template <typename T> T* Child(QWidget& w, const QString& name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no control %s", qPrintable(name));
    return c;
}

QScrollBar* Scroll(QWidget& w, int i) {
    return Child<QScrollBar>(w, QString("Scroll_%1").arg(i));
}
QString Val(QWidget& w, int i) {
    return Child<QLabel>(w, QString("SVal_%1").arg(i))->text();
}

} // namespace

class Aor8000ParmsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void valuesSurviveReadChangeAndWriteBack();
    void silentRadioLeavesDefaultsAndKeepsTheDialogOpen();
    void settingsFileRoundTripsAndBadFilesAreRefused();
    void opensFromTheParmsMenuForAnAr8000Only();
};

void Aor8000ParmsTest::valuesSurviveReadChangeAndWriteBack() {
    Fixture f;
    f.sim.Pa = 45;
    f.sim.Pi = 5;
    f.sim.SdTenths = 25;
    f.sim.Xm = 6;
    f.sim.Ti = 7;
    f.sim.Bq = true;
    f.sim.ScanLinks[0] = f.sim.ScanLinks[11] = true;
    Aor8000Parms d(f.app);
    d.ReadRadio();
    QCOMPARE(Scroll(d, Aor8000Parms::PowerDelay)->value(), 45);
    QCOMPARE(Scroll(d, Aor8000Parms::PowerCycle)->value(), 5);
    QCOMPARE(Scroll(d, Aor8000Parms::ScanDelay)->value(), 25);
    QCOMPARE(Val(d, Aor8000Parms::ScanDelay), QString("2.5"));
    QCOMPARE(Child<QLabel>(d, "SLabel_4")->text(), QString("Seconds"));
    QCOMPARE(Child<QComboBox>(d, "MmodeCmb")->currentText(), QString("Off"));
    QVERIFY(Child<QCheckBox>(d, "ScanLink_11")->isChecked());
    QVERIFY(!Child<QCheckBox>(d, "ScanLink_1")->isChecked());
    QVERIFY(Child<QCheckBox>(d, "SrchLinkChk")->isChecked());
    QCOMPARE(Val(d, Aor8000Parms::LevelScan), QString("Off"));

    // Changes, then "Send To Radio".
    Child<QCheckBox>(d, "ScanLink_0")->setChecked(false);
    Child<QCheckBox>(d, "SrchLink_19")->setChecked(true);
    Scroll(d, Aor8000Parms::ScanDelay)->setValue(37);
    Scroll(d, Aor8000Parms::LevelScan)->setValue(3);
    QCOMPARE(Child<QLabel>(d, "SLabel_1")->text(), QString("min signal"));
    Scroll(d, Aor8000Parms::PowerDelay)->setValue(0);
    QCOMPARE(Val(d, Aor8000Parms::PowerDelay), QString("Off"));
    QVERIFY(!Child<QGroupBox>(d, "PowCycle")->isEnabled());
    Child<QComboBox>(d, "MmodeCmb")->setCurrentIndex(2);
    Child<QCheckBox>(d, "SrchLinkChk")->setChecked(false);
    QTest::mouseClick(Child<QPushButton>(d, "SetDataBut"), Qt::LeftButton);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(f.host.Boxes.empty());
    QCOMPARE(f.sim.SdTenths, 37);
    QCOMPARE(f.sim.Sb, 3);
    QCOMPARE(f.sim.Pa, 0);
    QCOMPARE(f.sim.Xm, 2);
    QVERIFY(!f.sim.ScanLinks[0] && f.sim.ScanLinks[11] && f.sim.SearchLinks[19]);
    QCOMPARE(f.sim.Ti, 7); // no control of its own: kept as read
    // The search link switch goes into the block; no command sends it.
    QVERIFY(!d.Block().Bq);
    QVERIFY(f.sim.Bq);
    for (const std::string& line : f.sim.Commands)
        QVERIFY2(line.rfind("BQ", 0) != 0, line.c_str());

    // A fresh dialog reads the new values back.
    Aor8000Parms again(f.app);
    again.ReadRadio();
    QCOMPARE(Scroll(again, Aor8000Parms::ScanDelay)->value(), 37);
    QCOMPARE(Scroll(again, Aor8000Parms::LevelScan)->value(), 3);
    QVERIFY(Child<QCheckBox>(again, "SrchLink_19")->isChecked());
    QCOMPARE(Child<QComboBox>(again, "MmodeCmb")->currentIndex(), 2);
}

void Aor8000ParmsTest::silentRadioLeavesDefaultsAndKeepsTheDialogOpen() {
    Fixture f;
    f.sim.Pa = 45;
    f.sim.PoweredOn = false;
    Aor8000Parms d(f.app);
    d.ReadRadio();
    QCOMPARE(Scroll(d, Aor8000Parms::PowerDelay)->value(), 0);
    QCOMPARE(Scroll(d, Aor8000Parms::PowerCycle)->value(), 2);
    QCOMPARE(Child<QComboBox>(d, "MmodeCmb")->currentIndex(), 0);
    QTest::mouseClick(Child<QPushButton>(d, "SetDataBut"), Qt::LeftButton);
    QVERIFY(d.result() != int(QDialog::Accepted));
    QCOMPARE(int(f.host.Boxes.size()), 1);
    QCOMPARE(QString::fromStdString(f.host.Boxes[0].Title), QString("Error!"));
}

void Aor8000ParmsTest::settingsFileRoundTripsAndBadFilesAreRefused() {
    Fixture f;
    Aor8000Parms d(f.app);
    const QString path = f.dir.path() + "/night.prm";
    d.ChooseFile = [&path](bool) { return path; };
    Scroll(d, Aor8000Parms::SearchDelay)->setValue(12);
    Child<QCheckBox>(d, "SrchLink_3")->setChecked(true);
    Child<QCheckBox>(d, "SAudioChk")->setChecked(true);
    QVERIFY(d.SaveFile(path));

    Scroll(d, Aor8000Parms::SearchDelay)->setValue(0);
    Child<QCheckBox>(d, "SrchLink_3")->setChecked(false);
    QVERIFY(d.OpenFile(path));
    QCOMPARE(Scroll(d, Aor8000Parms::SearchDelay)->value(), 12);
    QCOMPARE(Val(d, Aor8000Parms::SearchDelay), QString("1.2"));
    QVERIFY(Child<QCheckBox>(d, "SrchLink_3")->isChecked());
    QVERIFY(Child<QCheckBox>(d, "SAudioChk")->isChecked());

    // A file with a bad line changes nothing and says which line.
    QFile bad(path);
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("SD=0.5\nPI=12\n");
    bad.close();
    QVERIFY(!d.OpenFile(path));
    QCOMPARE(Scroll(d, Aor8000Parms::ScanDelay)->value(), 0);
    QCOMPARE(int(f.host.Boxes.size()), 1);
    QVERIFY(QString::fromStdString(f.host.Boxes[0].Text).contains("line 2"));
}

void Aor8000ParmsTest::opensFromTheParmsMenuForAnAr8000Only() {
    Fixture f;
    ScanInitialize(f.app, (f.dir.path() + "/RIGVANE.INI").toStdString());
    f.app.settings.Windows[WinMessage].Open = false;
    Engine engine(f.app);
    engine.IdleWaitMs = 0;
    MainWindow window(f.app, engine);
    QAction* item = window.findChild<QAction*>("AOR8000_menu");
    QVERIFY(item);
    window.Drop_Down_Init(); // the LOCAL radio: no such settings
    QVERIFY(!item->isEnabled());

    RadioProfile& p = f.app.settings.Selected();
    p.Protocol = ProtoAor8000;
    p.Device = "sim:aor-ar8000";
    p.Timeout = 20;
    QCOMPARE(int(f.app.radio.OpenRadio()), 0);
    window.Drop_Down_Init();
    QVERIFY(item->isEnabled());

    f.sim.Pa = 33;
    int shownPa = -1;
    QString shown;
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) return;
        shown = w->objectName();
        if (auto* s = w->findChild<QScrollBar*>("Scroll_3")) shownPa = s->value();
        w->close();
    });
    item->trigger();
    QCOMPARE(engine.State().PendingAction, int16_t(ActionAor8000Parms));
    engine.RunPass(); // the main loop runs the pending action: the dialog
    QCOMPARE(shown, QString("AOR8PRM"));
    QCOMPARE(shownPa, 33);
}

QTEST_MAIN(Aor8000ParmsTest)
#include "Aor8000ParmsTest.moc"
