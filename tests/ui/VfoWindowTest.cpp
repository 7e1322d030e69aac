// The VFO windows: digit stepping with wrap and auto-repeat, the entry fields,
// the list rules, the set-up for every protocol, the active marker, and edits
// that reach a simulated ICOM radio through the engine on a virtual clock.
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>
#include <random>

#include "core/CodeTables.h"
#include "core/SimHost.h"
#include "engine/App.h"
#include "engine/Engine.h"
#include "link/SimulatedPort.h"
#include "sim/Catalog.h"
#include "sim/IcomRadio.h"
#include "sim/SimPeer.h"
#include "ui/DisplayFont.h"
#include "ui/VfoWindow.h"

using namespace rigvane;

namespace {

// Forwards the engine's redraws to the two windows, as the main window does.
struct VfoView : EngineView {
    std::array<VfoWindow*, 2> Windows{};
    App* Owner = nullptr;
    void DisplayVfo() override {
        if (VfoWindow* w = Windows[Owner->radioState.ActiveVfo & 1]) w->Display_VFO();
    }
    void ActiveVfoChanged() override {
        for (VfoWindow* w : Windows)
            if (w) w->DISPLAY_ACTIVE();
    }
};

// The program's state over a virtual clock, an engine, and (for ICOM) a
// simulated R8500 on an in-process port.
struct Rig {
    explicit Rig(uint8_t protocol = ProtoLocal, uint8_t model = 0) {
        RadioProfile& p = app.settings.Selected();
        p.Protocol = protocol;
        p.Model = model;
        if (protocol == ProtoIcom) {
            std::string error;
            peer = std::make_shared<SimPeer>(MakeSimRadio("icom-r8500", &error));
            sim = dynamic_cast<IcomRadio*>(&peer->Radio());
            p.Model = 2;
            p.Addr = sim->Address;
            p.CompAddr = 0xE0;
            p.Device = "sim:icom-r8500";
            p.Timeout = 30;
            p.MinFreq = 0;
            app.link.SetPortFactory([this](const std::string&) -> std::unique_ptr<SerialPort> {
                return std::make_unique<SimulatedPort>(host, peer);
            });
            app.radio.OpenRadio();
        }
        view.Owner = &app;
        engine.SetView(&view);
        for (int i = 0; i < 2; ++i) {
            app.radioState.Vfo[i].Frequency = 14550000;
            app.radioState.Vfo[i].Step = 500;
            app.radioState.Vfo[i].Mode = 1;
        }
    }
    VfoWindow& Open(int index) {
        windows[index] = std::make_unique<VfoWindow>(app, engine, index);
        view.Windows[index] = windows[index].get();
        return *windows[index];
    }
    // Runs loop passes until the engine is back in Manual with nothing suspended.
    void Settle() {
        for (int i = 0; i < 10 && (engine.State().Mode != ModeManual ||
                                   engine.State().StackTop >= 0 || i == 0);
             ++i)
            engine.RunPass();
    }
    int FrequencySets() const {
        int n = 0;
        for (const std::string& c : sim->Commands)
            n += !c.empty() && (uint8_t(c[0]) == 0x05 || uint8_t(c[0]) == 0x00);
        return n;
    }

    SimHost host;
    App app{host};
    Engine engine{app};
    VfoView view;
    std::shared_ptr<SimPeer> peer;
    IcomRadio* sim = nullptr;
    std::array<std::unique_ptr<VfoWindow>, 2> windows;
};

QString Digits(VfoWindow& w, int first) {
    QString s;
    for (int i = first; i < first + 9; ++i)
        s += w.VFODigit(i)->text();
    return s;
}

void Click(QWidget* w, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(w, button);
    QTest::mouseRelease(w, button);
}

void Focus(QWidget& window, QLineEdit* field) {
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    field->setFocus(Qt::MouseFocusReason);
    QVERIFY(field->hasFocus());
}

} // namespace

class VfoWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() { RegisterDisplayFont(); }
    void upOnTheInactiveVfoChangesOnlyItsCopy();
    void editsOfTheActiveVfoTuneTheRadio();
    void digitsStepWrapAndRepeat();
    void entryKeys();
    void entryLeavingChecksTheValue();
    void listRules();
    void dropDownStopsTheDisplay();
    void setUpForEveryProtocol();
    void setUpLists();
    void activeMarkerAndSwap();
    void placementAndFace();
};

void VfoWindowTest::upOnTheInactiveVfoChangesOnlyItsCopy() {
    Rig rig(ProtoIcom);
    rig.Settle();
    const int64_t tuned = rig.sim->FrequencyHz;
    const int sets = rig.FrequencySets();
    VfoWindow& b = rig.Open(1); // A is active
    QCOMPARE(Digits(b, 11), QString("014550000"));

    Click(b.VFOScrlBut(0));
    QCOMPARE(rig.app.radioState.Vfo[1].Frequency, 14550500);
    QCOMPARE(Digits(b, 11), QString("014550500"));
    QCOMPARE(rig.app.radioState.Vfo[0].Frequency, 14550000);
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeManual));
    QCOMPARE(rig.engine.State().StackTop, int16_t(-1));
    rig.Settle();
    QCOMPARE(rig.sim->FrequencyHz, tuned);
    QCOMPARE(rig.FrequencySets(), sets);
    QCOMPARE(rig.app.radioState.Vfo[1].Frequency, 14550500);
}

void VfoWindowTest::editsOfTheActiveVfoTuneTheRadio() {
    Rig rig(ProtoIcom);
    VfoWindow& a = rig.Open(0);
    rig.app.radioState.Current = rig.app.radioState.Vfo[0];
    rig.Settle();

    // "Up": the edit goes through mode 12; the copy changes when the engine
    // has applied it, and the search direction follows the button.
    rig.engine.State().SearchDirection = -1;
    Click(a.VFOScrlBut(0));
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeVfoRecall));
    QCOMPARE(rig.engine.State().RequestedState.Frequency, 14550500);
    QCOMPARE(rig.engine.State().SearchDirection, int16_t(1));
    rig.Settle();
    QCOMPARE(rig.sim->FrequencyHz, int64_t(145505000));
    QCOMPARE(rig.app.radioState.Vfo[0].Frequency, 14550500);
    QCOMPARE(Digits(a, 11), QString("014550500"));

    // Typing 145.5 and leaving the field.
    Focus(a, a.EntryTxt(0));
    QCOMPARE(a.EntryTxt(0)->text(), QString()); // the prompt gave way
    QTest::keyClicks(a.EntryTxt(0), "145.5");
    QCOMPARE(a.EntryTxt(0)->text(), QString("145.5"));
    QTest::keyClick(a.EntryTxt(0), Qt::Key_Return); // focus to the step field
    QVERIFY(a.EntryTxt(1)->hasFocus());
    QCOMPARE(a.EntryTxt(0)->text(), QString());
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeVfoRecall));
    rig.Settle();
    QCOMPARE(rig.app.radioState.Current.Frequency, 14550000);
    QCOMPARE(rig.sim->FrequencyHz, int64_t(145500000));
    QCOMPARE(Digits(a, 11), QString("014550000"));

    // A step digit changes the copy and the tuning state at once, no mode.
    QTest::mousePress(a.VFODigit(7), Qt::LeftButton);
    QTest::mouseRelease(a.VFODigit(7), Qt::LeftButton);
    QCOMPARE(rig.app.radioState.Vfo[0].Step, 600);
    QCOMPARE(rig.app.radioState.Current.Step, 600);
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeManual));

    // A digit's right button turns the search downwards.
    QTest::mousePress(a.VFODigit(15), Qt::RightButton);
    QTest::mouseRelease(a.VFODigit(15), Qt::RightButton);
    QCOMPARE(rig.engine.State().SearchDirection, int16_t(-1));
    QCOMPARE(rig.engine.State().RequestedState.Frequency, 14540000);
    rig.Settle();
    QCOMPARE(rig.sim->FrequencyHz, int64_t(145400000));

    // The modulation list: AM (4) on the radio.
    Q_EMIT a.VFOModeCmb()->activated(4);
    rig.Settle();
    QCOMPARE(rig.app.radioState.Vfo[0].Mode, uint8_t(4));
    QCOMPARE(rig.sim->ModeByte, uint8_t(0x02));
    QCOMPARE(a.VFOModeCmb()->currentIndex(), 4);
}

