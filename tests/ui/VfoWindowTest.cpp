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
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <random>

#include "common/AppRig.h"
#include "common/FakeFamily.h"
#include "core/CodeTables.h"
#include "core/SimHost.h"
#include "engine/App.h"
#include "engine/Engine.h"
#include "link/SimulatedPort.h"
#include "qt/DisplayFont.h"
#include "qt/QtHost.h"
#include "sim/Catalog.h"
#include "sim/IcomRadio.h"
#include "sim/SimPeer.h"
#include "ui/ActivityDisplay.h"
#include "ui/MainWindow.h"
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
struct Rig : rigvane::test::AppRig {
    explicit Rig(uint8_t protocol = ProtoLocal, uint8_t model = 0) {
        RadioProfile& p = app.settings.Selected();
        p.Protocol = protocol;
        p.Model = model;
        if (protocol == ProtoIcom) {
            sim = dynamic_cast<IcomRadio*>(&Serve("icom-r8500"));
            p.Model = 2;
            p.Addr = sim->Address;
            p.CompAddr = 0xE0;
            p.Device = "sim:icom-r8500";
            p.Timeout = 30;
            p.MinFreq = 0;
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
        return int(std::count_if(sim->Commands.begin(), sim->Commands.end(),
                                 [](const std::string& c) { return !c.empty() && c[0] == 0x05; }));
    }

    Engine engine{app};
    VfoView view;
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
    void inactiveVfoStepsOnlyItsCopy();
    void activeVfoEditsTuneTheRadio();
    void entryFields();
    void listRules();
    void setUpFollowsTheModelsAuxData();
    void activeMarkerPlacementAndFace();
    void reopenAtStart();
};

void VfoWindowTest::inactiveVfoStepsOnlyItsCopy() {
    Rig rig(ProtoIcom);
    rig.Settle();
    const int64_t tuned = rig.sim->FrequencyHz;
    const int sets = rig.FrequencySets();
    VfoWindow& b = rig.Open(1); // A is active
    Channel& copy = rig.app.radioState.Vfo[1];

    Click(b.VFOScrlBut(0));
    QCOMPARE(copy.Frequency, 14550500);
    QCOMPARE(Digits(b, 11), QString("014550500"));
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeManual));
    rig.Settle();
    QCOMPARE(rig.sim->FrequencyHz, tuned);
    QCOMPARE(rig.FrequencySets(), sets);

    // Right button on the first step digit: 0 - 1 wraps to 9; left: back.
    QTest::mousePress(b.VFODigit(1), Qt::RightButton);
    QTest::mouseRelease(b.VFODigit(1), Qt::RightButton);
    QCOMPARE(copy.Step, 900000500);
    QCOMPARE(Digits(b, 1), QString("900000500"));
    Click(b.VFODigit(1));
    QCOMPARE(copy.Step, 500);

    // Up past the top wraps to 0, Dn below 0 to the top.
    copy.Frequency = 999999999;
    Click(b.VFOScrlBut(0));
    QCOMPARE(Digits(b, 11), QString("000000000"));
    Click(b.VFOScrlBut(10));
    QCOMPARE(copy.Frequency, 999999999);

    // Holding "Up": one step at once, one after 500 ms, then every 100 ms.
    copy.Frequency = 14550000;
    QTest::mousePress(b.VFOScrlBut(0), Qt::LeftButton);
    QCOMPARE(copy.Frequency, 14550500);
    rig.host.Advance(499);
    QCOMPARE(copy.Frequency, 14550500);
    rig.host.Advance(301);
    QCOMPARE(copy.Frequency, 14552500);
    QTest::mouseRelease(b.VFOScrlBut(0), Qt::LeftButton);
    rig.host.Advance(1000);
    QCOMPARE(copy.Frequency, 14552500);
    // A held digit repeats in its own direction; hiding the window stops it.
    b.show();
    QTest::mousePress(b.VFODigit(19), Qt::RightButton);
    rig.host.Advance(600);
    QCOMPARE(copy.Frequency, 14552507);
    b.hide();
    rig.host.Advance(1000);
    QCOMPARE(copy.Frequency, 14552507);
    // The point labels do nothing.
    Click(b.VFODigit(10));
    Click(b.VFODigit(20));
    QCOMPARE(copy.Frequency, 14552507);
}

