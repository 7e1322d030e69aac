#pragma once
// The Message window: the program's last 100 status lines, newest first.
// The history lives in the message log and exists whether or not the window
// is shown; the window only draws it.
#include <QWidget>

#include "core/MessageLog.h"
#include "core/Settings.h"

class QListWidget;
class QPushButton;

namespace rigvane {

class MessageWindow : public QWidget {
    Q_OBJECT
  public:
    MessageWindow(MessageLog& log, Settings& settings, QWidget* parent = nullptr);

    // Shows the window at its saved place (window table entry 2) and marks it open.
    void Open();
    // Copies the window's place and whether it is shown into entry 2.
    void StorePlacement();
    // Hides the window for the program's end without touching entry 2.
    void CloseForShutdown();
    // Refills the list from the history (every non-empty line, newest first).
    void Redraw();

    QListWidget* List() const { return list_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    MessageLog& log_;
    Settings& settings_;
    QListWidget* list_;
    QPushButton* clear_;
    bool shuttingDown_ = false;
};

} // namespace rigvane
