// The radio parameters dialog on the offscreen platform: defaults, checks,
// the working copy, and the radio search against rigvane-sim on a
// pseudo-terminal.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include "common/SimTool.h"
#include <deque>
#include <functional>
#include <vector>

#include "common/FakeFamily.h"
#include "core/CodeTables.h"
#include "core/Text.h"
#include "drivers/Registry.h"
#include "engine/App.h"
#include "qt/PortFactory.h"
#include "qt/QtHost.h"
#include "ui/RadioParms.h"

using namespace rigvane;

namespace {

// The Qt host with message boxes and beeps recorded instead of shown.
class TestHost : public QtHost {
  public:
    struct Box {
        std::string Title, Text;
        MsgIcon Icon;
        Answer Default;
    };
    std::vector<Box> Boxes;
    std::deque<Answer> Answers; // for questions; No when empty
    int Beeps = 0;
    std::function<void()> OnYield;

    void Yield() override {
        QtHost::Yield();
        if (OnYield) OnYield();
    }
    void Beep() override { ++Beeps; }
    Answer MessageBox(const std::string& title, const std::string& text, MsgIcon icon,
                      Buttons buttons, Answer defaultButton) override {
        Boxes.push_back({title, text, icon, EffectiveDefault(buttons, defaultButton)});
        if (buttons == Buttons::Ok) return Answer::Ok;
        if (Answers.empty()) return Answer::No;
        const Answer a = Answers.front();
        Answers.pop_front();
        return a;
    }
    QString LastText() const {
        return Boxes.empty() ? "" : QString::fromStdString(Boxes.back().Text);
    }
    QString LastTitle() const {
        return Boxes.empty() ? "" : QString::fromStdString(Boxes.back().Title);
    }
};

struct Fixture {
    QTemporaryDir dir;
    TestHost host;
    App app{host};
    Fixture() {
        app.settings.IniPath = (dir.path() + "/RIGVANE.INI").toStdString();
        app.link.SetPortFactory(MakePortFactory(host));
        for (int i = 0; i < ProfileCount; ++i)
            app.settings.RadioProfiles[size_t(i)].Port = 1;
    }
    RadioProfile& Live(int i) { return app.settings.RadioProfiles[size_t(i)]; }
};

RadioProfile IcomProfile() {
    RadioProfile p;
    p.Name = RadioProfile::FixedWidth20("Base R7000");
    p.Protocol = ProtoIcom;
    p.Port = 1;
    p.Baud = 4;
    p.Addr = 0x08;
    p.CompAddr = 0xE0;
    p.MinChan = 1;
    p.MaxChan = 99;
    p.MaxFreq = 99999900;
    p.MinFreq = 2500000;
    p.Timeout = 60;
    p.Detect = 1;
    return p;
}

template <typename T> T* Child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(name);
    if (!c) qFatal("no control %s", name);
    return c;
}

// Every stored field of two profiles (the run-time words excepted).
bool SameProfile(const RadioProfile& a, const RadioProfile& b) {
    return a.Name == b.Name && a.Baud == b.Baud && a.Bits == b.Bits && a.Stop == b.Stop &&
           a.Port == b.Port && a.Flow == b.Flow && a.Parity == b.Parity && a.Detect == b.Detect &&
           a.Protocol == b.Protocol && a.Addr == b.Addr && a.CompAddr == b.CompAddr &&
           a.MaxChan == b.MaxChan && a.MinChan == b.MinChan && a.VfoChan == b.VfoChan &&
           a.MaxFreq == b.MaxFreq && a.MinFreq == b.MinFreq && a.Timeout == b.Timeout &&
           a.ExpCmd == b.ExpCmd && a.Model == b.Model && a.XtraDly == b.XtraDly &&
           a.Memory == b.Memory && a.Device == b.Device;
}

} // namespace

class RadioParmsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void sameRadioAndComputerAddressIsRefused();
    void okChecksInOrder_data();
    void okChecksInOrder();
    void okCopiesEveryWorkingProfileAndSaves();
    void choosingAProtocolFillsItsDefaults_data();
    void choosingAProtocolFillsItsDefaults();
    void modelRules();
    void showingStoredProfilesChangesNothing();
    void portNoneDisablesTheSerialDetails();
    void hamlibModelsAreFoundChosenAndConfigured();
    void entryFieldsAreTracedAndChecked();
    void cancelAndUndoAskFirst();
    void locateFindsTheSimulatedRadio();
    void locateReportsWhenNothingAnswers();
};