void VfoWindowTest::activeVfoEditsTuneTheRadio() {
    Rig rig(ProtoIcom);
    VfoWindow& a = rig.Open(0);
    rig.app.radioState.Current = rig.app.radioState.Vfo[0];
    rig.app.radio.ApplyRadioState();
    rig.Settle();

    // "Up" goes through mode 12 and turns the search upwards.
    rig.engine.State().SearchDirection = -1;
    Click(a.VFOScrlBut(0));
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeVfoRecall));
    QCOMPARE(rig.engine.State().SearchDirection, int16_t(1));
    rig.Settle();
    QCOMPARE(rig.sim->FrequencyHz, int64_t(145505000));
    QCOMPARE(Digits(a, 11), QString("014550500"));

    // Typing 145.5 and leaving the field with Enter.
    Focus(a, a.EntryTxt(0));
    QCOMPARE(a.EntryTxt(0)->text(), QString()); // the prompt gave way
    QTest::keyClicks(a.EntryTxt(0), "145.5");
    QTest::keyClick(a.EntryTxt(0), Qt::Key_Return);
    QVERIFY(a.EntryTxt(1)->hasFocus());
    QCOMPARE(a.EntryTxt(0)->text(), QString());
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeVfoRecall));
    rig.Settle();
    QCOMPARE(rig.sim->FrequencyHz, int64_t(145500000));
    QCOMPARE(Digits(a, 11), QString("014550000"));

    // A step digit changes the copy and the tuning state at once, no mode.
    Click(a.VFODigit(7));
    QCOMPARE(rig.app.radioState.Current.Step, 600);
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeManual));
    // A digit's right button steps down and turns the search downwards.
    QTest::mousePress(a.VFODigit(15), Qt::RightButton);
    QTest::mouseRelease(a.VFODigit(15), Qt::RightButton);
    QCOMPARE(rig.engine.State().SearchDirection, int16_t(-1));
    rig.Settle();
    QCOMPARE(rig.sim->FrequencyHz, int64_t(145400000));

    Q_EMIT a.VFOModeCmb()->activated(4); // AM
    rig.Settle();
    QCOMPARE(rig.sim->ModeByte, uint8_t(0x02));
    QCOMPARE(a.VFOModeCmb()->currentIndex(), 4);
}

void VfoWindowTest::entryFields() {
    Rig rig;
    VfoWindow& b = rig.Open(1);
    const Channel& copy = rig.app.radioState.Vfo[1];
    QLineEdit* freq = b.EntryTxt(0);
    QLineEdit* step = b.EntryTxt(1);
    QCOMPARE(freq->text(), QString("Enter Freq"));
    QCOMPARE(step->text(), QString("Enter Step"));
    Focus(b, freq);

    // Keys: a second point and anything but digits beep; Backspace and Esc
    // empty the field; Enter moves to the other field.
    QTest::keyClicks(freq, "12.5");
    QCOMPARE(rig.host.Beeps, 0);
    QTest::keyClicks(freq, ".a-");
    QTest::keyClick(freq, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(rig.host.Beeps, 4);
    QCOMPARE(freq->text(), QString("12.5"));
    QTest::keyClick(freq, Qt::Key_Backspace);
    QCOMPARE(freq->text(), QString());
    QTest::keyClicks(freq, "7");
    QTest::keyClick(freq, Qt::Key_Escape);
    QCOMPARE(freq->text(), QString());
    QTest::keyClick(freq, Qt::Key_Enter);
    QVERIFY(step->hasFocus());
    QTest::keyClick(step, Qt::Key_Return);
    QVERIFY(freq->hasFocus());
    QCOMPARE(copy.Frequency, 14550000); // empty fields change nothing

    // Above 9999.99999 MHz, or no frequency at all: beep, focus and text stay.
    for (const char* bad : {"12345", "00001"}) {
        freq->setText(bad);
        step->setFocus(Qt::TabFocusReason);
        QVERIFY(freq->hasFocus());
        QCOMPARE(freq->text(), QString(bad));
    }
    QCOMPARE(rig.host.Beeps, 6);
    QCOMPARE(copy.Frequency, 14550000);

    // Accepted: the inactive VFO's copy only, and the field is emptied.
    freq->setText("0.5");
    step->setFocus(Qt::TabFocusReason);
    QCOMPARE(copy.Frequency, 50000);
    QCOMPARE(freq->text(), QString());
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeManual));
    QTest::keyClicks(step, ".0125");
    freq->setFocus(Qt::TabFocusReason);
    QCOMPARE(copy.Step, 1250);
    QCOMPARE(rig.app.radioState.Current.Step, 500); // not the active VFO

    // The top of the scale is a frequency like any other.
    const int beeps = rig.host.Beeps;
    freq->setText("9999.99999");
    step->setFocus(Qt::TabFocusReason);
    QCOMPARE(copy.Frequency, 999999999);
    QCOMPARE(rig.host.Beeps, beeps);

    // Whatever is typed, nothing breaks and the fields hold only digits and
    // at most one point.
    std::mt19937 random(7);
    const int keys[] = {Qt::Key_A,     Qt::Key_0,         Qt::Key_9,      Qt::Key_Period,
                        Qt::Key_Enter, Qt::Key_Escape,    Qt::Key_Tab,    Qt::Key_Backspace,
                        Qt::Key_F1,    Qt::Key_Delete,    Qt::Key_Space,  Qt::Key_Left,
                        Qt::Key_5,     Qt::Key_Backslash, Qt::Key_Return, Qt::Key_1};
    for (int i = 0; i < 400; ++i) {
        QWidget* target = step->hasFocus() ? step : freq;
        if (!target->hasFocus()) target->setFocus(Qt::TabFocusReason);
        QTest::keyClick(target, Qt::Key(keys[random() % std::size(keys)]));
        for (QLineEdit* f : {freq, step}) {
            const QString t = f->text();
            QVERIFY2(t.count('.') <= 1 && !t.contains(QRegularExpression("[^0-9.]")),
                     qPrintable(t));
        }
    }
}

