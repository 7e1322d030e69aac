// The memory channel editor: its fields through a save and reload, the entry
// rules, Memory Sync during a hit, sort and lookup from its menu, the clear
// questions, the table with its sort and filter, the clipboard, the range
// dialog and undo while the scan writes statistics into the same channel.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QUndoStack>

#include "EditorsFixture.h"
#include "storage/FrequencyDatabase.h"
#include "ui/BankEditor.h"
#include "ui/MemoryEditor.h"
#include "ui/MoveDialog.h"
#include "ui/RecordTable.h"

using namespace rigvane;
using rigvane::test::EditorRig;

namespace {

QAction* Menu(QWidget* w, const char* name) {
    return w->findChild<QAction*>(name);
}

MemoryEditor& Open(EditorRig& rig) {
    rig.window->ShowMemoryEditor();
    return *rig.window->MemoryEditorWindow();
}

} // namespace

class MemoryEditorTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void fieldsRoundTripThroughSaveAndReload();
    void refusedEntriesKeepTheStoredValue();
    void typedTextStaysWithItsChannel();
    void sortAndLookupFromTheMenu();
    void clearQuestionsDefaultToNo();
    void tableSortsAndFiltersWithoutReordering();
    void pasteNeverRunsKeywords();
    void rangeDialogCopiesAndUndoes();
    void undoKeepsStatisticsOfAHit();
    void selectionOperationsAndLists();
    void editorsReopenWhereTheyWere();
};

void MemoryEditorTest::fieldsRoundTripThroughSaveAndReload() {
    EditorRig rig;
    MemoryEditor& e = Open(rig);
    QCOMPARE(e.windowTitle(), QString("Memory Channels[*]"));
    QVERIFY(!e.isWindowModified());
    EditorRig::Type(e.EntryTxt(0), "12");
    QCOMPARE(e.Shown(), 12);
    QCOMPARE(e.MemScroll()->value(), 12);
    EditorRig::Type(e.EntryTxt(1), "145.5");
    EditorRig::Type(e.EntryTxt(4), "Fire dispatch");
    e.ModulationCombo()->activated(1);
    for (QCheckBox* c : {e.MemValidChk(), e.MemDelayChk(), e.MemRsmChk(), e.MemTrunkChk()})
        c->click();
    for (int i = 0; i < AuxCheckCount; ++i)
        if (i != 4) e.MemAuxChk(i)->click(); // Tone 3 is not offered on this radio
    e.MemAuxCmb(0)->activated(42);           // "254.1"
    QCOMPARE(e.MemAuxCmb(0)->itemText(42), QString("254.1"));
    e.MemAuxCmb(1)->activated(2);
    e.MemAuxCmb(2)->activated(1);
    e.MemAuxCmb(3)->activated(2);
    e.MemAuxCmb(4)->activated(5);
    e.MemAuxCmb(5)->activated(7);
    QCOMPARE(e.ModulationCombo()->count(), 10); // code 10 has no name and is not offered
    QVERIFY(rig.app.memory.MemoryEdited);
    QTRY_VERIFY(e.isWindowModified());

    const Channel typed = rig.app.memory.Channels[12];
    QCOMPARE(typed.Frequency, 14550000);
    QCOMPARE(typed.Service, std::string("Fire dispatch"));
    QVERIFY(typed.Valid && typed.Delay && typed.Resume && typed.Trunked);
    QVERIFY(typed.Notch && typed.Sync && typed.Preamp && typed.Tone2On && typed.Atten);
    QCOMPARE(int(typed.Tone1), 42);
    QCOMPARE(int(typed.NoiseBlank), 2);

    QTemporaryDir dir;
    QVERIFY(rig.SaveAndReload(dir.path() + "/round.frq"));
    const Channel& back = rig.app.memory.Channels[12];
    QVERIFY2(back == typed, "every field comes back from the file");
    // The editor shows what was read.
    QCOMPARE(e.EntryTxt(1)->text(), QString("0145.50000"));
    QCOMPARE(e.MemAuxCmb(0)->currentIndex(), 42);
    QCOMPARE(e.MemAuxCmb(5)->currentIndex(), 7);
    QVERIFY(e.MemTrunkChk()->isChecked());
    QCOMPARE(e.StatLabel(3)->text(), QString(" (Not Logged)"));
    EditorRig::Shot(&e, "memory-editor");
}

