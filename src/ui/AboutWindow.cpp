#include "ui/AboutWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "core/Version.h"

namespace rigvane {

AboutWindow::AboutWindow(QWidget* parent) : QWidget(parent, Qt::Dialog) {
    setObjectName("About");
    setWindowTitle("About Rigvane");
    title_ = new QLabel(QString("Rigvane %1").arg(Version), this);
    title_->setObjectName("TitleLbl");
    QFont big = title_->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title_->setFont(big);
    title_->setAlignment(Qt::AlignCenter);
    upper_ = new QLabel(this);
    upper_->setObjectName("UpperLbl");
    upper_->setAlignment(Qt::AlignCenter);
    lower_ = new QLabel(this);
    lower_->setObjectName("LowerLbl");
    lower_->setAlignment(Qt::AlignCenter);
    lower_->setWordWrap(true);
    ok_ = new QPushButton("OK", this);
    ok_->setObjectName("OkCmd");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->addWidget(title_);
    layout->addSpacing(8);
    layout->addWidget(upper_);
    layout->addWidget(lower_);
    layout->addSpacing(8);
    layout->addWidget(ok_, 0, Qt::AlignHCenter);
    setMinimumWidth(380);
    connect(ok_, &QPushButton::clicked, this, &QWidget::hide);
}

void AboutWindow::ShowSplash(const QString& upper, const QString& lower) {
    ok_->hide();
    upper_->setText(upper);
    lower_->setText(lower);
    lower_->setVisible(!lower.isEmpty());
    Centre();
    show();
    raise();
    QCoreApplication::processEvents(); // let it paint before the work starts
}

void AboutWindow::Centre() {
    adjustSize();
    const QScreen* screen = parentWidget() && parentWidget()->isVisible()
                                ? parentWidget()->screen()
                                : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void AboutWindow::ShowStartup() {
    ShowSplash("Initializing Radio..", "    Please support your favorite Charity!");
}

void AboutWindow::ShowShutdown() {
    ShowSplash("       Please Wait While Program        Shuts Down...", QString());
}

void AboutWindow::ShowAbout() {
    upper_->setText("Drives a communications receiver or scanner from this computer\n"
                    "and does the scanning itself.");
    lower_->setText("    Please support your favorite Charity!");
    lower_->show();
    ok_->show();
    if (!isVisible()) Centre();
    show();
    raise();
    activateWindow();
}

} // namespace rigvane
