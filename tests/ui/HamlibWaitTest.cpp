// A Hamlib radio that never answers: its calls wait on the driver's worker
// thread while the event loop goes on, so the windows answer clicks.
#include <QElapsedTimer>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

#include "core/CodeTables.h"
#include "drivers/Hamlib.h"
#include "engine/App.h"
#include "qt/QtHost.h"

using namespace rigvane;

class HamlibWaitTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void clicksAreAnsweredWhileHamlibWaits();
};

void HamlibWaitTest::clicksAreAnsweredWhileHamlibWaits() {
    // A network radio that takes the connection and never says a word.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QtHost host;
    App app(host);
    RadioProfile& p = app.settings.Selected();
    p.Protocol = ProtoHamlib;
    p.HamlibModel = 2;
    p.HamlibConf =
        "rig_pathname=127.0.0.1:" + std::to_string(silent.serverPort()) + ",timeout=800,retry=0";
    DriverContext ctx{app.link,   app.radioState, p, app.settings, app.log,
                      app.memory, host,           0, false,        [] { return false; }};

    // A click every 20 ms, each answered by the button's handler.
    QPushButton button("Scan");
    QElapsedTimer clock;
    clock.start();
    qint64 clickedAt = -1, worst = 0;
    int answered = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        worst = std::max(worst, clock.elapsed() - clickedAt);
        ++answered;
    });
    QTimer clicker;
    clicker.setInterval(20);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        clickedAt = clock.elapsed();
        QMetaObject::invokeMethod(&button, "click", Qt::QueuedConnection);
    });
    clicker.start();

    QElapsedTimer took;
    took.start();
    HamlibDriverInstance().Open(ctx);
    const qint64 openMs = took.elapsed();
    clicker.stop();

    QVERIFY2(openMs >= 500, qPrintable(QString("the open took only %1 ms").arg(openMs)));
    QVERIFY(app.link.RadioNotResponding);
    QVERIFY(!app.link.Connected());
    QVERIFY2(answered >= int(openMs / 20) / 2, qPrintable(QString::number(answered)));
    QVERIFY2(worst < 100, qPrintable(QString("a click waited %1 ms").arg(worst)));
}

QTEST_MAIN(HamlibWaitTest)
#include "HamlibWaitTest.moc"