void MemoryEditorTest::refusedEntriesKeepTheStoredValue() {
    EditorRig rig;
    MemoryEditor& e = Open(rig);
    rig.SetChannel(0, 146.52);
    e.Redisplay();
    // Leading zeros beyond four digits do not convert: refused, not stored
    // as the invalid marker; the field shows the stored value again.
    EditorRig::Type(e.EntryTxt(1), "00145.5");
    QCOMPARE(rig.host.Boxes.size(), size_t(1));
    QCOMPARE(rig.host.Boxes[0].Title, std::string(" entry error"));
    QCOMPARE(rig.host.Boxes[0].Text, std::string("entry must be between 0 and 9999"));
    QCOMPARE(rig.app.memory.Channels[0].Frequency, 14652000);
    QCOMPARE(e.EntryTxt(1)->text(), QString("0146.52000"));
    // A later pass through the field writes nothing.
    QTest::keyClick(e.EntryTxt(1), Qt::Key_Return);
    QCOMPARE(rig.app.memory.Channels[0].Frequency, 14652000);
    QVERIFY(!rig.app.memory.MemoryEdited);
    // Keys other than digits and one point are refused with a beep.
    const int beeps = rig.host.Beeps;
    QTest::keyClicks(e.EntryTxt(1), "x.");
    QVERIFY(rig.host.Beeps > beeps);
    QVERIFY(!e.EntryTxt(1)->text().contains('x'));
    QTest::keyClick(e.EntryTxt(1), Qt::Key_Escape);
    QCOMPARE(e.EntryTxt(1)->text(), QString("0146.52000"));
    // The top of the scale is a frequency.
    EditorRig::Type(e.EntryTxt(1), "9999.99999");
    QCOMPARE(rig.app.memory.Channels[0].Frequency, 999999999);

    // A channel number beyond the table: the box names the limit, the
    // channel shown stays.
    EditorRig::Type(e.EntryTxt(0), "1000");
    QCOMPARE(rig.host.Boxes.back().Text, std::string("entry must be between 0 and 999"));
    QCOMPARE(e.Shown(), 0);
    QCOMPARE(e.EntryTxt(0)->text(), QString("000"));
}

void MemoryEditorTest::typedTextStaysWithItsChannel() {
    EditorRig rig;
    MemoryEditor& e = Open(rig);
    rig.SetChannel(3, 150.0);
    rig.SetChannel(9, 160.0);
    e.ShowEntry(3);
    // Typing without leaving the field; then Memory Sync shows channel 9.
    EditorRig::Type(e.EntryTxt(4), "typed for 3", false);
    EditorRig::Type(e.EntryTxt(1), "151", false);
    rig.window->ShowChannelInEditor(9);
    QCOMPARE(e.Shown(), 9);
    QCOMPARE(e.EntryTxt(1)->text(), QString("0160.00000"));
    QTest::keyClick(e.EntryTxt(4), Qt::Key_Return);
    QTest::keyClick(e.EntryTxt(1), Qt::Key_Return);
    QCOMPARE(rig.app.memory.Channels[9].Service, std::string());
    QCOMPARE(rig.app.memory.Channels[9].Frequency, 16000000);
    QCOMPARE(rig.app.memory.Channels[3].Frequency, 15000000);

    // A change of the shown channel by the scan keeps what is being typed.
    EditorRig::Type(e.EntryTxt(4), "Tower", false);
    rig.app.memory.Channels[9].Count = 4;
    rig.window->ChannelChanged(9);
    QCOMPARE(e.StatLabel(0)->text(), QString("0004"));
    QCOMPARE(e.EntryTxt(4)->text(), QString("Tower"));
    QTest::keyClick(e.EntryTxt(4), Qt::Key_Return);
    QCOMPARE(rig.app.memory.Channels[9].Service, std::string("Tower"));
    QCOMPARE(rig.app.memory.Channels[9].Count, int16_t(4));
}