void VfoWindowTest::digitsStepWrapAndRepeat() {
    Rig rig;
    VfoWindow& b = rig.Open(1);
    Channel& copy = rig.app.radioState.Vfo[1];

    // Right button on the first step digit: 0 - 1 wraps to 9.
    QCOMPARE(Digits(b, 1), QString("000000500"));
    QTest::mousePress(b.VFODigit(1), Qt::RightButton);
    QTest::mouseRelease(b.VFODigit(1), Qt::RightButton);
    QCOMPARE(copy.Step, 900000500);
    QCOMPARE(Digits(b, 1), QString("900000500"));
    // Left button: 9 + 1 wraps to 0.
    Click(b.VFODigit(1));
    QCOMPARE(copy.Step, 500);

    // Frequency digits: the third digit (tens of MHz) up and down.
    Click(b.VFODigit(13));
    QCOMPARE(copy.Frequency, 15550000);
    QTest::mousePress(b.VFODigit(13), Qt::MiddleButton);
    QTest::mouseRelease(b.VFODigit(13), Qt::MiddleButton);
    QCOMPARE(copy.Frequency, 14550000);

    // Up past the top wraps to 0, Dn below 0 wraps to the top.
    copy.Frequency = 999999999;
    b.Display_VFO();
    Click(b.VFOScrlBut(0));
    QCOMPARE(copy.Frequency, 0);
    QCOMPARE(Digits(b, 11), QString("000000000"));
    Click(b.VFOScrlBut(10));
    QCOMPARE(copy.Frequency, 999999999);
    QCOMPARE(Digits(b, 11), QString("999999999"));

    // Holding "Up": one step at once, one after 500 ms, then every 100 ms.
    copy.Frequency = 14550000;
    QTest::mousePress(b.VFOScrlBut(0), Qt::LeftButton);
    QCOMPARE(copy.Frequency, 14550500);
    rig.host.Advance(499);
    QCOMPARE(copy.Frequency, 14550500);
    rig.host.Advance(1);
    QCOMPARE(copy.Frequency, 14551000);
    rig.host.Advance(300);
    QCOMPARE(copy.Frequency, 14552500);
    QTest::mouseRelease(b.VFOScrlBut(0), Qt::LeftButton);
    rig.host.Advance(1000);
    QCOMPARE(copy.Frequency, 14552500);

    // A held digit repeats in its own direction; hiding the window stops it.
    b.show();
    QTest::mousePress(b.VFODigit(19), Qt::RightButton);
    QCOMPARE(copy.Frequency, 14552509);
    rig.host.Advance(600);
    QCOMPARE(copy.Frequency, 14552507);
    b.hide();
    rig.host.Advance(1000);
    QCOMPARE(copy.Frequency, 14552507);

    // The point labels and arguments out of range do nothing.
    Click(b.VFODigit(20));
    Click(b.VFODigit(10));
    b.StepVfo(20);
    b.StepVfo(-1);
    QCOMPARE(copy.Frequency, 14552507);
    QCOMPARE(copy.Step, 500);
}