void RadioParmsTest::sameRadioAndComputerAddressIsRefused() {
    Fixture f;
    f.Live(2) = IcomProfile();
    RadioParms dlg(f.app, 2);
    auto* addr = Child<QComboBox>(dlg, "AddrCmb");
    auto* caddr = Child<QComboBox>(dlg, "CAddrCmb");
    QVERIFY(addr->isVisibleTo(&dlg));
    QCOMPARE(addr->currentText(), QString("08"));
    QCOMPARE(caddr->currentText(), QString("E0"));

    addr->setCurrentIndex(0xE0);
    QCOMPARE(f.host.Boxes.size(), size_t(1));
    QCOMPARE(f.host.LastTitle(), QString("Address"));
    QCOMPARE(f.host.LastText(), QString("Computer & Radio Address Cannot be the same!"));
    QCOMPARE(int(f.host.Boxes.back().Icon), int(MsgIcon::Exclamation));
    QCOMPARE(addr->currentText(), QString("08"));
    QCOMPARE(int(dlg.Working(2).Addr), 0x08);

    caddr->setCurrentIndex(0x08);
    QCOMPARE(f.host.Boxes.size(), size_t(2));
    QCOMPARE(caddr->currentText(), QString("E0"));
    QCOMPARE(int(dlg.Working(2).CompAddr), 0xE0);
    QVERIFY(!dlg.Changed());

    addr->setCurrentIndex(0x4A); // a different address is taken
    QCOMPARE(f.host.Boxes.size(), size_t(2));
    QCOMPARE(int(dlg.Working(2).Addr), 0x4A);
    QCOMPARE(int(f.Live(2).Addr), 0x08); // the live profile waits for OK
    QVERIFY(dlg.Changed());
}

void RadioParmsTest::okChecksInOrder_data() {
    QTest::addColumn<QString>("maxChan");
    QTest::addColumn<int>("minChan");
    QTest::addColumn<QString>("maxMhz");
    QTest::addColumn<QString>("minMhz");
    QTest::addColumn<QString>("message");
    QTest::newRow("channels 0 and 0") << "0" << 0 << "0999.99900"
                                      << "0025.00000"
                                      << "Channel Max must be > ORIGIN!";
    QTest::newRow("channels 1 and 1") << "1" << 1 << "0999.99900"
                                      << "0025.00000"
                                      << "Channel Max must be > ORIGIN!";
    QTest::newRow("channel text") << "x" << 0 << "0999.99900"
                                  << "0025.00000"
                                  << "Channel Max must be > ORIGIN!";
    QTest::newRow("min not a number") << "99" << 1 << "0999.99900"
                                      << "abc"
                                      << "Freq Mininum must be between 0 and 9999.9999!";
    QTest::newRow("min too high") << "99" << 1 << "0999.99900"
                                  << "10000"
                                  << "Freq Mininum must be between 0 and 9999.9999!";
    QTest::newRow("min negative") << "99" << 1 << "0999.99900"
                                  << "-1"
                                  << "Freq Mininum must be between 0 and 9999.9999!";
    QTest::newRow("max too high") << "99" << 1 << "9999.5"
                                  << "0025.00000"
                                  << "Freq Maximum must be between 0 and 9999!";
    QTest::newRow("max empty") << "99" << 1 << ""
                               << "0025.00000"
                               << "Freq Maximum must be between 0 and 9999!";
    QTest::newRow("max below min") << "99" << 1 << "0100.00000"
                                   << "0200.00000"
                                   << "Freq Maximum must be greater then Minimum!";
}

void RadioParmsTest::okChecksInOrder() {
    QFETCH(QString, maxChan);
    QFETCH(int, minChan);
    QFETCH(QString, maxMhz);
    QFETCH(QString, minMhz);
    QFETCH(QString, message);
    Fixture f;
    f.Live(0) = IcomProfile();
    const RadioProfile before = f.Live(0);
    RadioParms dlg(f.app, 0);
    dlg.show();
    Child<QLineEdit>(dlg, "EntryTxt_3")->setText(maxChan);
    Child<QComboBox>(dlg, "OrgCmb")->setCurrentIndex(minChan);
    Child<QLineEdit>(dlg, "EntryTxt_1")->setText(maxMhz);
    Child<QLineEdit>(dlg, "EntryTxt_2")->setText(minMhz);
    Child<QPushButton>(dlg, "OKCmd")->click();

    QCOMPARE(f.host.Boxes.size(), size_t(1));
    QCOMPARE(f.host.LastTitle(), QString("Error!"));
    QCOMPARE(f.host.LastText(), message);
    QCOMPARE(int(f.host.Boxes.back().Icon), int(MsgIcon::Critical));
    QVERIFY(dlg.isVisible()); // stays open
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(SameProfile(f.Live(0), before));
    QVERIFY(!QFile::exists(QString::fromStdString(f.app.settings.IniPath)));
}

