#include "ui/ActivityDisplay.h"

#include "ui/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "core/CodeTables.h"
#include "engine/App.h"

namespace rigvane {

namespace {

constexpr int PlotSize = 5500;  // twips, both ways
constexpr int PlotLeft = 500;   // x of the start frequency
constexpr int PlotWidth = 5000; // twips from start to end frequency
constexpr int Baseline = 3000;  // y of level 0
constexpr int ColumnTop = 1700; // top of the column a bar clears
constexpr int32_t FullScale = 1000000000;
constexpr uint32_t Black = 0;
constexpr uint32_t White = 16777215;
constexpr uint32_t Red = 255;
constexpr uint32_t Green = 65280;

QColor VbColour(uint32_t vb) {
    return QColor(vb & 0xFF, (vb >> 8) & 0xFF, (vb >> 16) & 0xFF);
}

// Shows the plot image.
class PlotCanvas : public QWidget {
  public:
    PlotCanvas(const QImage& image, QWidget* parent) : QWidget(parent), image_(image) {
        setObjectName("SpectrumPlot");
        setFixedSize(image.size());
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, image_);
    }

  private:
    const QImage& image_;
};

QLabel* PlotLabel(const QString& text, QWidget* parent, const char* name, Qt::Alignment align) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(align | Qt::AlignVCenter);
    l->setStyleSheet("QLabel { color: white; background: transparent; }");
    return l;
}

} // namespace

ActivityDisplay::ActivityDisplay(App& app, QWidget* parent)
    : QWidget(parent, Qt::Window), app_(app) {
    setObjectName("Spectrum");
    setWindowTitle("Spectrum Display");
    const int side = Pixel(PlotSize) + 1; // x 5500 is the last column
    plot_ = QImage(side, side, QImage::Format_RGB32);
    plot_.fill(Qt::black);

    canvas_ = new PlotCanvas(plot_, this);
    canvas_->move(0, 0);

    // Edge labels below the baseline, centred on the long ticks.
    const int labelY = Pixel(Baseline + 200);
    const int labelW = 90;
    beginLbl_ = PlotLabel("0ghz", canvas_, "BeginLbl", Qt::AlignLeft);
    beginLbl_->setGeometry(Pixel(PlotLeft) - 12, labelY, labelW, 18);
    centerLbl_ = PlotLabel("5ghz", canvas_, "CenterLbl", Qt::AlignHCenter);
    centerLbl_->setGeometry(Pixel(PlotLeft + PlotWidth / 2) - labelW / 2, labelY, labelW, 18);
    endLbl_ = PlotLabel("10ghz", canvas_, "EndLbl", Qt::AlignRight);
    endLbl_->setGeometry(side - labelW - 2, labelY, labelW, 18);
    statLbl_ = PlotLabel("full scale", canvas_, "Statlbl", Qt::AlignHCenter);
    statLbl_->setGeometry(Pixel(PlotLeft), Pixel(3600), Pixel(PlotWidth), 18);

    label1_[1] = PlotLabel("Start Frequency", canvas_, "Label1_1", Qt::AlignHCenter);
    label1_[1]->setGeometry(Pixel(PlotLeft), Pixel(4250), Pixel(PlotWidth), 18);
    centerScrl_ = new QScrollBar(Qt::Horizontal, canvas_);
    centerScrl_->setObjectName("CenterScrl");
    centerScrl_->setGeometry(Pixel(PlotLeft), Pixel(4600), Pixel(PlotWidth), 18);
    centerScrl_->setRange(0, 10000);
    centerScrl_->setPageStep(1);

    // Width control to the right of the plot: 0 (10 GHz) at the top.
    label1_[0] = new QLabel("W i d t h", this);
    label1_[0]->setObjectName("Label1_0");
    label1_[0]->setAlignment(Qt::AlignHCenter);
    label1_[0]->setGeometry(side + 2, 8, 56, 18);
    widthScrl_ = new QScrollBar(Qt::Vertical, this);
    widthScrl_->setObjectName("WidthScrl");
    widthScrl_->setRange(0, static_cast<int>(SpectrumWidths.size()) - 1);
    widthScrl_->setPageStep(1);
    widthScrl_->setGeometry(side + 21, 30, 18, Pixel(Baseline) - 30);
    setFixedSize(side + 60, side);

    connect(widthScrl_, &QScrollBar::valueChanged, this, [this] { WidthChanged(); });
    connect(centerScrl_, &QScrollBar::valueChanged, this, [this] { CenterChanged(); });

    // Load: the saved width and start.
    const Globals& g = app_.settings.Global;
    start_ = std::max<int32_t>(0, g.StartFrq);
    const int saved = std::clamp<int>(g.Resolve, 0, widthScrl_->maximum());
    if (saved < 1) {
        WidthChanged();
    } else {
        widthScrl_->setValue(saved); // runs the width change
    }
    if (start_ > 0 && widthIndex_ > 0) centerScrl_->setValue(start_ / (Span() / 2));
    RestorePosition();
}

