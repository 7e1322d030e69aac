// The main window's way out and the Qt host's waiting, timers and message
// boxes, on the offscreen platform.
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include "engine/App.h"
#include "engine/Engine.h"
#include "engine/Startup.h"
#include "qt/DisplayFont.h"
#include "qt/QtHost.h"
#include "storage/SettingsFile.h"
#include "ui/MainWindow.h"
#include "ui/Twips.h"

using namespace rigvane;

class MainWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void closingSavesOnceWithThePositionInTwips();
    void startupReadsWhatTheWindowSaved();
    void waitingWakesOnEventsAndTimers();
    void questionsWithoutWindowsChangeNothing();
    void enterPressesTheDefaultButton();
    void displayFontIsOptional();
    void placesOffEveryScreenComeBackOnScreen();
    void windowNotShownYetIsPlacedAtItsLaidOutSize();
};

void MainWindowTest::closingSavesOnceWithThePositionInTwips() {
    QTemporaryDir dir;
    const std::string ini = (dir.path() + "/RIGVANE.INI").toStdString();
    QtHost host;
    App app(host);
    ScanInitialize(app, ini);
    Engine engine(app);

    MainWindow window(app, engine);
    QCOMPARE(window.windowTitle(), QString("Rigvane"));
    // No settings file: every position key reads as missing, that is 0.
    window.RestorePosition();
    QCOMPARE(window.pos(), QPoint(0, 0));
    QVERIFY(app.settings.Windows[WinMain].Open);
    app.settings.Windows[WinMain].X = 300; // 20 x 15 twips
    app.settings.Windows[WinMain].Y = 450;
    window.RestorePosition();
    QCOMPARE(window.pos(), QPoint(20, 30));
    window.show();
    window.move(40, 60);
    QVERIFY(!QFile::exists(QString::fromStdString(ini)));

    QVERIFY(window.close());
    QVERIFY(window.SettingsSaved());
    QCOMPARE(app.settings.Windows[WinMain].X, 600.0f);
    QCOMPARE(app.settings.Windows[WinMain].Y, 900.0f);
    QVERIFY(QFile::exists(QString::fromStdString(ini)));

    // A second close (a signal during the first one) writes nothing again.
    QFile::remove(QString::fromStdString(ini));
    window.show();
    window.close();
    QVERIFY(!QFile::exists(QString::fromStdString(ini)));
}

void MainWindowTest::startupReadsWhatTheWindowSaved() {
    QTemporaryDir dir;
    const std::string ini = (dir.path() + "/sub/RIGVANE.INI").toStdString();
    QtHost host;
    {
        App app(host);
        ScanInitialize(app, ini);
        app.settings.Global.RsmTime = 25;
        app.settings.Windows[WinSpectrum].Open = false;
        Engine engine(app);
        MainWindow window(app, engine);
        window.show();
        window.move(10, 20);
        window.close();
    }
    App app(host);
    app.memory.Channels[3].Frequency = 14550000; // left over from "earlier"
    bool fontAsked = false;
    StartupHooks hooks;
    hooks.RegisterDisplayFont = [&] {
        fontAsked = true;
        return std::string();
    };
    ScanInitialize(app, ini, hooks);
    QVERIFY(fontAsked);
    QCOMPARE(app.settings.IniPath, ini);
    QCOMPARE(app.settings.Global.RsmTime, 25);
    QVERIFY(!app.settings.Windows[WinSpectrum].Open);
    QCOMPARE(app.settings.Windows[WinMain].X, 150.0f);
    QCOMPARE(app.settings.Windows[WinMain].Y, 300.0f);
    QCOMPARE(app.memory.Channels[3], BlankChannel);
    Engine engine(app);
    MainWindow window(app, engine);
    window.RestorePosition();
    QCOMPARE(window.pos(), QPoint(10, 20));
}