void VfoWindowTest::entryKeys() {
    Rig rig;
    VfoWindow& b = rig.Open(1);
    QLineEdit* freq = b.EntryTxt(0);
    QCOMPARE(freq->text(), QString("Enter Freq"));
    QCOMPARE(b.EntryTxt(1)->text(), QString("Enter Step"));
    Focus(b, freq);

    QTest::keyClicks(freq, "12.5");
    QCOMPARE(rig.host.Beeps, 0);
    QTest::keyClick(freq, Qt::Key_Period); // a second point
    QCOMPARE(rig.host.Beeps, 1);
    QTest::keyClicks(freq, "a-+ ,");
    QCOMPARE(rig.host.Beeps, 6);
    QCOMPARE(freq->text(), QString("12.5"));
    QTest::keyClick(freq, Qt::Key_V, Qt::ControlModifier); // no paste around the rules
    QCOMPARE(freq->text(), QString("12.5"));
    QTest::keyClick(freq, Qt::Key_Backspace);
    QCOMPARE(freq->text(), QString());
    QTest::keyClicks(freq, "7");
    QTest::keyClick(freq, Qt::Key_Escape);
    QCOMPARE(freq->text(), QString());

    // Enter moves between the two fields.
    QTest::keyClick(freq, Qt::Key_Enter);
    QVERIFY(b.EntryTxt(1)->hasFocus());
    QTest::keyClick(b.EntryTxt(1), Qt::Key_Return);
    QVERIFY(freq->hasFocus());

    // Whatever is typed, nothing breaks and the field holds only digits and
    // at most one point.
    std::mt19937 random(7);
    const int keys[] = {Qt::Key_A,      Qt::Key_0,      Qt::Key_9,     Qt::Key_Period,
                        Qt::Key_Return, Qt::Key_Escape, Qt::Key_Tab,   Qt::Key_Backspace,
                        Qt::Key_Delete, Qt::Key_F1,     Qt::Key_Space, Qt::Key_Minus,
                        Qt::Key_Left,   Qt::Key_Home,   Qt::Key_Comma, Qt::Key_5};
    for (int i = 0; i < 400; ++i) {
        // Keys go to whichever field has the focus (Tab may take it elsewhere).
        QWidget* target = b.EntryTxt(1)->hasFocus() ? b.EntryTxt(1) : freq;
        if (!target->hasFocus()) target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, Qt::Key(keys[random() % std::size(keys)]));
        for (int f = 0; f < 2; ++f) {
            const QString t = b.EntryTxt(f)->text();
            QVERIFY2(t.count('.') <= 1, qPrintable(t));
            for (QChar c : t)
                QVERIFY2(c.isDigit() || c == '.', qPrintable(t));
        }
    }
    const Channel& copy = rig.app.radioState.Vfo[1];
    QVERIFY(copy.Frequency >= 0 && copy.Frequency <= 999999999);
}

void VfoWindowTest::entryLeavingChecksTheValue() {
    Rig rig;
    VfoWindow& b = rig.Open(1);
    const Channel& copy = rig.app.radioState.Vfo[1];
    QLineEdit* freq = b.EntryTxt(0);
    QLineEdit* step = b.EntryTxt(1);

    // Leaving the untouched prompts changes nothing.
    Focus(b, freq);
    freq->setText("Enter Freq");
    step->setFocus(Qt::TabFocusReason);
    QCOMPARE(copy.Frequency, 14550000);

    // Above 9999.99999 MHz: a beep and the focus stays with the text.
    freq->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(freq, "12345");
    step->setFocus(Qt::TabFocusReason);
    QCOMPARE(rig.host.Beeps, 1);
    QVERIFY(freq->hasFocus());
    QCOMPARE(freq->text(), QString("12345"));
    QCOMPARE(copy.Frequency, 14550000);
    // A text that is no frequency (leading zeros past four digits) likewise.
    freq->setText("00001");
    step->setFocus(Qt::TabFocusReason);
    QCOMPARE(rig.host.Beeps, 2);
    QVERIFY(freq->hasFocus());

    // The inactive VFO takes the value into its copy only.
    freq->setText("0.5");
    step->setFocus(Qt::TabFocusReason);
    QCOMPARE(copy.Frequency, 50000);
    QCOMPARE(Digits(b, 11), QString("000050000"));
    QCOMPARE(freq->text(), QString());
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeManual));

    // The step field: 0.0125 MHz is a step of 1250.
    QTest::keyClicks(step, ".0125");
    freq->setFocus(Qt::TabFocusReason);
    QCOMPARE(copy.Step, 1250);
    QCOMPARE(Digits(b, 1), QString("000001250"));
    QCOMPARE(step->text(), QString());
    QCOMPARE(rig.app.radioState.Current.Step, 500); // not the active VFO

    // An empty field does nothing; a switch to another window is not leaving.
    step->setFocus(Qt::TabFocusReason);
    freq->setFocus(Qt::TabFocusReason);
    QCOMPARE(copy.Step, 1250);
    QCOMPARE(rig.host.Beeps, 2);
}