int32_t ActivityDisplay::Span() const {
    return SpectrumWidths[widthIndex_];
}

QString ActivityDisplay::EdgeText(int64_t f) {
    if (f < 0) f = 0;
    if (f < 100000) return QString("%1khz").arg((f + 50) / 100);
    if (f < 100000000) {
        const int64_t tenths = (f + 5000) / 10000;
        return QString("%1.%2mhz").arg(tenths / 10).arg(tenths % 10);
    }
    const int64_t thousandths = (f + 50000) / 100000;
    QString decimals = QString("%1").arg(thousandths % 1000, 3, 10, QChar('0'));
    while (decimals.size() > 1 && decimals.endsWith('0'))
        decimals.chop(1);
    return QString("%1.%2ghz").arg(thousandths / 1000).arg(decimals);
}

void ActivityDisplay::WidthChanged() {
    widthIndex_ = widthScrl_->value();
    app_.settings.Global.Resolve = static_cast<int16_t>(widthIndex_);
    if (widthIndex_ == 0) start_ = 0;
    const int32_t span = Span();
    const int32_t half = span / 2;
    scale_ = span / PlotWidth;
    end_ = start_ + span;
    app_.settings.Global.StartFrq = start_;

    const int before = centerScrl_->value();
    const int maximum = span < 100000 ? 10000 : (FullScale - span) / half;
    const int target = std::min(start_ > 0 ? start_ / half : 0, maximum);
    {
        // The maximum alone must not move the start: the bar goes straight
        // to the value the start asks for.
        const QSignalBlocker block(centerScrl_);
        centerScrl_->setMaximum(maximum);
        centerScrl_->setValue(target);
    }
    if (centerScrl_->value() != before && widthIndex_ > 0)
        CenterChanged();
    else
        DisplayAll(); // also at full scale, where the centre bar does nothing
}

void ActivityDisplay::CenterChanged() {
    const int32_t span = Span();
    if (span >= FullScale) return;
    start_ = span / 2 * centerScrl_->value();
    end_ = start_ + span;
    app_.settings.Global.StartFrq = start_;
    DisplayAll();
}

void ActivityDisplay::Line(int x1, int y1, int x2, int y2, uint32_t colour) {
    QPainter p(&plot_);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(VbColour(colour), 0));
    p.drawLine(Pixel(x1), Pixel(std::max(y1, 0)), Pixel(x2), Pixel(std::max(y2, 0)));
}

void ActivityDisplay::DisplayBar(const Channel& state, int level, uint32_t colour) {
    DisplayBar(state.Frequency, level, colour);
}

void ActivityDisplay::DisplayBar(int32_t frequency, int level, uint32_t colour) {
    if (frequency < start_ || frequency > end_ || scale_ == 0) return;
    const int x = (frequency - start_) / scale_ + PlotLeft;
    Line(x, Baseline, x, ColumnTop, Black);
    Line(x, Baseline, x, Baseline - (level + 1) * 100, colour);
    canvas_->update();
}

void ActivityDisplay::DisplayAll() {
    {
        QPainter p(&plot_);
        p.fillRect(QRect(0, 0, Pixel(PlotSize) + 1, Pixel(PlotSize) + 1), Qt::black);
    }
    Line(PlotLeft, Baseline, PlotLeft + PlotWidth, Baseline, White);
    for (int i = 0; i <= PlotWidth; i += 50) {
        const int x = i + PlotLeft;
        if (i % 500 == 0)
            Line(x, 3150, x, 2850, White);
        else
            Line(x, 3050, x, 2950, White);
    }
    const int32_t span = Span();
    endLbl_->setText(EdgeText(end_));
    centerLbl_->setText(EdgeText(static_cast<int64_t>(start_) + span / 2));
    beginLbl_->setText(EdgeText(start_));
    statLbl_->setText("1 Tic =" + QString::number(span / 100.0 / 100.0) + "khz");

    const RadioState& rs = app_.radioState;
    const bool signalShown = rs.SignalLevel > 0;
    for (int c = 0; c < ChannelCount; ++c) {
        const Channel& ch = app_.memory.Channels[c];
        if (ch.Signal > 0 && ch.Frequency > 0)
            DisplayBar(ch, ch.Signal,
                       signalShown && ch.Frequency == rs.Current.Frequency ? Red : Green);
    }
    canvas_->update();
}

void ActivityDisplay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) app_.settings.Windows[WinSpectrum].Open = true;
}

void ActivityDisplay::closeEvent(QCloseEvent* event) {
    StorePosition();
    app_.settings.Windows[WinSpectrum].Open = false;
    QWidget::closeEvent(event);
}

void ActivityDisplay::RestorePosition() {
    PlaceWindow(*this, app_.settings, WinSpectrum);
}

void ActivityDisplay::StorePosition() {
    WindowPlacement& w = app_.settings.Windows[WinSpectrum];
    w.X = PixelsToTwips(x());
    w.Y = PixelsToTwips(y());
}

} // namespace rigvane
