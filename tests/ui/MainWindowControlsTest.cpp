// The main window's controls over the mode engine on a virtual clock: menus,
// entry fields, channel stepping with auto-repeat, the control set-up per
// radio, switches, speed, meter, radio selection and the way out.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "common/FakeFamily.h"
#include "core/SimHost.h"
#include "engine/App.h"
#include "engine/Engine.h"
#include "engine/Startup.h"
#include "storage/SettingsFile.h"
#include "ui/AboutWindow.h"
#include "ui/MainWindow.h"
#include "ui/MessageWindow.h"

using namespace rigvane;

namespace {

// A main window over a fresh App on the virtual clock, LOCAL radio selected.
struct Fixture {
    QTemporaryDir dir;
    SimHost host;
    App app{host};
    std::unique_ptr<Engine> engine;
    std::unique_ptr<MainWindow> window;

    Fixture() {
        ScanInitialize(app, (dir.path() + "/RIGVANE.INI").toStdString());
        app.settings.Windows[WinMessage].Open = false;
        app.link.TraceDir = dir.path().toStdString();
        engine = std::make_unique<Engine>(app);
        engine->IdleWaitMs = 0;
        window = std::make_unique<MainWindow>(app, *engine);
        window->Drop_Down_Init();
        window->show();
    }
    ~Fixture() {
        window.reset(); // before the engine it watches
        engine.reset();
    }
    EngineState& State() { return engine->State(); }
    QAction* Action(const char* name) { return window->findChild<QAction*>(name); }
    QCheckBox* Check(const char* name) { return window->findChild<QCheckBox*>(name); }
    // Leaves an entry field the way a click elsewhere does.
    void Leave(int field) {
        QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(window->EntryTxt(field), &out);
        QCoreApplication::processEvents();
    }
    void Type(int field, const QString& text) {
        window->EntryTxt(field)->clear();
        QTest::keyClicks(window->EntryTxt(field), text);
    }
    QString Digits() const {
        return window->MEMDigit(0)->text() + window->MEMDigit(1)->text() +
               window->MEMDigit(2)->text();
    }
};

bool Shows(QWidget* w, const char* colour) {
    return w->styleSheet().contains(colour);
}

} // namespace

class MainWindowControlsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void menusOfferOnlyWhatWorks();
    void debugItemsOpenAndCloseTheTraceFiles();
    void entryFieldKeys();
    void entryFieldChecksOnLeaving();
    void channelDigitsAndAutoRepeat();
    void controlSetUpFollowsTheRadio();
    void switchesAndMemoryButtons();
    void speedLabel();
    void meterColoursAndClicks();
    void radioSelectionAndStatus();
    void modeButtonsRequestModes();
    void startUpReopensWhatWasOpen();
    void shutdownAsksOnceAboutChangedData();
    void fileDialogFilters();
};

void MainWindowControlsTest::menusOfferOnlyWhatWorks() {
    Fixture f;
    QStringList menus;
    for (QAction* a : f.window->menuBar()->actions())
        menus << a->text();
    QCOMPARE(menus, QStringList({"&File", "&View", "&Clear", "&Parms", "&Help"}));

    for (const char* name :
         {"File_menu_0", "File_menu_1", "DBFile_Menu", "LogFile_Menu", "DbgFileOn_Menu",
          "DbgFileOff_Menu", "DbgKeyOn_Menu", "DbgKeyOff_Menu", "DbgTest_Menu", "Exit_menu",
          "Message_menu", "DbClrAll", "help_item_2"})
        QVERIFY2(f.Action(name) && f.Action(name)->isVisible(), name);
    QVERIFY(!f.Action("DbgFileOff_Menu")->isEnabled());
    QVERIFY(!f.Action("DbgKeyOff_Menu")->isEnabled());
    // An item with nothing behind it is not offered.
    QVERIFY(!f.Action("StdFile_Menu")->isVisible());
    // A settings item is shown exactly when its dialog exists.
    const QList<QPair<const char*, int>> parms = {{"Global_menu", ActionGlobalParms},
                                                  {"Parms_menu_0", 1},
                                                  {"Parms_menu_4", 5},
                                                  {"Parms_menu_7", 8},
                                                  {"THF6A_Menu", ActionThf6aParms},
                                                  {"AOR8000_menu", ActionAor8000Parms}};
    for (const auto& [name, code] : parms)
        QCOMPARE(f.Action(name)->isVisible(), MainWindow::DialogAvailable(code));

    // A menu item only stores its action and asks for mode 15.
    f.Action("DbClrAll")->trigger();
    QCOMPARE(f.State().Mode, int16_t(ModePendingAction));
    QCOMPARE(f.State().PendingAction, int16_t(ActionClearAll));
    QVERIFY(f.host.Boxes.empty());
}