void VfoWindowTest::listRules() {
    for (bool offsets : {false, true}) {
        Rig rig;
        // A family whose list 4 holds repeater offsets, not bandwidths.
        rigvane::test::FakeFamily family(ProtoThf6a);
        family.caps.Models[0].VfoAux.BandwidthFollowsMode = false;
        rigvane::test::AddFamily(rig.app.link, family);
        rig.app.settings.Selected().Protocol = offsets ? ProtoThf6a : ProtoIcom;
        VfoWindow& b = rig.Open(1);
        Channel& copy = rig.app.radioState.Vfo[1];
        const bool thf6a = offsets;

        // Bandwidth sets the mode while it is 1..3 (not where the list holds
        // repeater offsets): 1, 2 -> 2; 3 -> 1; else 3.
        const int modeAfter[7] = {3, 2, 2, 1, 3, 3, 3};
        for (int bw = 0; bw < 7; ++bw) {
            copy.Mode = 1;
            Q_EMIT b.VFOAuxCmb(4)->activated(bw);
            QCOMPARE(copy.Bandwidth, uint8_t(bw));
            QCOMPARE(copy.Mode, uint8_t(thf6a ? 1 : modeAfter[bw]));
        }
        copy.Mode = 5; // outside 1..3: the mode stays
        Q_EMIT b.VFOAuxCmb(4)->activated(1);
        QCOMPARE(copy.Mode, uint8_t(5));

        // Modes 1, 2, 3 choose bandwidth 2, 0, 4 (the offset stays on the TH-F6A).
        const int bandwidth[4] = {6, 2, 0, 4};
        for (int mode : {1, 2, 3}) {
            copy.Bandwidth = 6;
            Q_EMIT b.VFOModeCmb()->activated(mode);
            QCOMPARE(copy.Mode, uint8_t(mode));
            QCOMPARE(copy.Bandwidth, uint8_t(thf6a ? 6 : bandwidth[mode]));
        }
    }

    // The trunk box edits the copy; the display does not count as an edit
    // and a tone code past the table becomes "Off".
    Rig rig;
    VfoWindow& b = rig.Open(1);
    Channel& copy = rig.app.radioState.Vfo[1];
    b.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b));
    QTest::mouseClick(b.VFOTrunkChk(), Qt::LeftButton);
    QVERIFY(copy.Trunked);
    copy = MakeBlankChannel();
    copy.Tone1 = 50;
    b.Display_VFO();
    QCOMPARE(copy.Tone1, uint8_t(0));
    QVERIFY(!b.VFOAuxChk(2)->isChecked());
    QCOMPARE(b.VFOAuxCmb(1)->currentIndex(), 0);

    // An open list stops the display; a choice or closing the list ends that.
    b.VFOModeCmb()->showPopup();
    QVERIFY(rig.engine.State().DropDownOpen);
    copy.Frequency = 100;
    b.Display_VFO();
    QCOMPARE(Digits(b, 11), QString("000000000"));
    Q_EMIT b.VFOModeCmb()->activated(5);
    QVERIFY(!rig.engine.State().DropDownOpen);
    QCOMPARE(Digits(b, 11), QString("000000100"));
    b.VFOAuxCmb(1)->showPopup();
    QVERIFY(rig.engine.State().DropDownOpen);
    b.VFOAuxCmb(1)->hidePopup();
    QVERIFY(!rig.engine.State().DropDownOpen);
    // A window that goes with a list open does not leave polling stopped.
    b.VFOModeCmb()->showPopup();
    rig.view.Windows[1] = nullptr;
    rig.windows[1].reset();
    QVERIFY(!rig.engine.State().DropDownOpen);
}