void MemoryEditorTest::sortAndLookupFromTheMenu() {
    EditorRig rig;
    MemoryEditor& e = Open(rig);
    rig.SetChannel(0, 100.0);
    rig.SetChannel(1, 300.0);
    rig.SetChannel(2, 200.0);
    e.ShowEntry(0);
    e.EntryTxt(4)->setText("stale text");
    Menu(&e, "DBSort_Menu")->trigger();
    rig.engine.RunPass();
    QCOMPARE(rig.app.memory.Channels[0].Frequency, 30000000); // highest first
    QCOMPARE(e.EntryTxt(1)->text(), QString("0300.00000"));
    QCOMPARE(e.EntryTxt(4)->text(), QString());

    FrequencyDatabase& db = rig.app.database;
    db.DbFreq = {20000000};
    db.DbDesc = {"Marine"};
    db.DbCount = 1;
    db.Reindex();
    e.ShowEntry(1);
    Menu(&e, "DBLookup_Menu")->trigger();
    rig.engine.RunPass();
    QCOMPARE(rig.app.memory.Channels[1].Service, std::string("Marine"));
    QCOMPARE(e.EntryTxt(4)->text(), QString("Marine"));
    const QModelIndex row = e.Model()->index(1, RecordTableModel::ColService);
    QCOMPARE(row.data().toString(), QString("Marine"));
}

void MemoryEditorTest::clearQuestionsDefaultToNo() {
    EditorRig rig;
    MemoryEditor& e = Open(rig);
    rig.SetChannel(4, 146.0);
    rig.SetChannel(7, 147.0);
    rig.host.Answers = {Answer::No};
    Menu(&e, "DBClrAll_Menu")->trigger();
    QCOMPARE(rig.host.Boxes.back().Title, std::string("Clear Channels"));
    QCOMPARE(rig.host.Boxes.back().Text,
             std::string("All Channel Info will be cleared\n Are you sure?"));
    QCOMPARE(rig.host.Boxes.back().Icon, MsgIcon::Exclamation);
    QCOMPARE(rig.host.Boxes.back().Default, Answer::No);
    QCOMPARE(rig.app.memory.Channels[4].Frequency, 14600000);

    rig.host.Answers = {Answer::Yes};
    Menu(&e, "DBClrAll_Menu")->trigger();
    QCOMPARE(rig.app.memory.Channels[4], BlankChannel);
    QCOMPARE(rig.app.memory.Channels[7], BlankChannel);
    // Cleared by mistake: one undo brings everything back.
    e.UndoStack()->undo();
    QCOMPARE(rig.app.memory.Channels[7].Frequency, 14700000);

    e.ShowEntry(4);
    Menu(&e, "DBClrCur_Menu")->trigger();
    QCOMPARE(rig.app.memory.Channels[4], BlankChannel);
    QCOMPARE(rig.app.memory.Channels[7].Frequency, 14700000);
}