void RadioParmsTest::okCopiesEveryWorkingProfileAndSaves() {
    Fixture f;
    f.Live(1) = IcomProfile();
    f.Live(5).Protocol = ProtoLocal;
    f.Live(5).Port = 3;
    RadioParms dlg(f.app, 1);
    dlg.show();
    Child<QComboBox>(dlg, "BaudCmb")->setCurrentIndex(5);
    // Another profile edited on the way.
    Child<QComboBox>(dlg, "RadSelCmb")->setCurrentIndex(6);
    Child<QComboBox>(dlg, "ProtoCmb")->setCurrentIndex(ProtoAor8000);
    Child<QComboBox>(dlg, "RadSelCmb")->setCurrentIndex(1);
    // The fields on show are taken by OK even when they were never left.
    Child<QLineEdit>(dlg, "EntryTxt_1")->setText("1300.5");
    Child<QLineEdit>(dlg, "EntryTxt_2")->setText("0.1");
    Child<QLineEdit>(dlg, "EntryTxt_3")->setText(" 250");
    Child<QPushButton>(dlg, "OKCmd")->click();

    QVERIFY(f.host.Boxes.empty());
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(f.Live(1).MaxFreq, 130050000);
    QCOMPARE(f.Live(1).MinFreq, 10000);
    QCOMPARE(int(f.Live(1).MaxChan), 250);
    QCOMPARE(int(f.Live(1).Baud), 5);
    QCOMPARE(int(f.Live(6).Protocol), int(ProtoAor8000));
    // The defaults of the protocol chosen on the way.
    QCOMPARE(f.Live(6).MaxFreq, TextToFreq(CapsFor(ProtoAor8000).Model(0).Serial.MaxMhz));
    QCOMPARE(int(f.Live(5).Port), 0); // a LOCAL profile has no port
    QFile ini(QString::fromStdString(f.app.settings.IniPath));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(ini.readAll());
    QVERIFY(text.contains("MAXFREQ=130050000"));
    QVERIFY(text.contains("PROTOCOL=4"));
}

void RadioParmsTest::choosingAProtocolFillsItsDefaults_data() {
    QTest::addColumn<int>("protocol");
    QTest::addColumn<int>("detect");
    QTest::addColumn<int>("minChan");
    QTest::addColumn<int>("parity");
    QTest::addColumn<QString>("maxMhz");
    QTest::addColumn<QString>("minMhz");
    QTest::addColumn<int>("maxChan");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<QString>(
        "shown"); // a: address combos, m: model, v: VFO channel, x: ext. commands
    // The profile starts as a Drake R8A (model 0) with odd serial settings and parity Odd;
    // every protocol here asks for 9600 baud, 8 bits, 1 stop bit and no flow control.
    QTest::newRow("ICOM") << 1 << 1 << 1 << 0 << "0999.99900"
                          << "0025.00000" << 99 << 90 << "amx";
    // A family with a VFO channel, three models and a parity of its own.
    QTest::newRow("family") << 7 << 2 << 1 << 1 << "0955.99900"
                            << "0029.00000" << 300 << 30 << "mv";
    // No driver yet: the plain defaults.
    QTest::newRow("KENWOOD") << 2 << 0 << 0 << 0 << "1999.99900"
                             << "0000.00010" << 999 << 90 << "";
}

