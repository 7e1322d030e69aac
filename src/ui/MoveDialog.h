#pragma once
// The Move/Copy dialog: copies, moves or swaps a range of channels, scan
// banks or search banks inside their own table. It stays open after each
// operation and shows the range as it was adjusted (clamped, ordered, cut
// at the table's end); "Cancel" closes it.
#include <QDialog>
#include <functional>

#include "core/MoveRange.h"

class QLineEdit;
class QPushButton;

namespace rigvane {

struct App;

class MoveDialog : public QDialog {
    Q_OBJECT
  public:
    using Runner = std::function<MoveResult(MoveOp, int first, int last, int dest)>;
    MoveDialog(App& app, MoveKind kind, int first, int last, int dest, Runner run,
               QWidget* parent = nullptr);

    // The window caption for a kind: "Frequency Database Edit", "Scan Banks
    // Edit", "Search Banks Edit".
    static QString Caption(MoveKind kind);
    // Runs an operation on the three fields (the buttons call it).
    void Run(MoveOp op);

    QLineEdit* SSTARTTXT() const { return fields_[0]; }
    QLineEdit* SENDTXT() const { return fields_[1]; }
    QLineEdit* DSTARTTXT() const { return fields_[2]; }
    QPushButton* Button(MoveOp op) const;
    QPushButton* CANCELBUT() const { return cancel_; }

  private:
    App& app_;
    Runner run_;
    QLineEdit* fields_[3] = {};
    QPushButton* buttons_[3] = {};
    QPushButton* cancel_ = nullptr;
};

} // namespace rigvane