void MemoryEditorTest::tableSortsAndFiltersWithoutReordering() {
    EditorRig rig;
    MemoryEditor& e = Open(rig);
    rig.SetChannel(10, 460.0);
    rig.app.memory.Channels[10].Service = "Fire north";
    rig.SetChannel(20, 155.0);
    rig.app.memory.Channels[20].Service = "Fire south";
    rig.SetChannel(30, 121.5);
    rig.app.memory.Channels[30].Service = "Air";
    rig.app.memory.Channels[30].Valid = false;
    e.Redisplay();
    QAbstractItemModel* view = e.Table()->model();
    auto rowsShown = [&] {
        QList<int> out;
        for (int r = 0; r < view->rowCount(); ++r)
            out << view->index(r, 0).data(RecordTableModel::SortRole).toInt();
        return out;
    };
    QCOMPARE(view->rowCount(), 1000);
    e.FilterState()->setCurrentIndex(3); // in use
    QCOMPARE(rowsShown(), (QList<int>{10, 20, 30}));
    e.FilterText()->setText("fire");
    QCOMPARE(rowsShown(), (QList<int>{10, 20}));
    e.FilterText()->clear();
    e.FilterFrom()->setText("120");
    e.FilterTo()->setText("200");
    QCOMPARE(rowsShown(), (QList<int>{20, 30}));
    e.FilterFrom()->clear();
    e.FilterTo()->clear();
    e.FilterState()->setCurrentIndex(1); // valid
    QCOMPARE(rowsShown(), (QList<int>{10, 20}));
    e.FilterState()->setCurrentIndex(3);
    e.Table()->sortByColumn(RecordTableModel::ColFrequency, Qt::DescendingOrder);
    QCOMPARE(rowsShown(), (QList<int>{10, 20, 30}));
    e.Table()->sortByColumn(RecordTableModel::ColFrequency, Qt::AscendingOrder);
    QCOMPARE(rowsShown(), (QList<int>{30, 20, 10}));
    QCOMPARE(rig.app.memory.Channels[10].Frequency, 46000000); // memory keeps its order
    // Selecting a row shows its channel in the form.
    e.Table()->selectRow(1);
    QCOMPARE(e.Shown(), 20);
    QCOMPARE(e.EntryTxt(4)->text(), QString("Fire south"));
    // Double-click tunes through the main loop.
    QCOMPARE(view->index(1, 1).data().toString(), QString("0155.00000"));
    e.Table()->doubleClicked(view->index(1, 1));
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeChannelSelect));
    QCOMPARE(rig.engine.State().RequestedChannel, int16_t(20));
}