void RadioParmsTest::choosingAProtocolFillsItsDefaults() {
    QFETCH(int, protocol);
    QFETCH(int, detect);
    QFETCH(int, minChan);
    QFETCH(int, parity);
    QFETCH(QString, maxMhz);
    QFETCH(QString, minMhz);
    QFETCH(int, maxChan);
    QFETCH(int, timeout);
    QFETCH(QString, shown);
    Fixture f;
    rigvane::test::FakeFamily family(ProtoBearcat);
    family.caps.VfoChannel = true;
    family.caps.Models.resize(3);
    for (ModelCaps& m : family.caps.Models) {
        m.Serial.Detect = DetectSoftware;
        m.Serial.MinChan = 1;
        m.Serial.Parity = SerialDefaults::KeepParity;
        m.Serial.MaxMhz = "0955.99900";
        m.Serial.MinMhz = "0029.00000";
        m.Serial.MaxChan = 300;
        m.Serial.Timeout = 30;
        m.Serial.VfoChan = 300;
    }
    rigvane::test::AddFamily(f.app.link, family);
    rigvane::test::RemoveFamily(f.app.link, ProtoKenwood); // a family not written yet
    RadioProfile& p = f.Live(4);
    p.Protocol = ProtoDrake;
    p.Model = 0;
    p.Baud = 1;
    p.Bits = 7;
    p.Stop = 2;
    p.Parity = 1;
    p.Flow = true;
    p.Detect = 3;
    p.Addr = 0x30;
    p.CompAddr = 0x31;
    p.Timeout = 600;
    RadioParms dlg(f.app, 4);
    Child<QComboBox>(dlg, "ProtoCmb")->setCurrentIndex(protocol);

    const RadioProfile& w = dlg.Working(4);
    QCOMPARE(int(w.Protocol), protocol);
    QVERIFY(!w.Flow);
    QCOMPARE(int(w.Detect), detect);
    QCOMPARE(int(w.MinChan), minChan);
    QCOMPARE(int(w.Bits), 8);
    QCOMPARE(int(w.Stop), 1);
    QCOMPARE(int(w.Parity), parity);
    QCOMPARE(int(w.MaxChan), maxChan);
    QCOMPARE(int(w.Timeout), timeout);
    // The controls show the new values.
    QCOMPARE(Child<QComboBox>(dlg, "BaudCmb")->currentText(), QString(" 9600"));
    QCOMPARE(Child<QLineEdit>(dlg, "EntryTxt_1")->text(), maxMhz);
    QCOMPARE(Child<QLineEdit>(dlg, "EntryTxt_2")->text(), minMhz);
    QCOMPARE(Child<QLineEdit>(dlg, "EntryTxt_3")->text(), QString::number(maxChan));
    QCOMPARE(Child<QComboBox>(dlg, "TimeoutCmb")->currentText(), QString::number(timeout));
    QVERIFY(!Child<QCheckBox>(dlg, "FlowChk")->isChecked());
    QCOMPARE(Child<QComboBox>(dlg, "DetCmb")->currentIndex(), detect);
    QCOMPARE(Child<QComboBox>(dlg, "ModelCmb")->itemText(0), QString(ModelName(protocol, 0)));
    // The layout of the protocol.
    QCOMPARE(Child<QComboBox>(dlg, "AddrCmb")->isVisibleTo(&dlg), shown.contains('a'));
    QCOMPARE(Child<QComboBox>(dlg, "CAddrCmb")->isVisibleTo(&dlg), shown.contains('a'));
    QCOMPARE(Child<QLabel>(dlg, "AddrLbl")->isVisibleTo(&dlg), shown.contains('a'));
    QCOMPARE(Child<QComboBox>(dlg, "ModelCmb")->isVisibleTo(&dlg), shown.contains('m'));
    QCOMPARE(Child<QComboBox>(dlg, "VFOChanCmb")->isVisibleTo(&dlg), shown.contains('v'));
    QCOMPARE(Child<QCheckBox>(dlg, "ExpCmdChk")->isEnabled(), shown.contains('x'));
    if (shown.contains('a')) {
        QCOMPARE(Child<QComboBox>(dlg, "AddrCmb")->currentText(), QString("08"));
        QCOMPARE(Child<QComboBox>(dlg, "CAddrCmb")->currentText(), QString("00"));
        QCOMPARE(int(w.Model), 0);
    }
    if (shown.contains('v')) {
        QCOMPARE(Child<QComboBox>(dlg, "VFOChanCmb")->currentText(), QString("300"));
        QCOMPARE(int(w.VfoChan), 300);
    }
    QVERIFY(dlg.Changed());
    QVERIFY(f.host.Boxes.empty());
}