void MainWindowControlsTest::debugItemsOpenAndCloseTheTraceFiles() {
    Fixture f;
    QAction* on = f.Action("DbgFileOn_Menu");
    QAction* off = f.Action("DbgFileOff_Menu");
    on->trigger();
    QVERIFY(f.app.link.DebugFile > 0);
    QVERIFY(!on->isEnabled());
    QVERIFY(off->isEnabled());
    QVERIFY(QFile::exists(f.dir.path() + "/DEBUG.DAT"));
    off->trigger();
    QCOMPARE(f.app.link.DebugFile, 0);
    QVERIFY(on->isEnabled());
    QVERIFY(!off->isEnabled());

    f.Action("DbgKeyOn_Menu")->trigger();
    QVERIFY(f.app.link.DebugKeyFile > 0);
    QVERIFY(!f.Action("DbgKeyOn_Menu")->isEnabled());
    QVERIFY(f.Action("DbgKeyOff_Menu")->isEnabled());
    QVERIFY(f.Action("DbgFileOn_Menu")->isEnabled()); // the two pairs are independent

    // A trace folder that cannot be written: the items stay as they were.
    f.Action("DbgKeyOff_Menu")->trigger();
    f.app.link.TraceDir = (f.dir.path() + "/missing/folder").toStdString();
    on->trigger();
    QCOMPARE(f.app.link.DebugFile, 0);
    QVERIFY(on->isEnabled());
    QVERIFY(!off->isEnabled());
}

void MainWindowControlsTest::entryFieldKeys() {
    Fixture f;
    QApplication::setActiveWindow(f.window.get());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    QLineEdit* e0 = f.window->EntryTxt(0);
    e0->setFocus();
    QTest::keyClicks(e0, "1a2");
    QCOMPARE(e0->text(), QString("12"));
    QCOMPARE(f.host.Beeps, 1);
    QTest::keyClick(e0, Qt::Key_Space);
    QTest::keyClick(e0, Qt::Key_Minus);
    QCOMPARE(f.host.Beeps, 3);
    QCOMPARE(e0->text(), QString("12"));
    QTest::keyClick(e0, Qt::Key_Backspace); // empties the whole field
    QCOMPARE(e0->text(), QString());
    QTest::keyClicks(e0, "7");
    QTest::keyClick(e0, Qt::Key_Escape);
    QCOMPARE(e0->text(), QString());

    // Esc gives fields 1..3 their stored values back.
    f.State().LoadSetFirst = 5;
    f.State().LoadSetLast = 42;
    f.app.settings.Global.PriorityChannel = 7;
    for (int field = 1; field <= 3; ++field) {
        f.window->EntryTxt(field)->setText("31");
        QTest::keyClick(f.window->EntryTxt(field), Qt::Key_Escape);
    }
    QCOMPARE(f.window->EntryTxt(1)->text(), QString("005"));
    QCOMPARE(f.window->EntryTxt(2)->text(), QString("042"));
    QCOMPARE(f.window->EntryTxt(3)->text(), QString("007"));

    // Enter goes round the four fields (each valid, so none holds the focus).
    f.window->EntryTxt(3)->setText("1");
    e0->setFocus();
    for (int expected : {1, 2, 3, 0}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget(), f.window->EntryTxt(expected));
    }
    QVERIFY(f.host.Boxes.empty());
    QCOMPARE(f.host.Beeps, 3);

    // Whatever is typed, only digits get in and nothing breaks.
    const QList<int> keys = {Qt::Key_A,    Qt::Key_F1,     Qt::Key_Left,  Qt::Key_Delete,
                             Qt::Key_Home, Qt::Key_Period, Qt::Key_Plus,  Qt::Key_Tab,
                             Qt::Key_Up,   Qt::Key_Insert, Qt::Key_Slash, Qt::Key_5};
    for (int field = 0; field < 4; ++field) {
        QLineEdit* e = f.window->EntryTxt(field);
        e->clear();
        for (int key : keys)
            QTest::keyClick(e, Qt::Key(key));
        for (const QString& text : {QString::fromUtf8("\u00e9"), QString::fromUtf8("\u4e2d")}) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
            QApplication::sendEvent(e, &press);
        }
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QVERIFY2(QRegularExpression("^[0-9]*$").match(e->text()).hasMatch(), qPrintable(e->text()));
    }
}

