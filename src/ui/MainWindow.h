#pragma once
// The program's main window. Closing it ends the program: the settings file
// is written once on the way out, with the window's own position.
#include <QMainWindow>

#include "engine/App.h"

namespace rigvane {

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(App& app, QWidget* parent = nullptr);

    // Moves the window to the position stored in the window table.
    void RestorePosition();
    // Copies the window's position into the window table.
    void StorePosition();
    bool SettingsSaved() const { return settingsSaved_; }

    static constexpr int TwipsPerPixel = 15;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    App& app_;
    bool settingsSaved_ = false;
};

}  // namespace rigvane
