// The Message window, the Status and progress windows with the shared cancel
// flag, and the About window's texts.
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Progress.h"
#include "core/SimHost.h"
#include "ui/AboutWindow.h"
#include "ui/MessageWindow.h"
#include "ui/ProgressWindow.h"
#include "ui/StatusWindow.h"

using namespace rigvane;

class MessageWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void showsTheHistoryNewestFirst();
    void keepsItsPlace();
    void statusWindowFollowsTheOperation();
    void progressWindowBarAndText();
    void aboutWindowTexts();
};

namespace {
struct Log {
    SimHost host;
    FileSlots slots;
    Settings settings;
    MessageLog log{host, slots, settings.Global};
};
QStringList Items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}
} // namespace

void MessageWindowTest::showsTheHistoryNewestFirst() {
    Log l;
    MessageWindow window(l.log, l.settings);
    l.log.OnChanged = [&] { window.Redraw(); };
    // Lines posted while the window is closed are there when it opens.
    for (int i = 1; i <= 50; ++i)
        l.log.Dply("line " + std::to_string(i));
    window.Open();
    QListWidget* list = window.List();
    QCOMPARE(list->count(), 50);
    for (int i = 51; i <= 101; ++i)
        l.log.Dply("line " + std::to_string(i));
    const QStringList items = Items(list);
    QCOMPARE(items.size(), 100);
    QVERIFY(items.first().endsWith(":line 101"));
    QVERIFY(items.last().endsWith(":line 2"));
    QCOMPARE(list->currentRow(), 0);
    // Alerts keep their mark.
    l.log.Dply("*Radio not responding. ");
    QVERIFY(list->item(0)->text().startsWith("**"));
    QVERIFY(list->item(0)->text().endsWith(":Radio not responding. "));

    window.findChild<QPushButton*>("ClearCmd")->click();
    QCOMPARE(list->count(), 0);
    QVERIFY(l.log.History()[99].empty());
    l.log.Dply("after");
    QCOMPARE(Items(list).size(), 1);
    QVERIFY(list->item(0)->text().endsWith(":after"));
}

void MessageWindowTest::keepsItsPlace() {
    Log l;
    l.settings.Windows[WinMessage] = {300, 450, false}; // twips
    {
        MessageWindow window(l.log, l.settings);
        window.Open();
        QVERIFY(l.settings.Windows[WinMessage].Open);
        QCOMPARE(window.pos(), QPoint(20, 30));
        window.move(40, 50);
        window.close(); // the user closes it: closed, place kept
        QVERIFY(!l.settings.Windows[WinMessage].Open);
        QCOMPARE(l.settings.Windows[WinMessage].X, 600.0f);
        QCOMPARE(l.settings.Windows[WinMessage].Y, 750.0f);
        window.Open();
        QCOMPARE(window.pos(), QPoint(40, 50));
        // At the program's end the window is stored as open, then closed
        // without changing that.
        window.move(10, 10);
        window.StorePlacement();
        window.CloseForShutdown();
        QVERIFY(l.settings.Windows[WinMessage].Open);
        QCOMPARE(l.settings.Windows[WinMessage].X, 150.0f);
    }
    // Never placed (a missing position reads as 0, 0): it opens beside the
    // main window, not on top of it in the corner, and on the screen.
    l.settings.Windows[WinMessage] = {0, 0, false};
    MessageWindow fresh(l.log, l.settings);
    fresh.Open();
    QVERIFY(fresh.pos().x() > 0);
    QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(
        QRect(fresh.pos(), fresh.frameGeometry().size())));
}

void MessageWindowTest::statusWindowFollowsTheOperation() {
    Progress progress;
    {
        StatusWindow window(progress);
        progress.Show("Sorting...");
        QVERIFY(window.isVisible());
        QCOMPARE(window.ActionLabel()->text(), QString("Sorting..."));
        progress.Update(42, "%42");
        QCOMPARE(window.PercentLabel()->text(), QString("%42"));
        QVERIFY(!progress.Cancel);
        window.CancelButton()->click();
        QVERIFY(progress.Cancel);
        QVERIFY(window.isVisible()); // the operation closes it
        progress.Hide();
        QVERIFY(!window.isVisible());
    }
    // Gone with its window: the hooks do nothing any more.
    progress.Show("Searching..");
    progress.Update(1, "1%");
}

void MessageWindowTest::progressWindowBarAndText() {
    Progress progress;
    ProgressWindow window(progress);
    QCOMPARE(window.Label()->text(), QString("0% complete"));
    window.showpc(37);
    QCOMPARE(window.Label()->text(), QString(" 37% complete..."));
    QCOMPARE(window.BarTwips(), 1850);
    QCOMPARE(window.Bar()->width(), 1850 / 15);
    window.showpc(100);
    QCOMPARE(window.BarTwips(), 5000);
    QCOMPARE(window.Bar()->width(), 5000 / 15);
    window.showpc(150); // the bar never leaves its track
    QCOMPARE(window.Bar()->width(), 5000 / 15);

    window.Bind();
    progress.Cancel = true;
    progress.Show("");
    QVERIFY(!progress.Cancel); // a new operation starts uncancelled
    QVERIFY(window.isVisible());
    progress.Update(5, "");
    QCOMPARE(window.Label()->text(), QString(" 5% complete..."));
    window.CancelButton()->click();
    QVERIFY(progress.Cancel);
    progress.Hide();
    QVERIFY(!window.isVisible());
}

void MessageWindowTest::aboutWindowTexts() {
    AboutWindow about;
    about.ShowStartup();
    QVERIFY(about.isVisible());
    QVERIFY(!about.OkButton()->isVisible());
    QVERIFY(about.LowerLabel()->isVisible());
    about.ShowShutdown();
    QVERIFY(about.UpperLabel()->text().contains("Shuts Down"));
    QVERIFY(!about.OkButton()->isVisible());
    about.hide();
    about.ShowAbout();
    QVERIFY(about.OkButton()->isVisible());
    QVERIFY(about.findChild<QLabel*>("TitleLbl")->text().startsWith("Rigvane"));
    about.OkButton()->click();
    QVERIFY(!about.isVisible());
}

QTEST_MAIN(MessageWindowTest)
#include "MessageWindowTest.moc"