void RadioParmsTest::modelRules() {
    Fixture f;
    rigvane::test::RemoveFamily(f.app.link, ProtoKenwood); // a family not written yet
    RadioParms dlg(f.app, 0);
    auto* proto = Child<QComboBox>(dlg, "ProtoCmb");
    auto* model = Child<QComboBox>(dlg, "ModelCmb");

    // LOCAL: no port.
    proto->setCurrentIndex(ProtoIcom);
    proto->setCurrentIndex(ProtoLocal);
    QCOMPARE(int(dlg.Working(0).Port), 0);
    QCOMPARE(Child<QComboBox>(dlg, "PortCmb")->currentText(), QString("(none)"));

    // Protocols no driver serves are marked.
    QCOMPARE(proto->itemText(ProtoIcom), QString("ICOM"));
    QCOMPARE(proto->itemText(ProtoKenwood), QString("KENWOOD (not supported yet)"));

    // A model change sets what sets the model apart from the family's
    // others (here a serial format and a channel count), nothing else.
    rigvane::test::FakeFamily family(ProtoDrake);
    SerialDefaults& first = family.caps.Models[0].Serial;
    first.MaxMhz = "0029.99900";
    first.MaxChan = 439;
    SerialDefaults& second = family.caps.Models[1].Serial;
    second = first;
    second.Flow = true;
    second.Bits = 7;
    second.Parity = 2;
    second.MaxChan = 199;
    rigvane::test::AddFamily(f.app.link, family);
    proto->setCurrentIndex(ProtoDrake);
    QCOMPARE(model->itemText(1), QString("R8"));
    const RadioProfile& w = dlg.Working(0);
    Child<QComboBox>(dlg, "DetCmb")->setCurrentIndex(2);
    model->setCurrentIndex(1);
    QVERIFY(w.Flow);
    QCOMPARE(int(w.Bits), 7);
    QCOMPARE(int(w.Stop), 1);
    QCOMPARE(Child<QComboBox>(dlg, "ParityCmb")->currentText(), QString("Even"));
    QCOMPARE(Child<QLineEdit>(dlg, "EntryTxt_3")->text(), QString("199"));
    QCOMPARE(int(w.Detect), 2); // the same for every model: left as chosen
    model->setCurrentIndex(0);
    QVERIFY(!w.Flow);
    QCOMPARE(int(w.Bits), 8);
    QCOMPARE(Child<QComboBox>(dlg, "ParityCmb")->currentText(), QString("None"));
    QCOMPARE(int(w.MaxChan), 439);
    model->setCurrentIndex(1);
    proto->setCurrentIndex(ProtoKenwood);
    proto->setCurrentIndex(ProtoDrake); // the model is kept, and with it its settings
    QCOMPARE(int(w.Model), 1);
    QVERIFY(w.Flow);
    QCOMPARE(int(w.Bits), 7);
    QCOMPARE(int(w.Parity), 2);
    QCOMPARE(int(w.MaxChan), 199);

    // ICOM starts at its first model.
    proto->setCurrentIndex(ProtoIcom);
    QCOMPARE(int(w.Model), 0);
}

void RadioParmsTest::showingStoredProfilesChangesNothing() {
    Fixture f;
    RadioProfile odd = IcomProfile();
    odd.Baud = 2;
    odd.Bits = 7;
    odd.Stop = 2;
    odd.Parity = 3;
    odd.Flow = true;
    odd.Detect = 3;
    odd.Addr = 0x4A;
    odd.CompAddr = 0x01;
    odd.MaxFreq = 123456789;
    odd.MinFreq = 10;
    odd.MaxChan = 7;
    odd.MinChan = 0;
    odd.Timeout = 45; // not in the list
    odd.Model = 3;
    odd.VfoChan = 0;
    odd.ExpCmd = true;
    odd.XtraDly = true;
    odd.Device = "/dev/ttyUSB1";
    f.Live(3) = odd;
    RadioProfile bearcat;
    bearcat.Name = RadioProfile::FixedWidth20("Scanner");
    bearcat.Protocol = ProtoBearcat;
    bearcat.Port = 2;
    bearcat.Timeout = 600;
    bearcat.VfoChan = 17;
    bearcat.Model = 2;
    f.Live(7) = bearcat;
    std::array<RadioProfile, ProfileCount + 1> before = f.app.settings.RadioProfiles;

    RadioParms dlg(f.app, 3);
    QVERIFY(SameProfile(dlg.Working(3), odd));
    QCOMPARE(Child<QComboBox>(dlg, "RadSelCmb")->currentText(), QString("Base R7000"));
    QCOMPARE(Child<QLineEdit>(dlg, "EntryTxt_0")->text(), QString("Base R7000"));
    QCOMPARE(Child<QLineEdit>(dlg, "EntryTxt_1")->text(), QString("1234.56789"));
    QCOMPARE(Child<QLineEdit>(dlg, "EntryTxt_2")->text(), QString("0000.00010"));
    QCOMPARE(Child<QComboBox>(dlg, "BaudCmb")->currentText(), QString(" 2400"));
    QCOMPARE(Child<QComboBox>(dlg, "ParityCmb")->currentText(), QString("Mark"));
    QCOMPARE(Child<QComboBox>(dlg, "TimeoutCmb")->currentText(), QString("45"));
    QCOMPARE(Child<QComboBox>(dlg, "AddrCmb")->currentText(), QString("4A"));
    QCOMPARE(Child<QComboBox>(dlg, "ModelCmb")->currentText(), QString("ICOM R9000"));
    QCOMPARE(Child<QComboBox>(dlg, "DetCmb")->currentText(), QString("Both"));
    QCOMPARE(Child<QComboBox>(dlg, "DeviceCmb")->currentText(), QString("/dev/ttyUSB1"));

    auto* sel = Child<QComboBox>(dlg, "RadSelCmb");
    sel->setCurrentIndex(7);
    QCOMPARE(Child<QComboBox>(dlg, "VFOChanCmb")->currentText(), QString("17"));
    QCOMPARE(Child<QComboBox>(dlg, "TimeoutCmb")->currentText(), QString("600"));
    QCOMPARE(Child<QComboBox>(dlg, "ModelCmb")->currentText(), QString("BC895XLT"));
    sel->setCurrentIndex(0);
    sel->setCurrentIndex(3);
    for (int i = 0; i < ProfileCount; ++i)
        QVERIFY2(SameProfile(dlg.Working(i), before[size_t(i)]), qPrintable(QString::number(i)));
    QVERIFY(!dlg.Changed());

    // Undo and Cancel without changes leave everything as it was too.
    f.host.Answers = {Answer::Yes};
    Child<QPushButton>(dlg, "UndoCmd")->click();
    QVERIFY(SameProfile(dlg.Working(3), odd));
    dlg.show();
    Child<QPushButton>(dlg, "CanCmd")->click();
    QVERIFY(!dlg.isVisible());
    for (int i = 0; i < ProfileCount; ++i)
        QVERIFY(SameProfile(f.Live(i), before[size_t(i)]));
}

