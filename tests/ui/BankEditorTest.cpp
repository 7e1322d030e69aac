// The scan and search bank editors: fields through a save and reload, the
// entry rules, the clear questions and the search bank cursor of modes 9
// and 10.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QUndoStack>

#include "EditorsFixture.h"
#include "ui/BankEditor.h"
#include "ui/RecordTable.h"

using namespace rigvane;
using rigvane::test::EditorRig;

namespace {
// The scan and the search bank editor, both open.
std::pair<BankEditor&, BankEditor&> Open(EditorRig& rig) {
    rig.window->ShowScanEditor();
    rig.window->ShowSearchEditor();
    return {*rig.window->ScanEditor(), *rig.window->SearchEditor()};
}
} // namespace

class BankEditorTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void fieldsRoundTripThroughSaveAndReload();
    void refusedEntriesKeepTheStoredValue();
    void clearQuestionsDefaultToNo();
    void searchEditorFollowsTheBankTransfers();
};

void BankEditorTest::fieldsRoundTripThroughSaveAndReload() {
    EditorRig rig;
    auto [scan, search] = Open(rig);

    EditorRig::Type(scan.EntryTxt(0), "3");
    QCOMPARE(scan.Scroll()->value(), 3);
    EditorRig::Type(scan.EntryTxt(1), "10");
    EditorRig::Type(scan.EntryTxt(2), "20");
    EditorRig::Type(scan.EntryTxt(4), "Fire");
    scan.ValidChk()->click();
    QCOMPARE(scan.EntryTxt(1)->text(), QString("010"));

    EditorRig::Type(search.EntryTxt(0), "2");
    EditorRig::Type(search.EntryTxt(1), "118");
    EditorRig::Type(search.EntryTxt(2), "137");
    EditorRig::Type(search.EntryTxt(3), ".025");
    search.ModulationCombo()->activated(3);
    EditorRig::Type(search.EntryTxt(4), "Air band");
    search.ValidChk()->click();
    QCOMPARE(search.ModulationCombo()->count(), 10);
    QCOMPARE(search.EntryTxt(3)->text(), QString("0000.02500"));
    // What is shown is what was stored: the sixth decimal is dropped.
    EditorRig::Type(search.EntryTxt(2), "137.123456");
    QCOMPARE(rig.app.memory.SearchBanks[2].Upper, 13712345);
    QCOMPARE(search.EntryTxt(2)->text(), QString("0137.12345"));
    QVERIFY(rig.app.memory.MemoryEdited);

    const Channel scanBank = rig.app.memory.ScanBanks[3];
    const Channel searchBank = rig.app.memory.SearchBanks[2];
    QTemporaryDir dir;
    QVERIFY(rig.SaveAndReload(dir.path() + "/banks.frq"));
    QVERIFY(rig.app.memory.ScanBanks[3] == scanBank);
    QVERIFY(rig.app.memory.SearchBanks[2] == searchBank);
    QCOMPARE(search.EntryTxt(1)->text(), QString("0118.00000"));
    QCOMPARE(search.ModulationCombo()->currentIndex(), 3);
    QVERIFY(scan.ValidChk()->isChecked());
    QCOMPARE(scan.EntryTxt(4)->text(), QString("Fire"));
    EditorRig::Shot(&scan, "scan-bank-editor");
    EditorRig::Shot(&search, "search-bank-editor");
}