void MainWindowControlsTest::entryFieldChecksOnLeaving() {
    Fixture f;
    QApplication::setActiveWindow(f.window.get());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.Action("DbgKeyOn_Menu")->trigger();

    // Channel field: 1000 is refused, the text stays and the focus comes back.
    f.window->EntryTxt(0)->setFocus();
    f.Type(0, "1000");
    f.window->EntryTxt(1)->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(f.host.Boxes.size(), size_t(1));
    QCOMPARE(f.host.Boxes[0].Title, std::string(" entry error"));
    QCOMPARE(f.host.Boxes[0].Text, std::string("entry must be between 0 and 999"));
    QCOMPARE(f.host.Boxes[0].Icon, MsgIcon::Exclamation);
    QCOMPARE(f.window->EntryTxt(0)->text(), QString("1000"));
    QCOMPARE(QApplication::focusWidget(), f.window->EntryTxt(0));
    QCOMPARE(f.host.Beeps, 0); // the channel field does not beep
    QCOMPARE(f.State().Mode, int16_t(ModeManual));

    // Empty: nothing happens.
    f.host.Boxes.clear();
    f.window->EntryTxt(0)->clear();
    f.Leave(0);
    QVERIFY(f.host.Boxes.empty());
    QCOMPARE(f.State().Mode, int16_t(ModeManual));

    // A good channel is requested and the field emptied.
    f.Type(0, "123");
    f.Leave(0);
    QCOMPARE(f.State().RequestedChannel, int16_t(123));
    QCOMPARE(f.State().Mode, int16_t(ModeChannelSelect));
    QCOMPARE(f.window->EntryTxt(0)->text(), QString());
    QVERIFY(f.host.Boxes.empty());
    f.engine->RunPass();
    QCOMPARE(f.Digits(), QString("123"));

    // Load/Set fields: the radio's own channel range, with a beep.
    f.app.settings.Selected().MinChan = 1;
    f.app.settings.Selected().MaxChan = 400;
    f.Type(1, "401");
    f.Leave(1);
    QCOMPARE(f.host.Boxes.size(), size_t(1));
    QCOMPARE(f.host.Boxes[0].Title, std::string("entry error"));
    QCOMPARE(f.host.Boxes[0].Text, std::string("entry must be between 1 and 400"));
    QCOMPARE(f.host.Beeps, 1);
    // The refused field has the focus again; it must be put right before
    // leaving it counts.
    QCOMPARE(QApplication::focusWidget(), f.window->EntryTxt(1));
    f.window->EntryTxt(1)->setText("1");
    f.Type(2, "");
    f.Leave(2);
    QCOMPARE(f.host.Boxes.size(), size_t(2)); // empty is refused here
    f.Type(2, "25");
    f.Leave(2);
    QCOMPARE(f.window->EntryTxt(2)->text(), QString("025"));
    QCOMPARE(f.State().LoadSetLast, int16_t(25));

    // Priority channel.
    f.Type(3, "1000");
    f.Leave(3);
    QCOMPARE(f.host.Boxes.size(), size_t(3));
    QCOMPARE(f.host.Boxes[2].Text, std::string("entry must be between 0 and 999"));
    f.Type(3, "9");
    f.Leave(3);
    QCOMPARE(f.window->EntryTxt(3)->text(), QString("009"));
    QCOMPARE(f.app.settings.Global.PriorityChannel, int16_t(9));

    // Each check left its record in the key trace.
    f.Action("DbgKeyOff_Menu")->trigger();
    QFile trace(f.dir.path() + "/DEBUGKEY.DAT");
    QVERIFY(trace.open(QIODevice::ReadOnly));
    const QByteArray text = trace.readAll();
    QVERIFY(text.contains("Enter Rigvane Field 0"));
    QVERIFY(text.contains("31303030")); // the text 1000, as hex
    QVERIFY(text.contains("Enter Rigvane Field 3"));
}