void RadioParmsTest::hamlibModelsAreFoundChosenAndConfigured() {
    Fixture f;
    f.Live(0) = IcomProfile();
    RadioParms dlg(f.app, 0);
    dlg.show();
    auto* frame = Child<QWidget>(dlg, "HamlibFrame");
    QVERIFY(!frame->isVisible());
    Child<QComboBox>(dlg, "ProtoCmb")->setCurrentIndex(ProtoHamlib);
    QVERIFY(frame->isVisible());
    QVERIFY(!Child<QPushButton>(dlg, "TestBut")->isEnabled()); // Hamlib finds no radio by probing
    QVERIFY(!Child<QComboBox>(dlg, "PortCmb")->isEnabled());
    QVERIFY(!Child<QComboBox>(dlg, "BaudCmb")->isEnabled()); // Hamlib's own settings
    QVERIFY(Child<QComboBox>(dlg, "DetCmb")->isEnabled());

    // No model yet: OK says so and stores nothing.
    Child<QPushButton>(dlg, "OKCmd")->click();
    QCOMPARE(f.host.LastText(), QString("Choose the radio's model in the Hamlib list!"));
    QCOMPARE(f.Live(0).Protocol, uint8_t(ProtoIcom));

    // Finding by words of the manufacturer, model and number.
    auto* list = Child<QTreeWidget>(dlg, "HamlibModelList");
    QVERIFY(list->topLevelItemCount() > 200);
    Child<QLineEdit>(dlg, "HamlibFindTxt")->setText("icom 8500");
    QTreeWidgetItem* r8500 = nullptr;
    int shown = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (item->isHidden()) continue;
        ++shown;
        QVERIFY(item->text(1).contains("8500"));
        if (item->text(3) == "3042") r8500 = item;
    }
    QVERIFY(shown >= 1 && shown < 5);
    QVERIFY(r8500);
    list->setCurrentItem(r8500);
    QCOMPARE(dlg.Working(0).HamlibModel, 3042);
    // The model's memories and receive range become the profile's limits.
    QCOMPARE(Child<QLineEdit>(dlg, "EntryTxt_3")->text(), QString("999"));
    QVERIFY(dlg.Working(0).MaxFreq > 100000000);

    auto* conf = Child<QLineEdit>(dlg, "HamlibConfTxt");
    conf->setText("rig_pathname=/dev/ttyUSB0,serial_speed=19200");
    Q_EMIT conf->textEdited(conf->text());
    Child<QPushButton>(dlg, "OKCmd")->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(f.Live(0).Protocol, uint8_t(ProtoHamlib));
    QCOMPARE(f.Live(0).HamlibModel, 3042);
    QCOMPARE(f.Live(0).HamlibConf, std::string("rig_pathname=/dev/ttyUSB0,serial_speed=19200"));

    // Shown again, the stored model is the chosen row.
    RadioParms again(f.app, 0);
    auto* list2 = Child<QTreeWidget>(again, "HamlibModelList");
    QVERIFY(list2->currentItem());
    QCOMPARE(list2->currentItem()->text(3), QString("3042"));
    QCOMPARE(Child<QLineEdit>(again, "HamlibConfTxt")->text(),
             QString("rig_pathname=/dev/ttyUSB0,serial_speed=19200"));
}