void VfoWindowTest::listRules() {
    for (uint8_t protocol : {ProtoIcom, ProtoThf6a}) {
        Rig rig(ProtoLocal);
        rig.app.settings.Selected().Protocol = protocol;
        VfoWindow& b = rig.Open(1);
        Channel& copy = rig.app.radioState.Vfo[1];
        const bool thf6a = protocol == ProtoThf6a;

        // Bandwidth index 2 while Mode is 1: Mode 2 (not on the TH-F6A, whose
        // list holds repeater offsets).
        copy.Mode = 1;
        Q_EMIT b.VFOAuxCmb(4)->activated(2);
        QCOMPARE(copy.Bandwidth, uint8_t(2));
        QCOMPARE(copy.Mode, uint8_t(thf6a ? 1 : 2));
        if (!thf6a) {
            Q_EMIT b.VFOAuxCmb(4)->activated(3);
            QCOMPARE(copy.Mode, uint8_t(1));
            Q_EMIT b.VFOAuxCmb(4)->activated(0);
            QCOMPARE(copy.Mode, uint8_t(3));
            Q_EMIT b.VFOAuxCmb(4)->activated(6);
            QCOMPARE(copy.Mode, uint8_t(3));
            copy.Mode = 5; // outside 1..3: the mode stays
            Q_EMIT b.VFOAuxCmb(4)->activated(1);
            QCOMPARE(copy.Mode, uint8_t(5));
        }

        // The modulation chooses the bandwidth for modes 1..3 (but not the
        // TH-F6A's offset).
        copy.Bandwidth = 6;
        Q_EMIT b.VFOModeCmb()->activated(1);
        QCOMPARE(copy.Mode, uint8_t(1));
        QCOMPARE(copy.Bandwidth, uint8_t(thf6a ? 6 : 2));
        Q_EMIT b.VFOModeCmb()->activated(2);
        QCOMPARE(copy.Bandwidth, uint8_t(thf6a ? 6 : 0));
        Q_EMIT b.VFOModeCmb()->activated(3);
        QCOMPARE(copy.Bandwidth, uint8_t(thf6a ? 6 : 4));
        Q_EMIT b.VFOModeCmb()->activated(7);
        QCOMPARE(copy.Mode, uint8_t(7));
        QCOMPARE(copy.Bandwidth, uint8_t(thf6a ? 6 : 4));
    }

    // Check boxes, lists and "Trunked Freq" edit their own fields.
    Rig rig;
    VfoWindow& b = rig.Open(1);
    Channel& copy = rig.app.radioState.Vfo[1];
    b.show();
    const std::array<bool Channel::*, 6> flags = {&Channel::Notch,   &Channel::Sync,
                                                  &Channel::Preamp,  &Channel::Tone2On,
                                                  &Channel::Tone3On, &Channel::Atten};
    for (int i = 0; i < 6; ++i) {
        if (i == 4) continue; // hidden
        QTest::mouseClick(b.VFOAuxChk(i), Qt::LeftButton);
        QVERIFY2(copy.*flags[i], qPrintable(QString::number(i)));
    }
    const std::array<uint8_t Channel::*, 7> codes = {
        &Channel::Tone1,     &Channel::Agc,   &Channel::Antenna, &Channel::NoiseBlank,
        &Channel::Bandwidth, &Channel::Tone2, &Channel::Tone3};
    for (int i : {0, 1, 2, 3, 5, 6}) {
        Q_EMIT b.VFOAuxCmb(i)->activated(2);
        QCOMPARE(copy.*codes[i], uint8_t(2));
    }
    QTest::mouseClick(b.VFOTrunkChk(), Qt::LeftButton);
    QVERIFY(copy.Trunked);

    // The display sets the controls without counting as edits; a tone code
    // past the table starts again at "Off"; a code past a list shows blank.
    copy = MakeBlankChannel();
    copy.Tone1 = 50;
    copy.Agc = 9;
    copy.Preamp = true;
    b.Display_VFO();
    QCOMPARE(copy.Tone1, uint8_t(0));
    QCOMPARE(b.VFOAuxCmb(0)->currentIndex(), 0);
    QCOMPARE(b.VFOAuxCmb(1)->currentIndex(), -1);
    QVERIFY(b.VFOAuxChk(2)->isChecked());
    QVERIFY(!b.VFOTrunkChk()->isChecked());
    QCOMPARE(b.VFOModeCmb()->currentIndex(), 2);
    QCOMPARE(copy.Agc, uint8_t(9));
}

