// The Spectrum window: width and start, labels, bars as drawn pixels, and the
// width and start kept in the settings.
#include <QLabel>
#include <QScrollBar>
#include <QtTest>

#include "core/SimHost.h"
#include "engine/App.h"
#include "ui/ActivityDisplay.h"

using namespace rigvane;

namespace {

constexpr QRgb Black = 0xff000000, Red = 0xffff0000, Green = 0xff00ff00;

QRgb At(const ActivityDisplay& w, int xTwips, int yTwips) {
    return w.Plot().pixel(ActivityDisplay::Pixel(xTwips), ActivityDisplay::Pixel(yTwips));
}

} // namespace

class ActivityDisplayTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void fullScaleIgnoresTheCentreBar();
    void narrowWidthLabelsAndSettings();
    void barsAsDrawn();
    void edgeTexts();
};

void ActivityDisplayTest::fullScaleIgnoresTheCentreBar() {
    SimHost host;
    App app(host);
    app.settings.Global.StartFrq = 14550000; // ignored at full scale
    ActivityDisplay w(app);
    QCOMPARE(w.objectName(), QString("Spectrum"));
    QCOMPARE(w.windowTitle(), QString("Spectrum Display"));
    QCOMPARE(w.WidthIndex(), 0);
    QCOMPARE(w.StartFrequency(), 0);
    QCOMPARE(w.CenterScrl()->maximum(), 0);
    QCOMPARE(w.EndLbl()->text(), QString("10.0ghz"));
    QCOMPARE(w.CenterLbl()->text(), QString("5.0ghz"));
    QCOMPARE(w.BeginLbl()->text(), QString("0khz"));
    QCOMPARE(w.Statlbl()->text(), QString("1 Tic =100000khz"));

    // Back to full scale from a moved range: start 0 and labels redrawn.
    w.WidthScrl()->setValue(3);
    w.CenterScrl()->setValue(20);
    QCOMPARE(w.StartFrequency(), 200000000);
    QCOMPARE(w.BeginLbl()->text(), QString("2.0ghz"));
    w.WidthScrl()->setValue(0);
    QCOMPARE(w.StartFrequency(), 0);
    QCOMPARE(w.BeginLbl()->text(), QString("0khz"));
    QCOMPARE(app.settings.Global.StartFrq, 0);
}

void ActivityDisplayTest::narrowWidthLabelsAndSettings() {
    SimHost host;
    App app(host);
    app.settings.Global.Resolve = 12;
    app.settings.Global.StartFrq = 14550000;
    app.settings.Windows[WinSpectrum] = {300, 450, false};
    {
        ActivityDisplay w(app);
        QCOMPARE(w.pos(), QPoint(20, 30));
        QCOMPARE(w.WidthScrl()->value(), 12);
        QCOMPARE(w.CenterScrl()->maximum(), 10000);
        QCOMPARE(w.CenterScrl()->value(), 5820); // 14550000 / 2500
        QCOMPARE(w.StartFrequency(), 14550000);
        QCOMPARE(w.EndFrequency(), 14555000);
        QCOMPARE(w.BeginLbl()->text(), QString("145.5mhz"));
        QCOMPARE(w.EndLbl()->text(), QString("145.6mhz"));
        QCOMPARE(w.Statlbl()->text(), QString("1 Tic =0.5khz"));

        // The centre bar moves the start in half widths; both are saved.
        w.CenterScrl()->setValue(5822);
        QCOMPARE(w.StartFrequency(), 14555000);
        QCOMPARE(app.settings.Global.StartFrq, 14555000);
        w.WidthScrl()->setValue(9); // 2 MHz: the start keeps its place
        QCOMPARE(app.settings.Global.Resolve, int16_t(9));
        QCOMPARE(w.CenterScrl()->maximum(), (1000000000 - 200000) / 100000);
        QCOMPARE(w.StartFrequency(), 14500000);
        QCOMPARE(w.BeginLbl()->text(), QString("145.0mhz"));
        QCOMPARE(w.Statlbl()->text(), QString("1 Tic =20khz"));

        w.show();
        QVERIFY(app.settings.Windows[WinSpectrum].Open);
        w.move(40, 60);
        w.close();
        QVERIFY(!app.settings.Windows[WinSpectrum].Open);
        QCOMPARE(app.settings.Windows[WinSpectrum].X, 600.0f);
    }
    ActivityDisplay again(app); // the next start
    QCOMPARE(again.WidthIndex(), 9);
    QCOMPARE(again.StartFrequency(), 14500000);
}

