#include "ui/MessageWindow.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Twips.h"

namespace rigvane {

MessageWindow::MessageWindow(MessageLog& log, Settings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), log_(log), settings_(settings) {
    setObjectName("Message");
    setWindowTitle("Rigvane Messages");
    list_ = new QListWidget(this);
    list_->setObjectName("MsgList");
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    clear_ = new QPushButton("Clear Messages", this);
    clear_->setObjectName("ClearCmd");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clear_);
    layout->addLayout(buttons);
    resize(560, 260);

    connect(clear_, &QPushButton::clicked, this, [this] {
        list_->clear();
        log_.Clear();
        Redraw();
    });
}

void MessageWindow::Redraw() {
    if (!isVisible()) return; // drawn afresh when shown
    list_->clear();
    for (const std::string& line : log_.History()) {
        if (!line.empty()) list_->addItem(QString::fromStdString(line));
    }
    if (list_->count() > 0) list_->setCurrentRow(0);
}

void MessageWindow::Open() {
    if (!isVisible()) PlaceWindow(*this, settings_, WinMessage);
    settings_.Windows[WinMessage].Open = true;
    show();
    raise();
}

void MessageWindow::StorePlacement() {
    WindowPlacement& w = settings_.Windows[WinMessage];
    w.Open = isVisible();
    if (isVisible()) {
        w.X = PixelsToTwips(x());
        w.Y = PixelsToTwips(y());
    }
}

void MessageWindow::CloseForShutdown() {
    shuttingDown_ = true;
    close();
}

void MessageWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Redraw();
}

void MessageWindow::closeEvent(QCloseEvent* event) {
    if (!shuttingDown_) {
        StorePlacement();
        settings_.Windows[WinMessage].Open = false;
    }
    event->accept();
}

} // namespace rigvane