void MainWindowControlsTest::channelDigitsAndAutoRepeat() {
    Fixture f;
    f.app.radioState.CurrentChannel = 105;
    f.window->DisplayChannel();
    QCOMPARE(f.Digits(), QString("105"));

    // Right button on the tens digit: 0 - 1 wraps to 9, direction down.
    QTest::mousePress(f.window->MEMDigit(1), Qt::RightButton);
    QCOMPARE(f.State().ScanDirection, int16_t(-1));
    QCOMPARE(f.State().RequestedChannel, int16_t(195));
    QCOMPARE(f.State().Mode, int16_t(ModeChannelSelect));
    QTest::mouseRelease(f.window->MEMDigit(1), Qt::RightButton);
    f.engine->RunPass();
    QCOMPARE(f.Digits(), QString("195"));
    // Left button on the hundreds digit: up again.
    QTest::mouseClick(f.window->MEMDigit(0), Qt::LeftButton);
    QCOMPARE(f.State().ScanDirection, int16_t(1));
    QCOMPARE(f.State().RequestedChannel, int16_t(295));
    f.engine->RunPass();

    // Holding "Up" on 998: one step at once, the next after 500 ms, then every 100 ms.
    f.app.radioState.CurrentChannel = 998;
    QTest::mousePress(f.window->ChanScrlBut(0), Qt::LeftButton);
    QCOMPARE(f.State().RequestedChannel, int16_t(999));
    f.engine->RunPass();
    QCOMPARE(f.Digits(), QString("999"));
    f.host.Advance(499);
    QCOMPARE(f.State().Mode, int16_t(ModeManual));
    f.host.Advance(1);
    QCOMPARE(f.State().RequestedChannel, int16_t(0));
    f.engine->RunPass();
    QCOMPARE(f.Digits(), QString("000"));
    for (int expected : {1, 2, 3}) {
        f.host.Advance(100);
        QCOMPARE(f.State().RequestedChannel, int16_t(expected));
        f.engine->RunPass();
    }
    QCOMPARE(f.Digits(), QString("003"));
    QTest::mouseRelease(f.window->ChanScrlBut(0), Qt::LeftButton);
    f.host.Advance(1000);
    QCOMPARE(f.State().Mode, int16_t(ModeManual));
    QCOMPARE(f.app.radioState.CurrentChannel, int16_t(3));

    // "Dn" from 0 wraps to 999.
    f.app.radioState.CurrentChannel = 0;
    QTest::mouseClick(f.window->ChanScrlBut(1), Qt::LeftButton);
    QCOMPARE(f.State().RequestedChannel, int16_t(999));
    QCOMPARE(f.State().ScanDirection, int16_t(-1));
}