void VfoWindowTest::dropDownStopsTheDisplay() {
    Rig rig;
    VfoWindow& b = rig.Open(1);
    Channel& copy = rig.app.radioState.Vfo[1];
    b.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b));

    b.VFOModeCmb()->showPopup();
    QVERIFY(rig.engine.State().DropDownOpen);
    copy.Frequency = 100;
    b.Display_VFO(); // a list is open: nothing changes under the user
    QCOMPARE(Digits(b, 11), QString("014550000"));
    // Choosing an entry clears the flag and edits.
    Q_EMIT b.VFOModeCmb()->activated(5);
    QVERIFY(!rig.engine.State().DropDownOpen);
    QCOMPARE(copy.Mode, uint8_t(5));
    QCOMPARE(Digits(b, 11), QString("000000100"));

    // Closing a list without a choice also lets Manual poll again.
    b.VFOAuxCmb(1)->showPopup();
    QVERIFY(rig.engine.State().DropDownOpen);
    b.VFOAuxCmb(1)->hidePopup();
    QVERIFY(!rig.engine.State().DropDownOpen);
}

void VfoWindowTest::setUpForEveryProtocol() {
    // Visible check boxes, lists and the frame, as "c0..c5 / l0..l6 / f".
    auto shown = [](VfoWindow& w) {
        QString s;
        for (int i = 0; i < 6; ++i)
            if (!w.VFOAuxChk(i)->isHidden()) s += QString("c%1").arg(i);
        s += "/";
        for (int i = 0; i < 7; ++i) {
            if (!w.VFOAuxCmb(i)->isHidden()) s += QString("l%1").arg(i);
            if (w.VFOAuxCmb(i)->isHidden() != w.VAuxLabel(i)->isHidden())
                s += QString("!label%1").arg(i);
        }
        return s + (w.VFOAuxFrm()->isHidden() ? "/-" : "/f");
    };
    const QString all = "c0c1c2c3c5/l0l1l2l3l4l5/f";
    struct Case {
        uint8_t Protocol, Model;
        const char* Expected;
    };
    const Case cases[] = {
        {ProtoLocal, 0, "c0c1c2c3c5/l0l1l2l3l4l5/f"},
        {ProtoIcom, 2, "c5/l1l2l4/f"},
        {ProtoKenwood, 0, "c0c5/l1l2l3/f"},
        {ProtoAor3000, 0, "c0c1c2c3c5/l0l1l2l3l4l5/-"},
        {ProtoAor8000, 0, "c5//f"},
        {ProtoOpto, 0, "c0c1c2c3c5/l0l1l2l3l4l5/-"},
        {ProtoDrake, 0, "c0c1c2c5/l1l2l3l4/f"},
        {ProtoBearcat, 0, "c5//f"},
        {ProtoBearcat, 1, "c1c2c3c5/l1l2l3l4l5/f"},
        {ProtoBearcat, 2, "c0c1c2c3/l0l1l2l3l4l5/f"},
        {ProtoAor5000, 0, "c5/l2l4/f"},
        {ProtoThf6a, 0, "c0c2c3c5/l0l4l5/f"},
        {ProtoBcd396, 0, "c0c1c2c3c5/l0l1l2l3l4l5/f"},
    };
    Rig rig;
    VfoWindow& w = rig.Open(0);
    for (const Case& c : cases) {
        rig.app.settings.Selected().Protocol = c.Protocol;
        rig.app.settings.Selected().Model = c.Model;
        const QString name = QString("protocol %1 model %2").arg(c.Protocol).arg(c.Model);
        rig.app.settings.Global.ShowAux = false;
        w.Drop_Down_Init();
        QVERIFY2(shown(w) == c.Expected, qPrintable(name + ": " + shown(w)));
        // Displaying unused aux controls: nothing is hidden by the radio.
        rig.app.settings.Global.ShowAux = true;
        w.Drop_Down_Init();
        QVERIFY2(shown(w) == all, qPrintable(name + " shown: " + shown(w)));
        QCOMPARE(w.VFOModeCmb()->currentIndex(), 2);
    }
}