void ActivityDisplayTest::barsAsDrawn() {
    SimHost host;
    App app(host);
    app.settings.Global.Resolve = 12;
    app.settings.Global.StartFrq = 14550000;
    auto& ch = app.memory.Channels;
    ch[1].Frequency = 14555000; // the end frequency: x 5500
    ch[1].Signal = 12;
    ch[2].Frequency = 14550000; // the start: x 500, the tuned frequency
    ch[2].Signal = 3;
    ch[3].Frequency = 14555001; // just past the end: not drawn
    ch[3].Signal = 5;
    ch[4].Frequency = 14552500; // a signal of 0 is no bar
    app.radioState.Current.Frequency = 14550000;
    app.radioState.SignalLevel = 4;
    ActivityDisplay w(app);
    QCOMPARE(w.Plot().width(), 367);

    // Level 12 fills the cleared column up to y 1700.
    QCOMPARE(At(w, 5500, 2800), Green);
    QCOMPARE(At(w, 5500, 1700), Green);
    QCOMPARE(At(w, 5500, 1680), Black);
    // The tuned channel is red while a signal is shown: (3 + 1) x 100 twips.
    QCOMPARE(At(w, 500, 2700), Red);
    QCOMPARE(At(w, 500, 2550), Black);
    // Without the end channel, the one just above the end leaves the column empty.
    ch[1].Signal = 0;
    w.DisplayAll();
    QCOMPARE(At(w, 5500, 2800), Black);
    QCOMPARE(At(w, 5500, 1700), Black);
    // Baseline and ticks in white; the middle of the plot holds no bar.
    QCOMPARE(At(w, 3000, 3000), 0xffffffff);
    QCOMPARE(At(w, 3000, 3140), 0xffffffff);
    QCOMPARE(At(w, 3000, 2500), Black);

    // Moving one half width on: the channel above the old end is still out
    // of range one step further, the end channel is now the start.
    ch[2].Signal = 0;
    w.CenterScrl()->setValue(5821);
    QCOMPARE(w.EndFrequency(), 14557500);
    QCOMPARE(At(w, 500, 2800), Black);
    const int x3 = (14555001 - 14552500) / 1 + 500; // 10 Hz per twip
    QCOMPARE(At(w, x3, 2800), Green);

    // The live bar: drawn over the cleared column, nothing outside the range.
    w.DisplayBar(14557500, 0, 255);
    QCOMPARE(At(w, 5500, 2950), Red);
    QCOMPARE(At(w, 5500, 2800), Black);
    const QImage before = w.Plot();
    w.DisplayBar(14557501, 11, 255);
    w.DisplayBar(14552499, 11, 255);
    QCOMPARE(w.Plot(), before);
    // A grab of the window shows the same plot.
    const QImage grabbed = w.grab().toImage();
    QCOMPARE(QColor(grabbed.pixel(ActivityDisplay::Pixel(5500), ActivityDisplay::Pixel(2950))),
             QColor(Qt::red));
}

void ActivityDisplayTest::edgeTexts() {
    // Each label by its own size: kHz below 1 MHz, GHz from 1 GHz with one to
    // three decimals, MHz between.
    QCOMPARE(ActivityDisplay::EdgeText(99949), QString("999khz"));
    QCOMPARE(ActivityDisplay::EdgeText(100000), QString("1.0mhz"));
    QCOMPARE(ActivityDisplay::EdgeText(99999999), QString("1000.0mhz"));
    QCOMPARE(ActivityDisplay::EdgeText(123456789), QString("1.235ghz"));
    QCOMPARE(ActivityDisplay::EdgeText(125000000), QString("1.25ghz"));
}

QTEST_MAIN(ActivityDisplayTest)
#include "ActivityDisplayTest.moc"
