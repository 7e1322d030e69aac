// The trunk bank editor: what it shows for the scroll bars, that filling it
// changes nothing, edits and their data-changed flag, the ID's characters,
// and the Radio menu's requests.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

#include "core/SimHost.h"
#include "engine/App.h"
#include "engine/Engine.h"
#include "link/SimulatedPort.h"
#include "sim/BearcatRadio.h"
#include "sim/SimPeer.h"
#include "ui/TrunkEditor.h"

using namespace rigvane;

class TrunkEditorTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void scrollBarsPickTheEntry();
    void fillingChangesNothing();
    void editsWriteTheTablesAndMarkThemChanged();
    void idTakesOnlyWhatTheRadioCan();
    void radioMenuOnlyForATrunkingRadio();
    void roundTripWithTheSimulatedScanner();
};

void TrunkEditorTest::scrollBarsPickTheEntry() {
    SimHost host;
    App app(host);
    Engine engine(app);
    TrunkId& e = app.memory.TrunkIds[345];
    e.Id = "12-345";
    e.Service = "Fire dispatch";
    e.Count = 7;
    e.ActiveTime = 42;
    e.Signal = 9;
    e.TimeStamp = StampFromDateTime({2026, 3, 2, 16, 5, 9});
    e.Delay = true;
    app.memory.TrunkBanks[3].SystemType = 6;
    app.memory.TrunkBanks[3].IdBankEnabled[4] = true;
    app.memory.TrunkBanks[3].ScanEnabled = true;
    TrunkWindow w(app, engine);
    QCOMPARE(w.ShownEntry(), 111);
    QCOMPARE(w.TrunkTsmpLbl()->text(), QString(" (Not Logged)"));
    w.TrunkScroll(1)->setValue(3);
    w.TrunkScroll(2)->setValue(4);
    w.TrunkScroll(3)->setValue(5);
    QCOMPARE(w.ShownEntry(), 345);
    QCOMPARE(w.ShownBank(), 3);
    QCOMPARE(w.BankFrame()->title(), QString("Scanner Bank 03"));
    QCOMPARE(w.IDBnkFrame()->title(), QString("ID Bank 04"));
    QCOMPARE(w.IDChanFrame()->title(), QString("ID Channel 05"));
    QCOMPARE(w.IDEntryTxt()->text(), QString("12-345"));
    QCOMPARE(w.TrunkServTxt()->text(), QString("Fire dispatch"));
    QCOMPARE(w.TrunkCntLbl()->text(), QString("0007"));
    QCOMPARE(w.TrunkTimeLbl()->text(), QString("0042"));
    QCOMPARE(w.TrunkSigLbl()->text(), QString("09"));
    QCOMPARE(w.TrunkTsmpLbl()->text(), QString("03/02/26 16:05:09"));
    QVERIFY(w.TrunkDelayChk()->isChecked() && !w.TrunkValidChk()->isChecked());
    QCOMPARE(w.TypeCombo()->currentText(), QString("EDACS"));
    QVERIFY(w.BnkEnblChk(4)->isChecked() && !w.BnkEnblChk(3)->isChecked());
    QVERIFY(w.IDScanEnblChk()->isChecked());
    // Only the seven defined system types are offered.
    QCOMPARE(w.TypeCombo()->count(), 7);
}

void TrunkEditorTest::fillingChangesNothing() {
    SimHost host;
    App app(host);
    Engine engine(app);
    for (int b = 0; b < TrunkBankCount; ++b) {
        app.memory.TrunkBanks[size_t(b)].SystemType = uint8_t(b % 7);
        app.memory.TrunkBanks[size_t(b)].IdBankEnabled[size_t(b)] = true;
        app.memory.TrunkBanks[size_t(b)].ScanEnabled = b % 2 == 0;
    }
    app.memory.TrunkIds[999].Id = "A LONG ID TEXT"; // more than the field takes
    const Memory before = app.memory;
    TrunkWindow w(app, engine);
    w.show();
    for (int s = 0; s <= 9; ++s)
        for (int c : {0, 9}) {
            w.TrunkScroll(1)->setValue(s);
            w.TrunkScroll(2)->setValue(c);
            w.TrunkScroll(3)->setValue(c);
        }
    QCOMPARE(w.ShownEntry(), 999);
    QVERIFY(app.memory.TrunkBanks == before.TrunkBanks);
    QVERIFY(app.memory.TrunkIds == before.TrunkIds);
    QVERIFY(!app.memory.MemoryEdited);
}

void TrunkEditorTest::editsWriteTheTablesAndMarkThemChanged() {
    SimHost host;
    App app(host);
    Engine engine(app);
    TrunkWindow w(app, engine);
    w.show();
    w.TrunkScroll(1)->setValue(2);
    w.TrunkScroll(2)->setValue(0);
    w.TrunkScroll(3)->setValue(7);
    auto edited = [&app] {
        const bool was = app.memory.MemoryEdited;
        app.memory.MemoryEdited = false;
        return was;
    };
    w.TrunkValidChk()->click();
    QVERIFY(app.memory.TrunkIds[207].Valid);
    QVERIFY(edited());
    w.TrunkRsmChk()->click();
    QVERIFY(app.memory.TrunkIds[207].Resume);
    QVERIFY(edited());
    w.BnkEnblChk(9)->click();
    QVERIFY(app.memory.TrunkBanks[2].IdBankEnabled[9]);
    QVERIFY(edited());
    w.IDScanEnblChk()->click();
    QVERIFY(app.memory.TrunkBanks[2].ScanEnabled);
    QVERIFY(edited());
    w.TypeCombo()->activated(3);
    QCOMPARE(int(app.memory.TrunkBanks[2].SystemType), 3);
    QVERIFY(edited());
    QTest::keyClicks(w.TrunkServTxt(), "Police");
    QCOMPARE(app.memory.TrunkIds[207].Service, std::string("Police"));
    QVERIFY(edited());
    // The scan flag is the shown bank's own.
    w.TrunkScroll(1)->setValue(5);
    QVERIFY(!w.IDScanEnblChk()->isChecked());
    w.TrunkScroll(1)->setValue(2);
    QVERIFY(w.IDScanEnblChk()->isChecked());
}