void MainWindowControlsTest::controlSetUpFollowsTheRadio() {
    Fixture f;
    RadioProfile& radio = f.app.settings.Selected();
    auto shown = [&](QWidget* w) { return w->isVisibleTo(f.window.get()); };
    QCheckBox* light = f.Check("LightChk");
    QCheckBox* ctcss = f.Check("CtcsScanChk");

    // LOCAL: the search-bank transfers are offered; turbo modes never are.
    QVERIFY(shown(f.window->ScanModeButton(ModeSearchToRadio)));
    QVERIFY(shown(f.window->ScanModeButton(ModeRadioToSearch)));
    QVERIFY(!shown(f.window->ScanModeButton(ModeTurboScan)));
    QVERIFY(!shown(f.window->ScanModeButton(ModeTurboSearch)));
    QVERIFY(!shown(ctcss));
    QVERIFY(!shown(f.window->BCVFO()));
    QCOMPARE(f.window->ScanModeButton(ModeLoad)->text(), QString("Load "));
    QCOMPARE(f.window->ScanModeButton(ModeSet)->text(), QString("Set "));

    // A family whose model 1 has a light that cannot be switched and CTCSS,
    // with a VFO channel.
    rigvane::test::FakeFamily family(ProtoBearcat);
    family.caps.Ops |= OpLight;
    family.caps.VfoChannel = true;
    family.caps.Models[0].Light = true;
    family.caps.Models[1].Ctcss = true;
    rigvane::test::AddFamily(f.app.link, family);
    radio.Protocol = ProtoBearcat;
    radio.Model = 1;
    radio.VfoChan = 12;
    radio.Port = 2;
    f.window->Drop_Down_Init();
    QVERIFY(!light->isEnabled());
    QVERIFY(shown(ctcss));
    QVERIFY(shown(f.window->BCVFO()));
    QCOMPARE(f.window->BCVFO()->text(), QString("12<->VFO"));
    QVERIFY(!shown(f.window->ScanModeButton(ModeSearchToRadio)));
    QCOMPARE(f.window->findChild<QLabel*>("ComRadio")->text(), QString("COM 2"));
    QCOMPARE(f.window->findChild<QLabel*>("ProtRadio")->text(),
             QString(ModelName(ProtoBearcat, 1)));
    // Model 0: light back, no CTCSS.
    radio.Model = 0;
    f.window->Drop_Down_Init();
    QVERIFY(light->isEnabled());
    QVERIFY(!shown(ctcss));

    // OPTO: no Load, no Set, no memory button, and the computer's memories.
    radio.Protocol = ProtoOpto;
    radio.Memory = true;
    f.window->Drop_Down_Init();
    QVERIFY(!f.window->ScanModeButton(ModeLoad)->isEnabled());
    QVERIFY(!f.window->ScanModeButton(ModeSet)->isEnabled());
    QVERIFY(!f.window->MemBut()->isEnabled());
    QVERIFY(!radio.Memory);
    QCOMPARE(f.window->MemBut()->text(), QString("Use COMPUTER's Memories"));
    QVERIFY(!shown(f.window->BCVFO()));

    // ICOM: everything back; the Load/Set fields hold the radio's range.
    radio.Protocol = ProtoIcom;
    radio.MinChan = 1;
    radio.MaxChan = 99;
    f.window->Drop_Down_Init();
    QVERIFY(f.window->ScanModeButton(ModeLoad)->isEnabled());
    QVERIFY(f.window->ScanModeButton(ModeSet)->isEnabled());
    QVERIFY(f.window->MemBut()->isEnabled());
    QCOMPARE(f.window->EntryTxt(1)->text(), QString("1"));
    QCOMPARE(f.window->EntryTxt(2)->text(), QString("99"));

    // The radio list holds the nine names, the selected one chosen.
    QCOMPARE(f.window->RadioSelCmb()->count(), ProfileCount + 1);
    QCOMPARE(f.window->RadioSelCmb()->currentIndex(), 0);
    QCOMPARE(f.window->findChild<QLabel*>("SelRadLab")->text(), QString("1"));

    // The digits use the display face at its size, tall enough for it.
    const QFont face = f.window->MEMDigit(0)->font();
    QCOMPARE(face.family(), QString("Transistor"));
    QCOMPARE(face.pointSize(), 26);
    QVERIFY(f.window->MEMDigit(0)->height() >= QFontMetrics(face).height());
}