void VfoWindowTest::setUpLists() {
    Rig rig;
    VfoWindow& w = rig.Open(0);
    auto items = [](QComboBox* c) {
        QStringList l;
        for (int i = 0; i < c->count(); ++i)
            l << c->itemText(i);
        return l;
    };
    auto& profile = rig.app.settings.Selected();

    w.Drop_Down_Init();
    QCOMPARE(w.VFOModeCmb()->count(), 10);
    QCOMPARE(w.VFOModeCmb()->itemText(1), QString(ModeNames[1]));
    QCOMPARE(w.VFOAuxCmb(0)->count(), 43);
    QCOMPARE(w.VFOAuxCmb(5)->itemText(42), QString("254.1"));
    QCOMPARE(items(w.VFOAuxCmb(2)), QStringList({"Ant 1", "VHF  ", "Ant 2"}));
    QCOMPARE(items(w.VFOAuxCmb(4)), QStringList({"0", "1", "2", "3", "4", "5", "6"}));
    QCOMPARE(w.VFOAuxChk(0)->text(), QString("Tone Enable"));
    QCOMPARE(w.VAuxLabel(4)->text(), QString("Bandwidth"));

    profile.Protocol = ProtoIcom;
    w.Drop_Down_Init();
    QCOMPARE(items(w.VFOAuxCmb(4)),
             QStringList({"Narrow", "Narrow", "Medium", "Medium", "Wide", "Wide", "Wide"}));
    profile.Protocol = ProtoAor8000;
    w.Drop_Down_Init();
    QCOMPARE(w.VFOAuxCmb(0)->count(), 43);
    QCOMPARE(w.VFOAuxCmb(0)->itemText(15), QString(" 15"));
    QCOMPARE(w.VFOAuxCmb(0)->itemText(16), QString(" 0"));
    profile.Protocol = ProtoDrake;
    w.Drop_Down_Init();
    QCOMPARE(w.VFOAuxCmb(4)->itemText(0), QString("0.5khz"));
    QCOMPARE(w.VFOAuxChk(0)->text(), QString("Notch Filter On"));
    profile.Protocol = ProtoBearcat;
    w.Drop_Down_Init();
    QCOMPARE(w.VFOAuxChk(1)->text(), QString("Recorder"));
    profile.Protocol = ProtoAor5000;
    w.Drop_Down_Init();
    QCOMPARE(w.VFOAuxCmb(4)->itemText(6), QString("220khz"));

    // TH-F6A: the offset list follows the driver's offset codes 0..6.
    profile.Protocol = ProtoThf6a;
    w.Drop_Down_Init();
    QCOMPARE(items(w.VFOAuxCmb(4)), QStringList({"none", "+0.6Mhz", "+1.2Mhz", "+5.0Mhz", "-0.6Mhz",
                                                 "-1.2Mhz", "-5.0Mhz"}));
    QCOMPARE(w.VAuxLabel(4)->text(), QString("Offset"));
    QCOMPARE(w.VAuxLabel(5)->text(), QString("CTCSS"));
    QCOMPARE(w.VAuxLabel(6)->text(), QString("DCS"));
    QCOMPARE(w.VFOAuxChk(3)->text(), QString("CTCSS On"));
    QCOMPARE(w.VFOAuxChk(4)->text(), QString("DCS On"));
}