void TrunkEditorTest::idTakesOnlyWhatTheRadioCan() {
    SimHost host;
    App app(host);
    Engine engine(app);
    TrunkWindow w(app, engine);
    w.show();
    w.IDEntryTxt()->clear();
    QTest::keyClicks(w.IDEntryTxt(), "12 3A,-./_456789");
    QTest::keyClick(w.IDEntryTxt(), Qt::Key_Return);
    QCOMPARE(app.memory.TrunkIds[111].Id, std::string("123,-./_"));
    QVERIFY(app.memory.MemoryEdited);
    // A pasted line end never gets in.
    w.IDEntryTxt()->clear();
    QGuiApplication::clipboard()->setText("45\r\nLTN");
    w.IDEntryTxt()->paste();
    QVERIFY(!w.IDEntryTxt()->text().contains('\n'));
    QVERIFY(app.memory.TrunkIds[111].Id.find('\r') == std::string::npos);
}

void TrunkEditorTest::radioMenuOnlyForATrunkingRadio() {
    SimHost host;
    App app(host);
    Engine engine(app);
    TrunkWindow w(app, engine);
    QVERIFY(!w.Radio_Load_Menu()->isEnabled()); // the LOCAL radio keeps no trunk banks
    app.settings.Selected().Protocol = ProtoBearcat;
    w.RadioChanged();
    QVERIFY(w.Radio_Load_Menu()->isEnabled() && w.Save_IDs_Menu()->isEnabled());
    w.Save_IDs_Menu()->trigger();
    QCOMPARE(int(engine.State().Mode), int(ModePendingAction));
    QCOMPARE(int(engine.State().PendingAction), int(ActionSaveTrunkIds));
}

// The editor redraws when the engine says the trunk data changed.
struct EditorView : EngineView {
    TrunkWindow* Window = nullptr;
    void TrunkDataChanged() override { Window->Display_Trunk(); }
};

void TrunkEditorTest::roundTripWithTheSimulatedScanner() {
    SimHost host;
    App app(host);
    auto peer =
        std::make_shared<SimPeer>(std::make_unique<BearcatRadio>(BearcatRadio::Model::Bc895));
    auto& sim = dynamic_cast<BearcatRadio&>(peer->Radio());
    sim.Memories[61] = {8516250, true}; // bank 3 is a trunk bank
    sim.TrunkBanks[3].Type = 2;
    sim.TrunkBanks[3].IdBankEnabled[4] = true;
    sim.TrunkBanks[3].Ids[45] = "2416";
    app.link.SetPortFactory([&](const std::string&) -> std::unique_ptr<SerialPort> {
        return std::make_unique<SimulatedPort>(host, peer);
    });
    RadioProfile& p = app.settings.Selected();
    p.Protocol = ProtoBearcat;
    p.Model = 2;
    p.Device = "sim:bearcat-bc895";
    p.Timeout = 30;
    p.VfoChan = 300;
    Engine engine(app);
    QCOMPARE(int(app.radio.OpenRadio()), 0);
    TrunkWindow w(app, engine);
    EditorView view;
    view.Window = &w;
    engine.SetView(&view);
    w.show();
    auto run = [&](QAction* menu) {
        menu->trigger();
        engine.RunPass(); // the action, in mode 15
    };
    QVERIFY(w.Radio_Load_Menu()->isEnabled());
    run(w.Radio_Load_Menu());
    w.TrunkScroll(1)->setValue(3);
    w.TrunkScroll(2)->setValue(4);
    w.TrunkScroll(3)->setValue(5);
    QCOMPARE(w.IDEntryTxt()->text(), QString("2416"));
    QCOMPARE(w.TypeCombo()->currentText(), QString("E2-800"));
    QVERIFY(w.BnkEnblChk(4)->isChecked());

    // Changed in the editor and saved back.
    w.IDEntryTxt()->selectAll();
    QTest::keyClicks(w.IDEntryTxt(), "2417");
    w.TrunkScroll(3)->setValue(6);
    QTest::keyClicks(w.IDEntryTxt(), "05-023");
    w.BnkEnblChk(7)->click();
    w.TypeCombo()->activated(5);
    const Memory edited = app.memory;
    run(w.Save_IDs_Menu());
    QCOMPARE(sim.TrunkBanks[3].Ids[45], std::string("2417"));
    QCOMPARE(sim.TrunkBanks[3].Type, 5);

    // Read again: what was saved comes back unchanged.
    app.memory.ClearAllMemory();
    run(w.Radio_Load_Menu());
    for (int i = 300; i < 400; ++i) {
        std::string want = edited.TrunkIds[size_t(i)].Id;
        if (want == "__.___") want = "";
        QCOMPARE(app.memory.TrunkIds[size_t(i)].Id, want);
    }
    QVERIFY(app.memory.TrunkBanks[3] == edited.TrunkBanks[3]);
    QCOMPARE(w.IDEntryTxt()->text(), QString("05-023"));
}

QTEST_MAIN(TrunkEditorTest)
#include "TrunkEditorTest.moc"
