// The TH-F6A settings dialog against the simulated TH-F6A.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include "core/SimHost.h"
#include "engine/App.h"
#include "link/SimulatedPort.h"
#include "sim/Catalog.h"
#include "sim/SimPeer.h"
#include "sim/Thf6aRadio.h"
#include "ui/Thf6aParms.h"

using namespace rigvane;

namespace {

struct Rig {
    Rig() {
        std::string error;
        peer = std::make_shared<SimPeer>(MakeSimRadio("thf6a", &error));
        sim = dynamic_cast<Thf6aRadio*>(&peer->Radio());
        RadioProfile& p = app.settings.Selected();
        p.Protocol = ProtoThf6a;
        p.Device = "sim:thf6a";
        p.Timeout = 30;
        app.link.SetPortFactory([this](const std::string&) -> std::unique_ptr<SerialPort> {
            return std::make_unique<SimulatedPort>(host, peer);
        });
        app.link.OpenPort();
    }
    SimHost host;
    App app{host};
    std::shared_ptr<SimPeer> peer;
    Thf6aRadio* sim = nullptr;
};

template <typename T> T* Child(QWidget& w, const QString& name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no control %s", qPrintable(name));
    return c;
}

} // namespace

class Thf6aParmsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void SettingsSurviveReadChangeAndWriteBack() {
        Rig r;
        r.sim->Menu["NAR 2"] = "1";
        r.sim->Menu["SV"] = "3";
        r.sim->Menu["MGL"] = "0 2     ";
        r.sim->Menu["DM 03"] = "5551234";
        r.sim->Menu["DMN 03"] = "Home";
        r.sim->Menu["CNT"] = "11";
        Thf6aParms d(r.app);
        QCOMPARE(Child<QLineEdit>(d, "PowMsgTxt")->text(), QString("Hello!!"));

        QTest::mouseClick(Child<QPushButton>(d, "ReadRadioBut"), Qt::LeftButton);
        QVERIFY(Child<QCheckBox>(d, "ChkBx_6")->isChecked());
        QVERIFY(!Child<QCheckBox>(d, "ChkBx_0")->isChecked());
        QCOMPARE(Child<QComboBox>(d, "Cmb_2")->currentText(), QString("0.6"));
        QVERIFY(Child<QCheckBox>(d, "GroupLnkChk_0")->isChecked());
        QVERIFY(!Child<QCheckBox>(d, "GroupLnkChk_1")->isChecked());
        QVERIFY(Child<QCheckBox>(d, "GroupLnkChk_2")->isChecked());
        QCOMPARE(Child<QLineEdit>(d, "DTMFNumber_3")->text(), QString("5551234"));
        QCOMPARE(Child<QLineEdit>(d, "DTMFTxt_3")->text(), QString("Home"));
        QCOMPARE(Child<QLabel>(d, "ContLab")->text(), QString("Contrast= 11"));
        QCOMPARE(Child<QLineEdit>(d, "PowMsgTxt")->text(), QString("Hello!!"));

        Child<QCheckBox>(d, "ChkBx_0")->setChecked(true);
        Child<QCheckBox>(d, "GroupLnkChk_7")->setChecked(true);
        Child<QComboBox>(d, "Cmb_8")->setCurrentIndex(6);
        Child<QLineEdit>(d, "DTMFTxt_4")->setText("Work");
        Child<QLineEdit>(d, "PowMsgTxt")->setText("Rigvane");
        QTest::mouseClick(Child<QPushButton>(d, "ToRadioBut"), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(r.sim->Menu["MRM"]), QString("1"));
        QCOMPARE(QString::fromStdString(r.sim->Menu["MGL"]), QString("0 2    7"));
        QCOMPARE(QString::fromStdString(r.sim->Menu["VXD"]), QString("6"));
        QCOMPARE(QString::fromStdString(r.sim->Menu["DMN 04"]), QString("Work"));
        QCOMPARE(QString::fromStdString(r.sim->Menu["MES"]), QString("Rigvane"));

        // Two more cycles change nothing: the message gains no blanks.
        const Thf6aMenu written = d.Values();
        for (int i = 0; i < 2; ++i) {
            d.Show(Thf6aMenu{});
            QVERIFY(d.ReadRadio());
            QVERIFY(d.WriteRadio());
        }
        const Thf6aMenu back = d.Values();
        QCOMPARE(back.Checks, written.Checks);
        QCOMPARE(back.Lists, written.Lists);
        QCOMPARE(back.GroupLinks, written.GroupLinks);
        QCOMPARE(back.DtmfNumbers, written.DtmfNumbers);
        QCOMPARE(back.DtmfNames, written.DtmfNames);
        QCOMPARE(back.Contrast, written.Contrast);
        QCOMPARE(QString::fromStdString(back.PowerOnMessage), QString("Rigvane"));
        QCOMPARE(QString::fromStdString(r.sim->Menu["MES"]), QString("Rigvane"));
    }

    void RefusalsShowTheFirstEntryAndCancelStopsAfterTheItem() {
        Rig r;
        r.sim->Menu["ARO"] = "1";
        r.sim->Menu["SV"] = "4";
        r.sim->ForcedAnswers["ARO"] = "?\r";
        r.sim->ForcedAnswers["SV"] = "N\r";
        Thf6aParms d(r.app);
        Child<QCheckBox>(d, "ChkBx_1")->setChecked(true);
        Child<QComboBox>(d, "Cmb_2")->setCurrentIndex(5);
        QVERIFY(d.ReadRadio());
        QVERIFY(!Child<QCheckBox>(d, "ChkBx_1")->isChecked());
        QCOMPARE(Child<QComboBox>(d, "Cmb_2")->currentIndex(), 0);

        int updates = 0;
        r.app.progress.OnUpdate = [&](int, const std::string&) {
            if (++updates == 4) r.app.progress.Cancel = true;
        };
        const size_t before = r.sim->Commands.size();
        QVERIFY(!d.WriteRadio());
        QCOMPARE(r.sim->Commands.size() - before, size_t(4));
    }

    void NoRadioNoWalk() {
        Rig r;
        r.app.link.ClosePort();
        Thf6aParms d(r.app);
        const size_t before = r.sim->Commands.size();
        QVERIFY(!d.ReadRadio());
        QCOMPARE(r.sim->Commands.size(), before);
    }
};

QTEST_MAIN(Thf6aParmsTest)
#include "Thf6aParmsTest.moc"