void MainWindowControlsTest::switchesAndMemoryButtons() {
    Fixture f;
    Globals& g = f.app.settings.Global;
    QCheckBox* noLog = f.Check("NoLogChk");
    QRadioButton* load = f.window->ScanModeButton(ModeLoad);
    QRadioButton* vfoToMem = f.window->ScanModeButton(ModeVfoToMem);

    // "Don't Update Memory" with the computer's memories: no Load, no VFO->Mem.
    noLog->click();
    QVERIFY(g.NoLog);
    QVERIFY(!load->isEnabled());
    QVERIFY(!vfoToMem->isEnabled());
    // With the radio's memories VFO->Mem writes the radio: it stays.
    f.window->MemBut()->click();
    QVERIFY(f.app.settings.Selected().Memory);
    QCOMPARE(f.window->MemBut()->text(), QString("Use RADIO'S Memories"));
    QVERIFY(!load->isEnabled());
    QVERIFY(vfoToMem->isEnabled());
    noLog->click();
    QVERIFY(!g.NoLog);
    QVERIFY(load->isEnabled());
    QVERIFY(vfoToMem->isEnabled());
    f.window->MemBut()->click();
    QCOMPARE(f.window->MemBut()->text(), QString("Use COMPUTER's Memories"));

    // Each box stores its switch.
    f.Check("BankChk")->click();
    f.Check("PrioChk")->click();
    f.Check("RsmChk")->click();
    f.Check("SyncChk")->click();
    f.Check("LogChk")->click();
    f.Check("TrunkScanChk")->click();
    QVERIFY(g.UseBanks && g.Priority && g.Logging && g.TrnkSMode);
    QVERIFY(g.SigRsm == 1 && g.MemSync == 1);
    f.Check("PrioChk")->click();
    QVERIFY(!g.Priority);
    // The light switch: a click toggles off and on; the grey state (2, light
    // always on) is shown when the switch holds it.
    QCheckBox* light = f.Check("LightChk");
    light->click();
    QCOMPARE(f.State().LightSwitch, uint8_t(1));
    QCOMPARE(light->checkState(), Qt::Checked);
    light->click();
    QCOMPARE(f.State().LightSwitch, uint8_t(0));
    f.State().LightSwitch = 2;
    f.window->Drop_Down_Init();
    QCOMPARE(light->checkState(), Qt::PartiallyChecked);
    light->click();
    QCOMPARE(f.State().LightSwitch, uint8_t(1));
    light->click();
    light->click();
    QCOMPARE(f.State().LightSwitch, uint8_t(1));

    // A log file that cannot be written turns "Log to File" off again.
    g.LogFile = (f.dir.path() + "/missing/folder/RIGVANE.LOG").toStdString();
    f.app.log.Dply("a line");
    QVERIFY(!g.Logging);
    QVERIFY(!f.Check("LogChk")->isChecked());

    // The control set-up shows the switches as stored.
    g.UseBanks = false;
    g.SigRsm = 0;
    g.NoLog = true;
    f.window->Drop_Down_Init();
    QVERIFY(!f.Check("BankChk")->isChecked());
    QVERIFY(noLog->isChecked());
    QVERIFY(!load->isEnabled());
}

void MainWindowControlsTest::speedLabel() {
    Fixture f;
    QCOMPARE(f.window->SpeedLabelWidget()->text(), QString("SPEED 100%"));
    f.window->Speedbar()->setValue(25);
    QCOMPARE(f.app.settings.Global.Speed, int16_t(25));
    QCOMPARE(f.window->SpeedLabelWidget()->text(), QString("speed    75%"));
    f.window->Speedbar()->setValue(100);
    QCOMPARE(f.window->SpeedLabelWidget()->text(), QString("speed    0%"));
    f.window->Speedbar()->setValue(0);
    QCOMPARE(f.window->SpeedLabelWidget()->text(), QString("speed    100%"));
}

void MainWindowControlsTest::meterColoursAndClicks() {
    Fixture f;
    const char* green = "#00ff00";
    const char* red = "#ff0000";
    const char* idle = "#c0ffc0";
    f.app.radioState.SignalThreshold = 3;
    f.app.radioState.SignalLevel = 5;
    f.engine->SigDisplay();
    for (int i = 0; i < MeterLabels; ++i) {
        const char* expected = i < 3 ? green : i < 5 ? red : idle;
        QVERIFY2(Shows(f.window->SigLab(i), expected), qPrintable(QString::number(i)));
    }

    // "off" clears the threshold first, then the signal.
    f.window->SigOffButton()->click();
    QCOMPARE(f.app.radioState.SignalThreshold, uint8_t(0));
    QCOMPARE(f.app.radioState.SignalLevel, uint8_t(5));
    QVERIFY(Shows(f.window->SigLab(0), red));
    f.window->SigOffButton()->click();
    QCOMPARE(f.app.radioState.SignalLevel, uint8_t(0));

    // Without a radio a click on the meter makes a signal of that strength.
    QTest::mouseClick(f.window->SigLab(6), Qt::LeftButton);
    QCOMPARE(f.app.radioState.SignalLevel, uint8_t(7));
    QVERIFY(Shows(f.window->SigLab(6), red));
    QVERIFY(Shows(f.window->SigLab(7), idle));
    // With a radio it sets the threshold.
    f.app.settings.Selected().Protocol = ProtoIcom;
    QTest::mouseClick(f.window->SigLab(2), Qt::LeftButton);
    QCOMPARE(f.app.radioState.SignalThreshold, uint8_t(3));
    QVERIFY(Shows(f.window->SigLab(2), green));
}

