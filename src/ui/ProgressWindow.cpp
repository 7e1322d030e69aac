#include "ui/ProgressWindow.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/Twips.h"

namespace rigvane {

ProgressWindow::ProgressWindow(Progress& progress, QWidget* parent)
    : QWidget(parent, Qt::Tool), progress_(progress) {
    setObjectName("percent");
    setWindowTitle("Operation Working");
    label_ = new QLabel("0% complete", this);
    label_->setObjectName("PCLabel");
    // The track the bar grows in: 100 % fills it.
    auto* track = new QFrame(this);
    track->setFrameShape(QFrame::Box);
    track->setFixedSize(TwipsToPixels(100 * TwipsPerPercent) + 2, 22);
    bar_ = new QFrame(track);
    bar_->setObjectName("PCSHAPE");
    bar_->setAutoFillBackground(true);
    QPalette pal = bar_->palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 160));
    bar_->setPalette(pal);
    bar_->setGeometry(1, 1, 0, 20);
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName("CancelButton");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(track);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);

    connect(cancel_, &QPushButton::clicked, this, [this] { progress_.Cancel = true; });
}

void ProgressWindow::showpc(int percent) {
    barTwips_ = percent * TwipsPerPercent;
    const int width = std::clamp(TwipsToPixels(static_cast<float>(barTwips_)), 0,
                                 TwipsToPixels(100 * TwipsPerPercent));
    bar_->resize(width, bar_->height());
    label_->setText(QString(percent < 0 ? "%1% complete..." : " %1% complete...").arg(percent));
}

void ProgressWindow::Bind() {
    progress_.OnShow = [this](const std::string&) {
        progress_.Cancel = false;
        showpc(0);
        show();
        raise();
    };
    progress_.OnUpdate = [this](int percent, const std::string&) { showpc(percent); };
    progress_.OnHide = [this] { hide(); };
}

} // namespace rigvane
