#pragma once
// The "Operation Working" window of a transfer to or from a radio: a bar and
// its percentage, and a Cancel button that sets the shared cancel flag.
#include <QWidget>

#include "core/Progress.h"

class QFrame;
class QLabel;
class QPushButton;

namespace rigvane {

class ProgressWindow : public QWidget {
    Q_OBJECT
  public:
    explicit ProgressWindow(Progress& progress, QWidget* parent = nullptr);

    // Bar width := percent x 50 twips (100 % is 5000 twips); the label reads
    // the number with a leading blank and "% complete...".
    void showpc(int percent);

    // Takes over the hooks of `progress`: Show clears the cancel flag and shows
    // the window, Update calls showpc, Hide hides it.
    void Bind();

    QLabel* Label() const { return label_; }
    QFrame* Bar() const { return bar_; }
    QPushButton* CancelButton() const { return cancel_; }
    // The bar's width in twips as last set by showpc.
    int BarTwips() const { return barTwips_; }

    static constexpr int TwipsPerPercent = 50;

  private:
    Progress& progress_;
    QLabel* label_;
    QFrame* bar_;
    QPushButton* cancel_;
    int barTwips_ = 0;
};

} // namespace rigvane