void MainWindowControlsTest::radioSelectionAndStatus() {
    Fixture f;
    QComboBox* radios = f.window->RadioSelCmb();
    // The selected radio again: nothing.
    radios->setCurrentIndex(0);
    Q_EMIT radios->activated(0);
    QCOMPARE(f.State().Mode, int16_t(ModeManual));
    // Another one: mode 14 asked for, which selects it.
    f.app.settings.RadioProfiles[3].Name = RadioProfile::FixedWidth20("Roof scanner");
    Q_EMIT radios->activated(3);
    QCOMPARE(f.app.settings.SelectedRadio, uint8_t(0));
    QCOMPARE(f.State().Mode, int16_t(ModeConnect));
    f.engine->RunPass();
    QCOMPARE(f.app.settings.SelectedRadio, uint8_t(3));
    QCOMPARE(f.State().Mode, int16_t(ModeManual));
    QCOMPARE(f.window->findChild<QLabel*>("SelRadLab")->text(), QString("4"));
    QVERIFY(f.window->ScanModeButton(ModeManual)->isChecked());
    QCOMPARE(radios->currentIndex(), 3);
    QCOMPARE(radios->currentText().trimmed(), QString("Roof scanner"));

    // Switches changed behind the window's back (a frequency file's keywords)
    // show up when the engine refreshes the controls.
    f.app.settings.Global.UseBanks = true;
    f.app.settings.Global.PriorityChannel = 12;
    f.engine->SettingsChanged();
    QVERIFY(f.Check("BankChk")->isChecked());
    QCOMPARE(f.window->EntryTxt(3)->text(), QString("012"));

    // The status label shows the link's caption in its colour; a double click reconnects.
    f.app.link.SetStatus("Radio not responding (double click here to retry)", Rgb(255, 0, 0));
    QCOMPARE(f.window->RadStatus()->text(),
             QString("Radio not responding (double click here to retry)"));
    QVERIFY(f.window->RadStatus()->styleSheet().contains("#ff0000"));
    QTest::mouseDClick(f.window->RadStatus(), Qt::LeftButton);
    QCOMPARE(f.State().Mode, int16_t(ModeConnect));
}

void MainWindowControlsTest::modeButtonsRequestModes() {
    Fixture f;
    f.window->ScanModeButton(ModeScan)->click();
    QCOMPARE(f.State().Mode, int16_t(ModeScan));
    QVERIFY(QString::fromStdString(f.app.log.Newest()).endsWith(":Starting Memory Scan"));
    // The engine selects a button without asking for its mode again.
    f.window->SelectModeButton(ModeManual);
    QVERIFY(f.window->ScanModeButton(ModeManual)->isChecked());
    QCOMPARE(f.State().Mode, int16_t(ModeScan));
    // Swapping VFOs in a scan only switches the active VFO.
    f.window->VSelBut()->click();
    QCOMPARE(f.app.radioState.ActiveVfo, 1);
    QCOMPARE(f.State().Mode, int16_t(ModeScan));
}

void MainWindowControlsTest::startUpReopensWhatWasOpen() {
    QTemporaryDir dir;
    const std::string ini = (dir.path() + "/RIGVANE.INI").toStdString();
    SimHost host;
    {
        App app(host);
        ScanInitialize(app, ini);
        for (WindowPlacement& w : app.settings.Windows)
            w.Open = false;
        app.settings.Windows[WinMessage] = {150, 300, true};
        app.settings.Windows[WinTrunk].Open = true;
        app.settings.Windows[WinMain] = {450, 600, true};
        app.settings.Global.Speed = 40;
        app.settings.Global.LoadFreq = false;
        QVERIFY(SaveSettings(app.settings, host));
    }
    App app(host);
    Engine engine(app);
    MainWindow window(app, engine);
    app.memory.MemoryEdited = true;
    window.Start(ini, StartupHooks(), false);
    QVERIFY(window.isVisible());
    QVERIFY(!window.About()->isVisible());
    QCOMPARE(window.pos(), QPoint(30, 40));
    QVERIFY(window.Messages()->isVisible());
    QCOMPARE(window.Messages()->pos(), QPoint(10, 20));
    QVERIFY(!app.settings.Windows[WinTrunk].Open);
    QVERIFY(app.settings.Windows[WinMain].Open);
    QVERIFY(!app.memory.MemoryEdited);
    QCOMPARE(window.Speedbar()->value(), 40);
    QCOMPARE(window.SpeedLabelWidget()->text(), QString("speed    60%"));
    QCOMPARE(engine.State().Mode, int16_t(ModeManual));
    QVERIFY(host.Boxes.empty());
}

