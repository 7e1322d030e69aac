#include "ui/MainWindow.h"

#include <QCloseEvent>
#include <QMenuBar>

#include "storage/SettingsFile.h"

namespace rigvane {

MainWindow::MainWindow(App& app, QWidget* parent) : QMainWindow(parent), app_(app) {
    setObjectName("rigvane");
    setWindowTitle("Rigvane");
    auto* central = new QWidget(this);
    central->setObjectName("centralArea");
    setCentralWidget(central);
    resize(640, 420);

    QMenu* file = menuBar()->addMenu("&File");
    QAction* exitAction = file->addAction("E&xit");
    exitAction->setObjectName("Exit_menu");
    connect(exitAction, &QAction::triggered, this, &QWidget::close);

    app_.settings.Windows[WinMain].Open = true;
    RestorePosition();
}

void MainWindow::RestorePosition() {
    const WindowPlacement& w = app_.settings.Windows[WinMain];
    move(static_cast<int>(w.X / TwipsPerPixel), static_cast<int>(w.Y / TwipsPerPixel));
}

void MainWindow::StorePosition() {
    WindowPlacement& w = app_.settings.Windows[WinMain];
    w.X = static_cast<float>(x() * TwipsPerPixel);
    w.Y = static_cast<float>(y() * TwipsPerPixel);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!settingsSaved_) {
        settingsSaved_ = true;  // set first: a message box below may run events
        StorePosition();
        SaveSettings(app_.settings, app_.host);
    }
    event->accept();
}

}  // namespace rigvane