void BankEditorTest::refusedEntriesKeepTheStoredValue() {
    EditorRig rig;
    auto [scan, search] = Open(rig);
    EditorRig::Type(scan.EntryTxt(0), "100");
    QCOMPARE(rig.host.Boxes.back().Title, std::string(" entry error"));
    QCOMPARE(rig.host.Boxes.back().Text, std::string("entry must be between 0 and 99"));
    QCOMPARE(scan.Shown(), 0);
    EditorRig::Type(scan.EntryTxt(2), "1000");
    QCOMPARE(rig.host.Boxes.back().Text, std::string("entry must be between 0 and 999"));
    QCOMPARE(scan.EntryTxt(2)->text(), QString("000"));

    EditorRig::Type(search.EntryTxt(1), "145");
    const size_t boxes = rig.host.Boxes.size();
    // A step of 0 would hold a search on one frequency for ever.
    EditorRig::Type(search.EntryTxt(3), "0");
    QCOMPARE(rig.host.Boxes.size(), boxes + 1);
    QCOMPARE(rig.app.memory.SearchBanks[0].Step, 500);
    QCOMPARE(search.EntryTxt(3)->text(), QString("0000.00500"));
    EditorRig::Type(search.EntryTxt(1), "00145.5");
    QCOMPARE(rig.host.Boxes.back().Text, std::string("entry must be between 0 and 9999"));
    QCOMPARE(rig.app.memory.SearchBanks[0].Lower, 14500000);
    QCOMPARE(search.EntryTxt(1)->text(), QString("0145.00000"));

    // Bank and channel numbers take no point, search frequencies one, the
    // name anything; Escape shows the stored value again.
    for (QLineEdit* number : {scan.EntryTxt(1), search.EntryTxt(0)}) {
        const int beeps = rig.host.Beeps;
        QTest::keyClicks(number, ".");
        QVERIFY(rig.host.Beeps > beeps);
        QVERIFY(!number->text().contains('.'));
    }
    const int beeps = rig.host.Beeps;
    EditorRig::Type(search.EntryTxt(2), "146.5", false);
    QCOMPARE(rig.host.Beeps, beeps);
    QCOMPARE(search.EntryTxt(2)->text(), QString("146.5"));
    QTest::keyClick(search.EntryTxt(2), Qt::Key_Escape);
    QCOMPARE(search.EntryTxt(2)->text(), QString("0000.00000"));
    QCOMPARE(rig.app.memory.SearchBanks[0].Upper, 0);
    EditorRig::Type(search.EntryTxt(4), "Air 1.2");
    QCOMPARE(rig.app.memory.SearchBanks[0].Service, std::string("Air 1.2"));
}

void BankEditorTest::clearQuestionsDefaultToNo() {
    EditorRig rig;
    auto [scan, search] = Open(rig);
    rig.app.memory.ScanBanks[5].Valid = true;
    rig.app.memory.SearchBanks[5].Step = 1250;
    rig.app.memory.SearchBanks[5].Mode = 5;
    rig.app.memory.SearchBanks[6].Lower = 100;

    rig.host.Answers = {Answer::No, Answer::No};
    scan.findChild<QAction*>("DBClrAllSc_Menu")->trigger();
    search.findChild<QAction*>("DbClrAllSr_Menu")->trigger();
    QCOMPARE(rig.host.Boxes.size(), size_t(2));
    QCOMPARE(rig.host.Boxes[0].Title, std::string("Clear Scan Banks"));
    QCOMPARE(rig.host.Boxes[0].Text,
             std::string("All Scan Channels will be cleared\n Are you sure?"));
    QCOMPARE(rig.host.Boxes[1].Title, std::string("Clear Search  Banks"));
    QCOMPARE(rig.host.Boxes[1].Text,
             std::string("All Search Channels will be cleared\n Are you sure?"));
    for (const auto& b : rig.host.Boxes)
        QCOMPARE(b.Default, Answer::No);
    QVERIFY(rig.app.memory.ScanBanks[5].Valid);

    // The current search bank cleared: step 500 and "FMn", the others stay.
    search.ShowEntry(5);
    search.findChild<QAction*>("DBClrSr_Menu")->trigger();
    QCOMPARE(rig.app.memory.SearchBanks[5].Step, 500);
    QCOMPARE(int(rig.app.memory.SearchBanks[5].Mode), 2);
    QCOMPARE(search.EntryTxt(3)->text(), QString("0000.00500"));
    QCOMPARE(rig.app.memory.SearchBanks[6].Lower, 100);

    rig.host.Answers = {Answer::Yes};
    scan.findChild<QAction*>("DBClrAllSc_Menu")->trigger();
    QVERIFY(!rig.app.memory.ScanBanks[5].Valid);
}

void BankEditorTest::searchEditorFollowsTheBankTransfers() {
    EditorRig rig;
    rig.window->ShowSearchEditor();
    BankEditor& search = *rig.window->SearchEditor();
    // The bank on display is where Search->Radio and Radio->Search start.
    search.Scroll()->setValue(7);
    QCOMPARE(rig.engine.State().SearchBankCursor, int16_t(7));
    QCOMPARE(search.Shown(), 7);
    // A bank read from the radio shows in the form and the table.
    rig.app.memory.SearchBanks[9].Lower = 14400000;
    rig.window->SearchBankEditorShow(9);
    QCOMPARE(search.Shown(), 9);
    QCOMPARE(search.EntryTxt(1)->text(), QString("0144.00000"));
    QCOMPARE(search.Model()->index(9, 1).data().toString(), QString("0144.00000"));
    // Mode 9 walks the banks from the cursor and ends on bank 0.
    rig.engine.RequestMode(ModeSearchToRadio);
    rig.engine.RunPass();
    QCOMPARE(search.Shown(), 0);
    QCOMPARE(rig.engine.State().SearchBankCursor, int16_t(0));
}

QTEST_MAIN(BankEditorTest)
#include "BankEditorTest.moc"