void MainWindowControlsTest::shutdownAsksOnceAboutChangedData() {
    {
        Fixture f;
        f.app.memory.MemoryEdited = true;
        f.host.Answers.push_back(Answer::No);
        f.window->ScanModeButton(ModeScan)->click(); // closing stops a running scan
        f.Action("Exit_menu")->trigger();
        QVERIFY(!f.window->isVisible());
        QVERIFY(f.window->SettingsSaved());
        QCOMPARE(f.State().Mode, int16_t(ModeShutdown));
        QCOMPARE(f.host.Boxes.size(), size_t(1));
        QCOMPARE(f.host.Boxes[0].Title, std::string("Exit"));
        QCOMPARE(f.host.Boxes[0].Text, std::string("Data has changed. Save it?"));
        QVERIFY(QFile::exists(f.dir.path() + "/RIGVANE.INI"));
        QVERIFY(!f.window->About()->isVisible());
        // A second close asks nothing.
        f.window->close();
        QCOMPARE(f.host.Boxes.size(), size_t(1));
    }
    {
        // Ended by a signal: no question; the unsaved data is reported.
        Fixture f;
        f.app.memory.MemoryEdited = true;
        f.window->CloseQuietly();
        QVERIFY(f.window->SettingsSaved());
        QVERIFY(f.host.Boxes.empty());
        bool reported = false;
        for (const std::string& line : f.app.log.History())
            reported =
                reported || line.find("changed channel data was not saved") != std::string::npos;
        QVERIFY(reported);
    }
}

void MainWindowControlsTest::fileDialogFilters() {
    QCOMPARE(MainWindow::QtFilters(FrequencyFileFilter),
             QStringList({"All Files (*.*)", "Text files (*.frq)"}));
    QCOMPARE(MainWindow::QtFilters("Lists|*.lst;*.txt"), QStringList({"Lists (*.lst *.txt)"}));
    QCOMPARE(MainWindow::QtFilters(""), QStringList());

    // The chooser opens on the filter of the given index (counted from 1) and
    // the initial name; cancelling gives "".
    Fixture f;
    const QString initial = f.dir.path() + "/LIST.FRQ";
    QString filter, file;
    bool saving = false;
    auto answer = [&](bool accept) {
        QTimer::singleShot(0, [&, accept] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) { // a platform dialog the test cannot see into
                if (QWidget* w = QApplication::activeModalWidget()) w->close();
                return;
            }
            filter = dialog->selectedNameFilter();
            file = dialog->selectedFiles().value(0);
            saving = dialog->acceptMode() == QFileDialog::AcceptSave;
            QMetaObject::invokeMethod(dialog, accept ? "accept" : "reject");
        });
    };
    answer(false);
    const std::string none =
        f.window->ChooseFile(FrequencyFileFilter, 2, initial.toStdString(), true);
    if (filter.isEmpty()) QSKIP("the platform's own file dialog is in use");
    QCOMPARE(none, std::string());
    QCOMPARE(filter, QString("Text files (*.frq)"));
    QCOMPARE(QFileInfo(file).fileName(), QString("LIST.FRQ"));
    QVERIFY(saving);
    answer(true);
    const std::string chosen = f.window->ChooseFile(LogFileFilter, 2, initial.toStdString(), true);
    QCOMPARE(filter, QString("Log files (*.log)"));
    QCOMPARE(QFileInfo(QString::fromStdString(chosen)).fileName(), QString("LIST.FRQ"));
}

QTEST_MAIN(MainWindowControlsTest)
#include "MainWindowControlsTest.moc"