void RadioParmsTest::portNoneDisablesTheSerialDetails() {
    Fixture f;
    f.Live(0) = IcomProfile();
    RadioParms dlg(f.app, 0);
    auto details = [&](bool enabled) {
        for (const char* name : {"DetCmb", "FlowChk", "StopCmb", "ParityCmb", "BitsCmb", "BaudCmb"})
            QVERIFY2(Child<QWidget>(dlg, name)->isEnabled() == enabled, name);
    };
    details(true);
    Child<QComboBox>(dlg, "PortCmb")->setCurrentIndex(0);
    QCOMPARE(int(dlg.Working(0).Port), 0);
    details(false);
    // A device of its own is a port as well.
    Child<QComboBox>(dlg, "DeviceCmb")->setEditText("/dev/ttyUSB0");
    QCOMPARE(dlg.Working(0).Device, std::string("/dev/ttyUSB0"));
    details(true);
    Child<QComboBox>(dlg, "DeviceCmb")->setEditText("");
    details(false);
    Child<QComboBox>(dlg, "PortCmb")->setCurrentIndex(2);
    details(true);
}

void RadioParmsTest::entryFieldsAreTracedAndChecked() {
    Fixture f;
    f.Live(0) = IcomProfile();
    f.app.link.TraceDir = f.dir.path().toStdString();
    QVERIFY(f.app.link.OpenDebugKeyFile());
    RadioParms dlg(f.app, 0);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    auto* maxFreq = Child<QLineEdit>(dlg, "EntryTxt_1");
    auto* maxChan = Child<QLineEdit>(dlg, "EntryTxt_3");
    auto* name = Child<QLineEdit>(dlg, "EntryTxt_0");

    auto typeAndLeave = [&](QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        name->setFocus();
        QCoreApplication::processEvents();
    };
    typeAndLeave(maxFreq, "145.5");
    QCOMPARE(maxFreq->text(), QString("0145.50000"));
    QCOMPARE(dlg.Working(0).MaxFreq, 14550000);
    QVERIFY(f.host.Boxes.empty());

    typeAndLeave(maxFreq, "10000");
    QCOMPARE(f.host.Beeps, 1);
    QCOMPARE(f.host.LastTitle(), QString(" entry error"));
    QCOMPARE(f.host.LastText(), QString("entry must be between 0 and 9999"));
    QCOMPARE(dlg.Working(0).MaxFreq, 14550000); // the last good value stays

    typeAndLeave(maxChan, "1000");
    QCOMPARE(f.host.Beeps, 2);
    QCOMPARE(f.host.LastText(), QString("entry must be between 0 and 999"));
    typeAndLeave(maxChan, "500");
    QCOMPARE(int(dlg.Working(0).MaxChan), 500);
    QCOMPARE(f.host.Beeps, 2);

    typeAndLeave(name, "Shack");
    QCOMPARE(dlg.Working(0).Name, RadioProfile::FixedWidth20("Shack"));
    QCOMPARE(Child<QComboBox>(dlg, "RadSelCmb")->itemText(0), QString("Shack"));

    f.app.link.CloseDebugKeyFile();
    QFile trace(f.dir.path() + "/DEBUGKEY.DAT");
    QVERIFY(trace.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(trace.readAll());
    QVERIFY(text.contains("Enter Radio Parm field 1\r\n 3134352E35\r\n"));
    QVERIFY(text.contains("Enter Radio Parm field 3"));
    QVERIFY(text.contains("Enter Radio Parm field 0"));
    QVERIFY(!text.contains("Enter Radio Parm field 2"));
}

void RadioParmsTest::cancelAndUndoAskFirst() {
    Fixture f;
    f.Live(0) = IcomProfile();
    RadioParms dlg(f.app, 0);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    Child<QComboBox>(dlg, "BaudCmb")->setCurrentIndex(6);

    // Undo: No keeps the change, Yes reloads from the live table.
    f.host.Answers = {Answer::No};
    Child<QPushButton>(dlg, "UndoCmd")->click();
    QCOMPARE(f.host.LastTitle(), QString("Undo"));
    QCOMPARE(f.host.LastText(), QString("Loose changes?"));
    QCOMPARE(f.host.Boxes.back().Default, Answer::No); // Enter keeps the edits
    QCOMPARE(int(dlg.Working(0).Baud), 6);
    f.host.Answers = {Answer::Yes};
    Child<QPushButton>(dlg, "UndoCmd")->click();
    QCOMPARE(int(dlg.Working(0).Baud), 4);
    QCOMPARE(Child<QComboBox>(dlg, "BaudCmb")->currentText(), QString(" 9600"));
    QVERIFY(!dlg.Changed());

    // Cancel (button, Escape) with changes: No stays, Yes leaves without saving.
    Child<QComboBox>(dlg, "BaudCmb")->setCurrentIndex(6);
    f.host.Answers = {Answer::No};
    Child<QPushButton>(dlg, "CanCmd")->click();
    QCOMPARE(f.host.LastTitle(), QString("Exit"));
    QCOMPARE(f.host.LastText(), QString("Exit and Loose changes?"));
    QVERIFY(dlg.isVisible());
    f.host.Answers = {Answer::No};
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(dlg.isVisible());
    const size_t asked = f.host.Boxes.size();
    f.host.Answers = {Answer::Yes};
    dlg.close();
    QCOMPARE(f.host.Boxes.size(), asked + 1);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(int(f.Live(0).Baud), 4);
    QVERIFY(!QFile::exists(QString::fromStdString(f.app.settings.IniPath)));
}

void RadioParmsTest::locateFindsTheSimulatedRadio() {
    SimTool sim;
    if (!sim.Start({"--radio", "icom-r7000", "--addr", "4A"})) QSKIP("rigvane-sim not available");
    Fixture f;
    RadioProfile p = IcomProfile();
    p.Device = sim.Pty.toStdString();
    p.Baud = 5;
    p.Addr = 0x48; // close below the radio's 4A, so the walk stays short
    p.Timeout = 300;
    f.Live(1) = p;
    f.Live(0).Protocol = ProtoLocal;
    const auto before = f.app.settings.RadioProfiles;
    RadioParms dlg(f.app, 1);
    dlg.show();

    // What the dialog shows while it searches.
    QStringList walk;
    auto* addr = Child<QComboBox>(dlg, "AddrCmb");
    auto* baud = Child<QComboBox>(dlg, "BaudCmb");
    f.host.OnYield = [&] {
        if (!f.app.link.LocatingRadio) return;
        const QString step = baud->currentText().trimmed() + "/" + addr->currentText();
        if (walk.isEmpty() || walk.back() != step) walk << step;
    };
    Child<QPushButton>(dlg, "TestBut")->click();
    f.host.OnYield = nullptr;

    QCOMPARE(walk, QStringList({"19200/48", "19200/49", "19200/4A"}));
    QCOMPARE(f.host.LastTitle(), QString("Locate"));
    const RadioProfile& w = dlg.Working(1);
    QCOMPARE(int(w.Addr), 0x4A);
    QCOMPARE(int(w.Baud), 5);
    QCOMPARE(int(w.CompAddr), 0);
    QCOMPARE(w.Device, p.Device);
    QCOMPARE(Child<QComboBox>(dlg, "TimeoutCmb")->currentText(), QString::number(w.Timeout));
    QCOMPARE(addr->currentText(), QString("4A"));
    QVERIFY(!f.app.link.LocatingRadio);
    QVERIFY(dlg.Changed());
    QVERIFY(Child<QPushButton>(dlg, "OKCmd")->isEnabled());
    for (int i = 0; i < ProfileCount; ++i)
        QVERIFY(SameProfile(f.Live(i), before[size_t(i)]));

    // OK makes the found settings live.
    Child<QPushButton>(dlg, "OKCmd")->click();
    QCOMPARE(int(f.Live(1).Addr), 0x4A);
    QCOMPARE(int(f.Live(1).CompAddr), 0);
}

void RadioParmsTest::locateReportsWhenNothingAnswers() {
    SimTool sim;
    if (!sim.Start({"--radio", "icom-r7000", "--addr", "4A"})) QSKIP("rigvane-sim not available");
    Fixture f;
    RadioProfile p = IcomProfile();
    p.Device = sim.Pty.toStdString();
    p.Baud = 6;
    p.Addr = 0xFE; // the last two addresses at the last speed: nothing there answers
    f.Live(2) = p;
    f.Live(0).Protocol = ProtoLocal;
    const auto before = f.app.settings.RadioProfiles;
    RadioParms dlg(f.app, 2);
    dlg.show();
    dlg.Locate_Radio();

    QCOMPARE(f.host.LastTitle(), QString("Locate Failure"));
    QVERIFY(SameProfile(dlg.Working(2), p));
    QCOMPARE(Child<QComboBox>(dlg, "AddrCmb")->currentText(), QString("FE"));
    QCOMPARE(Child<QComboBox>(dlg, "TimeoutCmb")->currentText(), QString("60"));
    for (int i = 0; i < ProfileCount; ++i)
        QVERIFY(SameProfile(f.Live(i), before[size_t(i)]));
    QVERIFY(!f.app.link.LocatingRadio);
    QVERIFY(!dlg.Changed());
    QVERIFY(Child<QWidget>(dlg, "ParmsBody")->isEnabled());
}

QTEST_MAIN(RadioParmsTest)
#include "RadioParmsTest.moc"