void VfoWindowTest::setUpFollowsTheModelsAuxData() {
    // Shown check boxes and lists as "c0..c5/l0..l6" and the frame ("f" or "-").
    auto shown = [](VfoWindow& w) {
        QString s;
        for (int i = 0; i < 6; ++i)
            if (!w.VFOAuxChk(i)->isHidden()) s += QString("c%1").arg(i);
        s += "/";
        for (int i = 0; i < 7; ++i) {
            if (!w.VFOAuxCmb(i)->isHidden()) s += QString("l%1").arg(i);
            if (w.VFOAuxCmb(i)->isHidden() != w.VAuxLabel(i)->isHidden()) s += "!label";
        }
        return s + (w.VFOAuxFrm()->isHidden() ? "/-" : "/f");
    };
    auto items = [](QComboBox* c) {
        QStringList l;
        for (int i = 0; i < c->count(); ++i)
            l << c->itemText(i);
        return l;
    };
    const QString common = "c0c1c2c3c5/l0l1l2l3l4l5/f";
    Rig rig;
    VfoWindow& w = rig.Open(0);
    RadioProfile& profile = rig.app.settings.Selected();
    auto setUp = [&](uint8_t protocol, bool showAux) {
        profile.Protocol = protocol;
        rig.app.settings.Global.ShowAux = showAux;
        w.Drop_Down_Init();
        return shown(w);
    };

    // A family with aux data of every kind.
    rigvane::test::FakeFamily family(ProtoThf6a);
    AuxSpec& aux = family.caps.Models[0].VfoAux;
    aux.HiddenChecks = (1 << 0) | (1 << 1);
    aux.HiddenLists = (1 << 1) | (1 << 2) | (1 << 3);
    aux.ForcedChecks = 1 << 4;
    aux.ForcedLists = 1 << 6;
    aux.CheckCaptions[4] = "DCS On";
    aux.ListCaptions[4] = "Offset";
    aux.Bandwidths = {"none", "+0.6Mhz", "-0.6Mhz"};
    aux.Tones = {" 0", " 1", " 2"};
    rigvane::test::AddFamily(rig.app.link, family);
    QCOMPARE(setUp(ProtoThf6a, false), QString("c2c3c4c5/l0l4l5l6/f"));
    QCOMPARE(items(w.VFOAuxCmb(4)), QStringList({"none", "+0.6Mhz", "-0.6Mhz"}));
    QCOMPARE(items(w.VFOAuxCmb(0)), QStringList({" 0", " 1", " 2"}));
    QCOMPARE(w.VFOAuxCmb(5)->count(), 43); // the tone table where the model has no list
    QCOMPARE(w.VAuxLabel(4)->text(), QString("Offset"));
    QCOMPARE(w.VFOAuxChk(4)->text(), QString("DCS On"));
    QCOMPARE(w.VFOAuxChk(3)->text(), QString("Tone 2 On"));
    QCOMPARE(w.VFOModeCmb()->currentIndex(), 2);
    // Displaying unused aux controls: nothing hidden, the forced ones shown.
    QCOMPARE(setUp(ProtoThf6a, true), QString("c0c1c2c3c4c5/l0l1l2l3l4l5l6/f"));

    // ICOM: the attenuator, AGC, antenna and its bandwidth names; OPTO has
    // no aux frame; the test radio and a protocol without a driver hide nothing.
    profile.Model = 2;
    QCOMPARE(setUp(ProtoIcom, false), QString("c5/l1l2l4/f"));
    QCOMPARE(w.VFOAuxCmb(4)->itemText(0), QString("Narrow"));
    profile.Model = 0;
    QCOMPARE(setUp(ProtoOpto, false), QString("c0c1c2c3c5/l0l1l2l3l4l5/-"));
    QCOMPARE(setUp(ProtoOpto, true), common);
    QCOMPARE(setUp(ProtoBcd396, false), common);
    QCOMPARE(setUp(ProtoLocal, false), common);
    // The window's own captions and lists are back.
    QCOMPARE(w.VAuxLabel(4)->text(), QString("Bandwidth"));
    QCOMPARE(w.VFOAuxChk(4)->text(), QString("Tone 3 On"));
    QCOMPARE(w.VFOAuxCmb(0)->itemText(16), QString("110.9"));
    QCOMPARE(w.VFOAuxCmb(4)->itemText(0), QString("0"));
}