void MemoryEditorTest::pasteNeverRunsKeywords() {
    EditorRig rig;
    MemoryEditor& e = Open(rig);
    rig.SetChannel(1, 146.0);
    rig.app.memory.Channels[1].Service = "one";
    rig.SetChannel(2, 147.0);
    rig.app.memory.Channels[2].Tone1 = 42;
    e.Table()->selectRow(1);
    e.Table()->selectionModel()->select(e.Table()->model()->index(2, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCOMPARE(e.SelectedEntries(), (std::vector<int>{1, 2}));
    e.CopySelection();
    const QString copied = QApplication::clipboard()->text();
    QVERIFY(copied.startsWith("001 0146.00000"));

    rig.app.settings.Global.UseBanks = false;
    const QString text =
        "CLEAR\nBANK ON\nSCAN\n" + copied + "#  2 0118.00000 0137.00000 0000.02500 AM SEARCH Air\n";
    e.Table()->selectRow(500);
    e.Paste(text);
    QCOMPARE(rig.app.memory.Channels[500].Service, std::string("one"));
    QCOMPARE(int(rig.app.memory.Channels[501].Tone1), 42);
    QCOMPARE(rig.app.memory.Channels[1].Frequency, 14600000); // CLEAR never ran
    QVERIFY(!rig.app.settings.Global.UseBanks);               // nor BANK ON
    QCOMPARE(rig.engine.State().Mode, int16_t(ModeManual));   // nor SCAN
    QCOMPARE(rig.app.memory.SearchBanks[2].Lower, 0);         // another table: left out
    QCOMPARE(e.Shown(), 500);
    e.UndoStack()->undo();
    QCOMPARE(rig.app.memory.Channels[500], BlankChannel);
    // Pasting at the end of the table drops what does not fit.
    e.Table()->selectRow(999);
    e.Paste(copied);
    QCOMPARE(rig.app.memory.Channels[999].Service, std::string("one"));
    QCOMPARE(rig.app.memory.Channels[1000], BlankChannel);
}

void MemoryEditorTest::rangeDialogCopiesAndUndoes() {
    EditorRig rig;
    MemoryEditor& e = Open(rig);
    for (int i = 0; i < 10; ++i)
        rig.SetChannel(i, 140.0 + i);
    e.ShowEntry(0);
    e.Table()->selectRow(0);
    for (int i = 1; i < 10; ++i)
        e.Table()->selectionModel()->select(e.Table()->model()->index(i, 0),
                                            QItemSelectionModel::Select |
                                                QItemSelectionModel::Rows);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<MoveDialog*>(QApplication::activeModalWidget());
        QVERIFY(d);
        shown = true;
        // Pre-filled with the selection.
        QCOMPARE(d->SSTARTTXT()->text(), QString("0"));
        QCOMPARE(d->SENDTXT()->text(), QString("9"));
        d->DSTARTTXT()->setText("500");
        EditorRig::Shot(d, "move-dialog");
        d->Button(MoveOp::Copy)->click();
        rig.window->MemoryEditorWindow()->ShowEntry(505);
        // An overlapping swap that would lose channels is refused with a box.
        d->SSTARTTXT()->setText("3");
        d->SENDTXT()->setText("7");
        d->DSTARTTXT()->setText("5");
        d->Button(MoveOp::Swap)->click();
        d->CANCELBUT()->click();
    });
    Menu(&e, "MoveCopy_Menu")->trigger();
    QVERIFY(shown);
    QCOMPARE(rig.host.Boxes.back().Title, std::string("Error!"));
    QCOMPARE(rig.app.memory.Channels[3].Frequency, 14300000);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(rig.app.memory.Channels[500 + i].Frequency, 14000000 + i * 100000);
    QCOMPARE(e.EntryTxt(1)->text(), QString("0145.00000"));
    QVERIFY(rig.app.memory.MemoryEdited);

    e.UndoStack()->undo();
    for (int i = 0; i < 10; ++i)
        QCOMPARE(rig.app.memory.Channels[500 + i], BlankChannel);
    QCOMPARE(e.EntryTxt(1)->text(), QString("0000.00000"));
    e.UndoStack()->redo();
    QCOMPARE(rig.app.memory.Channels[509].Frequency, 14900000);

    // Saved, the copy is in the file.
    QTemporaryDir dir;
    QVERIFY(rig.SaveAndReload(dir.path() + "/copy.frq"));
    QCOMPARE(rig.app.memory.Channels[509].Frequency, 14900000);
    QVERIFY(!rig.app.memory.MemoryEdited);
}

void MemoryEditorTest::undoKeepsStatisticsOfAHit() {
    EditorRig rig(true);
    MemoryEditor& e = Open(rig);
    rig.SetChannel(5, 146.0);
    rig.SetChannel(6, 148.0);
    e.ShowEntry(5);
    EditorRig::Type(e.EntryTxt(4), "Marine 16");
    EditorRig::Type(e.EntryTxt(1), "147");
    // The scan meets a signal on the edited channel and counts it; Memory
    // Sync brings that channel into the editor.
    e.ShowEntry(0);
    rig.app.settings.Global.MemSync = 1;
    ActiveFrequency busy;
    busy.FrequencyHz = 147000000;
    busy.Level = 9;
    rig.sim->Schedule.Entries.push_back(busy);
    rig.engine.RequestMode(ModeScan);
    rig.RunUntil([&] { return rig.app.memory.Channels[5].Count > 0; }, 20000);
    const int16_t hits = rig.app.memory.Channels[5].Count;
    QVERIFY(hits > 0);
    QCOMPARE(e.Shown(), 5);
    QCOMPARE(rig.window->EditorChannel(), 5);
    QCOMPARE(e.StatLabel(0)->text(), QString("%1").arg(hits, 4, 10, QChar('0')));
    QVERIFY(e.StatLabel(3)->text() != QString(" (Not Logged)"));
    EditorRig::Shot(&e, "memory-editor-icom-hit");
    // Undo the frequency: it goes back, the hits stay; then the service.
    e.UndoStack()->undo();
    QCOMPARE(rig.app.memory.Channels[5].Frequency, 14600000);
    QCOMPARE(rig.app.memory.Channels[5].Count, hits);
    QCOMPARE(rig.app.memory.Channels[5].Service, std::string("Marine 16"));
    e.UndoStack()->undo();
    QCOMPARE(rig.app.memory.Channels[5].Service, std::string());
    QCOMPARE(rig.app.memory.Channels[5].Count, hits);
    QCOMPARE(e.EntryTxt(1)->text(), QString("0146.00000"));
}