void MainWindowTest::waitingWakesOnEventsAndTimers() {
    QtHost host;
    // An event that arrives ends a long wait at once (the test's own time-out
    // would catch a wait that ran its whole minute).
    bool called = false;
    host.CallLater(0, [&] { called = true; });
    host.WaitForEvents(60000);
    QVERIFY(called);

    int ticks = 0;
    const Host::TimerId timer = host.CreateTimer([&] { ++ticks; });
    host.SetTimer(timer, 1, true);
    for (int i = 0; i < 1000 && ticks < 3; ++i)
        host.WaitForEvents(60000);
    QVERIFY(ticks >= 3);
    host.SetTimer(timer, 0, true); // stopped: the bounded wait returns without it
    const int stoppedAt = ticks;
    host.WaitForEvents(5);
    host.Yield();
    QCOMPARE(ticks, stoppedAt);
}

void MainWindowTest::questionsWithoutWindowsChangeNothing() {
    QCOMPARE(QtHost::HeadlessAnswer(Buttons::Ok), Answer::Ok);
    QCOMPARE(QtHost::HeadlessAnswer(Buttons::YesNo), Answer::No);
    QCOMPARE(QtHost::HeadlessAnswer(Buttons::YesNoCancel), Answer::Cancel);
    QCOMPARE(QtHost::HeadlessAnswer(Buttons::OkCancel), Answer::Cancel);
}

void MainWindowTest::enterPressesTheDefaultButton() {
    // Enter on a question presses its default button: No keeps the data.
    QtHost host;
    auto pressEnter = [] {
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QTest::keyClick(box, Qt::Key_Return);
        });
    };
    pressEnter();
    QCOMPARE(host.MessageBox("Clear ALL", "sure?", MsgIcon::Question, Buttons::YesNo, Answer::No),
             Answer::No);
    pressEnter();
    QCOMPARE(host.MessageBox("Exit", "save?", MsgIcon::Question, Buttons::YesNo), Answer::Yes);
}

void MainWindowTest::displayFontIsOptional() {
    QCOMPARE(RegisterDisplayFont({"/nonexistent/font.ttf"}), QString());
    const QString family = RegisterDisplayFont();
    if (family.isEmpty()) QSKIP("no seven-segment face installed");
    QCOMPARE(QFontInfo(QFont("Transistor", 26)).family(), family);
}

void MainWindowTest::placesOffEveryScreenComeBackOnScreen() {
    const QList<QRect> one = {QRect(0, 0, 1400, 900)};
    // On screen: unchanged.
    QCOMPARE(FitOnScreens(QRect(100, 50, 400, 300), one), QPoint(100, 50));
    // Hanging over the right edge of a 1400-pixel screen: pulled back.
    QCOMPARE(FitOnScreens(QRect(1120, 0, 500, 300), one), QPoint(900, 0));
    // Stored on a second monitor that is gone: onto the nearest screen.
    QCOMPARE(FitOnScreens(QRect(2500, 1200, 400, 300), one), QPoint(1000, 600));
    QCOMPARE(FitOnScreens(QRect(-900, -40, 400, 300), one), QPoint(0, 0));
    // Two screens side by side: a window on the second stays there; one
    // straddling both goes wholly onto the one it overlaps most.
    const QList<QRect> two = {QRect(0, 0, 1400, 900), QRect(1400, 0, 1920, 1080)};
    QCOMPARE(FitOnScreens(QRect(2000, 500, 400, 300), two), QPoint(2000, 500));
    QCOMPARE(FitOnScreens(QRect(1300, 100, 400, 300), two), QPoint(1400, 100));
    // Larger than the screen: the top-left corner (title bar) stays in view.
    QCOMPARE(FitOnScreens(QRect(300, 300, 2000, 1500), one), QPoint(0, 0));
}

void MainWindowTest::windowNotShownYetIsPlacedAtItsLaidOutSize() {
    // A window placed before its first show fits by the size its layout
    // gives it, not by the size Qt reports before the show.
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* body = new QWidget;
    body->setMinimumSize(700, 500);
    layout->addWidget(body);
    Settings settings;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    settings.Windows[WinVfoA].X = PixelsToTwips(screen.right() - 100);
    settings.Windows[WinVfoA].Y = PixelsToTwips(screen.bottom() - 100);
    PlaceWindow(window, settings, WinVfoA);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY2(screen.contains(window.geometry()), "the window hangs off the screen");
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