void VfoWindowTest::activeMarkerPlacementAndFace() {
    Rig rig;
    rig.app.settings.Windows[WinVfoB] = {300, 450, false};
    VfoWindow& a = rig.Open(0);
    VfoWindow& b = rig.Open(1);
    QCOMPARE(a.windowTitle(), QString(42, ' ') + "VFO-A (active)");
    QCOMPARE(b.windowTitle(), QString(42, ' ') + "VFO-B (inactive)");
    QCOMPARE(b.Active_Label(1)->text(), QString("Make This VFO Active"));
    Click(a.Active_Label(1)); // already active: nothing
    QCOMPARE(rig.app.radioState.ActiveVfo, 0);
    Click(b.Active_Label(1));
    QCOMPARE(rig.app.radioState.ActiveVfo, 1);
    QCOMPARE(a.windowTitle(), QString(42, ' ') + "VFO-A (inactive)");
    QCOMPARE(b.Active_Label(1)->text(), QString("VFO Active"));

    // Each window shows its own trunk flag.
    rig.app.radioState.Vfo[0].Trunked = true;
    a.Display_VFO();
    b.Display_VFO();
    QVERIFY(a.VFOTrunkChk()->isChecked());
    QVERIFY(!b.VFOTrunkChk()->isChecked());

    // Frequency digits turn green only with a signal and the light switch on.
    auto background = [&] { return b.VFODigit(11)->palette().color(QPalette::Window); };
    b.show();
    rig.app.radioState.SignalLevel = 3;
    b.VFO_background();
    QCOMPARE(background(), QColor(Qt::black));
    rig.engine.State().LightSwitch = 1;
    b.VFO_background();
    QCOMPARE(background(), QColor(0, 255, 0));

    // Placement entry 9 in twips; closing marks the window closed.
    QCOMPARE(b.pos(), QPoint(20, 30));
    QVERIFY(rig.app.settings.Windows[WinVfoB].Open);
    b.move(40, 60);
    b.close();
    QVERIFY(!rig.app.settings.Windows[WinVfoB].Open);
    QCOMPARE(rig.app.settings.Windows[WinVfoB].X, 600.0f);
    QCOMPARE(rig.app.settings.Windows[WinVfoB].Y, 900.0f);

    // The digits use the display face at the configured size; an unknown
    // face falls back to the registered one.
    const QString registered = RegisterDisplayFont();
    rig.app.settings.Global.FreqFont = "No Such Face";
    b.Drop_Down_Init();
    const QFontInfo freq(b.VFODigit(11)->font());
    if (!registered.isEmpty()) QCOMPARE(freq.family(), registered);
    QCOMPARE(freq.pointSize(), 26);
    QCOMPARE(QFontInfo(b.VFODigit(1)->font()).pointSize(), 20);
    QVERIFY(b.VFODigit(11)->height() >= QFontMetrics(b.VFODigit(11)->font()).height());
}

void VfoWindowTest::reopenAtStart() {
    // The windows open at the last shutdown come back at their places; one
    // the user closed does not.
    QTemporaryDir dir;
    const QString ini = dir.path() + "/RIGVANE.INI";
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[GLOBALS]\nLOADFREQ=0\n");
    file.close();
    QtHost host;
    {
        App app(host);
        Engine engine(app);
        MainWindow window(app, engine);
        window.Start(ini.toStdString(), StartupHooks(), false);
        // The first start opens the Spectrum and VFO B windows.
        QVERIFY(window.Spectrum() && window.Spectrum()->isVisible());
        QVERIFY(window.Vfo(1) && window.Vfo(1)->isVisible());
        QVERIFY(!window.Vfo(0));
        window.Vfo(1)->close();
        window.findChild<QAction*>("VFOA_menu")->trigger();
        QVERIFY(window.Vfo(0)->isVisible());
        window.Vfo(0)->move(40, 60);
        window.Spectrum()->move(100, 120);
        window.Spectrum()->WidthScrl()->setValue(11);
        window.close();
        QVERIFY(window.ShutDown());
    }
    App app(host);
    Engine engine(app);
    MainWindow window(app, engine);
    window.Start(ini.toStdString(), StartupHooks(), false);
    QVERIFY(!window.Vfo(1));
    QVERIFY(window.Vfo(0) && window.Vfo(0)->isVisible());
    QCOMPARE(window.Vfo(0)->pos(), QPoint(40, 60));
    QVERIFY(window.Spectrum() && window.Spectrum()->isVisible());
    QCOMPARE(window.Spectrum()->pos(), QPoint(100, 120));
    QCOMPARE(window.Spectrum()->WidthIndex(), 11);
    window.close();
}

QTEST_MAIN(VfoWindowTest)
#include "VfoWindowTest.moc"