void VfoWindowTest::activeMarkerAndSwap() {
    Rig rig;
    VfoWindow& a = rig.Open(0);
    VfoWindow& b = rig.Open(1);
    QCOMPARE(a.objectName(), QString("VFOA"));
    QCOMPARE(b.objectName(), QString("VFOB"));
    QCOMPARE(a.windowTitle(), QString(42, ' ') + "VFO-A (active)");
    QCOMPARE(b.windowTitle(), QString(42, ' ') + "VFO-B (inactive)");
    QCOMPARE(a.Active_Label(1)->text(), QString("VFO Active"));
    QCOMPARE(b.Active_Label(1)->text(), QString("Make This VFO Active"));
    QCOMPARE(a.Active_Label(0)->palette().color(QPalette::Window), QColor(Qt::red));
    QVERIFY(b.Active_Label(0)->palette().color(QPalette::Window) != QColor(Qt::red));

    Click(a.Active_Label(1)); // already active: nothing
    QCOMPARE(rig.app.radioState.ActiveVfo, 0);
    Click(b.Active_Label(1));
    QCOMPARE(rig.app.radioState.ActiveVfo, 1);
    QCOMPARE(a.windowTitle(), QString(42, ' ') + "VFO-A (inactive)");
    QCOMPARE(b.windowTitle(), QString(42, ' ') + "VFO-B (active)");
    QCOMPARE(b.Active_Label(1)->text(), QString("VFO Active"));

    // Each window shows its own trunk flag.
    rig.app.radioState.Vfo[0].Trunked = true;
    a.Display_VFO();
    b.Display_VFO();
    QVERIFY(a.VFOTrunkChk()->isChecked());
    QVERIFY(!b.VFOTrunkChk()->isChecked());

    // Background: green only with a signal and the light switch on.
    auto background = [&] { return a.VFODigit(11)->palette().color(QPalette::Window); };
    a.show();
    rig.app.radioState.SignalLevel = 3;
    a.VFO_background();
    QCOMPARE(background(), QColor(Qt::black));
    rig.engine.State().LightSwitch = 1;
    a.VFO_background();
    QCOMPARE(background(), QColor(0, 255, 0));
    QCOMPARE(a.VFODigit(20)->palette().color(QPalette::Window), QColor(0, 255, 0));
    rig.app.radioState.SignalLevel = 0;
    a.VFO_background();
    QCOMPARE(background(), QColor(Qt::black));
}

void VfoWindowTest::placementAndFace() {
    Rig rig;
    rig.app.settings.Windows[WinVfoB] = {300, 450, false};
    VfoWindow& b = rig.Open(1);
    QCOMPARE(b.pos(), QPoint(20, 30));
    b.show();
    QVERIFY(rig.app.settings.Windows[WinVfoB].Open);
    b.move(40, 60);
    b.close();
    QVERIFY(!rig.app.settings.Windows[WinVfoB].Open);
    QCOMPARE(rig.app.settings.Windows[WinVfoB].X, 600.0f);
    QCOMPARE(rig.app.settings.Windows[WinVfoB].Y, 900.0f);
    QCOMPARE(rig.app.settings.Windows[WinVfoA].X, 0.0f); // A's entry untouched

    // The digits use the display face at the configured size, large enough
    // to read; an unknown face falls back to the registered one.
    const QString registered = RegisterDisplayFont();
    rig.app.settings.Global.FreqFont = "No Such Face";
    b.Drop_Down_Init();
    const QFontInfo freq(b.VFODigit(11)->font());
    const QFontInfo step(b.VFODigit(1)->font());
    if (!registered.isEmpty()) QCOMPARE(freq.family(), registered);
    QCOMPARE(freq.pointSize(), 26);
    QCOMPARE(step.pointSize(), 20);
    QVERIFY(b.VFODigit(11)->height() >= 490 / 15);
    QVERIFY(b.VFODigit(11)->height() >= QFontMetrics(b.VFODigit(11)->font()).height());
}

QTEST_MAIN(VfoWindowTest)
#include "VfoWindowTest.moc"
