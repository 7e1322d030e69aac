#pragma once
// The Status window of a long operation (sorting, database look-up, trunk ID
// transfer): what runs, how far it is, and a Cancel button that sets the
// shared cancel flag. The operation shows and hides it through Progress.
#include <QWidget>

#include "core/Progress.h"

class QLabel;
class QPushButton;

namespace rigvane {

class StatusWindow : public QWidget {
    Q_OBJECT
  public:
    explicit StatusWindow(Progress& progress, QWidget* parent = nullptr);
    ~StatusWindow() override;

    QLabel* ActionLabel() const { return action_; }
    QLabel* PercentLabel() const { return percent_; }
    QPushButton* CancelButton() const { return cancel_; }
    // The link's and the scan's counters, one item a line.
    void ShowStatistics(const QString& line);

  private:
    Progress& progress_;
    QLabel* action_;
    QLabel* percent_;
    QPushButton* cancel_;
    QLabel* stats_;
};

} // namespace rigvane