void MemoryEditorTest::selectionOperationsAndLists() {
    EditorRig rig;
    MemoryEditor& e = Open(rig);
    rig.SetChannel(1, 146.0);
    rig.SetChannel(2, 147.0);
    rig.app.memory.Channels[2].Valid = false;
    e.Table()->selectRow(1);
    e.Table()->selectionModel()->select(e.Table()->model()->index(2, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // Toggle: one of them off, so both on; again, both off.
    Menu(&e, "ToggleValid_Menu")->trigger();
    QVERIFY(rig.app.memory.Channels[1].Valid && rig.app.memory.Channels[2].Valid);
    Menu(&e, "ToggleValid_Menu")->trigger();
    QVERIFY(!rig.app.memory.Channels[1].Valid && !rig.app.memory.Channels[2].Valid);
    Menu(&e, "ClearSel_Menu")->trigger();
    QCOMPARE(rig.app.memory.Channels[2], BlankChannel);
    e.UndoStack()->undo();
    QCOMPARE(rig.app.memory.Channels[2].Frequency, 14700000);

    // Double-clicking a statistic zeroes it.
    rig.app.memory.Channels[1].Count = 9;
    e.ShowEntry(1);
    QCOMPARE(e.StatLabel(0)->text(), QString("0009"));
    QTest::mouseDClick(e.StatLabel(0), Qt::LeftButton);
    QCOMPARE(rig.app.memory.Channels[1].Count, int16_t(0));
    QCOMPARE(e.StatLabel(0)->text(), QString("0000"));

    // Every list of the editor holds Manual polling while it is open.
    for (QComboBox* list : {e.ModulationCombo(), e.MemAuxCmb(1)}) {
        list->showPopup();
        QVERIFY(rig.engine.State().DropDownOpen);
        list->hidePopup();
        QVERIFY(!rig.engine.State().DropDownOpen);
    }
}

void MemoryEditorTest::editorsReopenWhereTheyWere() {
    QTemporaryDir dir;
    const std::string ini = (dir.path() + "/RIGVANE.INI").toStdString();
    {
        EditorRig rig;
        rig.window->Start(ini, {}, false);
        rig.window->ShowMemoryEditor();
        rig.window->ShowSearchEditor();
        rig.window->MemoryEditorWindow()->move(120, 90);
        rig.window->SearchEditor()->move(60, 30);
        rig.window->SearchEditor()->close(); // closed by the user: stays closed
        QVERIFY(rig.window->close());
        QVERIFY(rig.app.settings.Windows[WinMemoryEditor].Open);
        QVERIFY(!rig.app.settings.Windows[WinSearchBanks].Open);
        QCOMPARE(rig.app.settings.Windows[WinMemoryEditor].X, 1800.0f); // 15 twips a pixel
    }
    EditorRig rig;
    rig.window->Start(ini, {}, false);
    QVERIFY(rig.window->MemoryEditorWindow());
    QVERIFY(rig.window->MemoryEditorWindow()->isVisible());
    QCOMPARE(rig.window->MemoryEditorWindow()->pos(), QPoint(120, 90));
    QVERIFY(!rig.window->SearchEditor());
    QVERIFY(!rig.app.memory.MemoryEdited);
}

QTEST_MAIN(MemoryEditorTest)
#include "MemoryEditorTest.moc"
