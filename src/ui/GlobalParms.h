#pragma once
// The global parameters dialog "Global Parms": the delay, resume and priority
// times, the frequency file save format, the unused aux controls, loading the
// frequency database at start and the face and size of the frequency display.
// OK stores the values in the settings and saves the settings file; Cancel
// changes nothing.
#include <QDialog>
#include <array>

#include "engine/App.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace rigvane {

class GlobalParms : public QDialog {
    Q_OBJECT
  public:
    explicit GlobalParms(App& app, QWidget* parent = nullptr);

    // The dialog's own copy of the save format (SAVESHORT changes on OK only).
    bool ShortFormat() const { return shortFormat_; }

  public Q_SLOTS:
    void accept() override; // OK

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Build();
    // Shows the current settings.
    void Undo();
    void ShowFormat();
    void ShowSample();
    // A time field's value, or -1 when it is empty or above 999.
    int TimeValue(int index) const;
    QString StoredTime(int index) const;
    bool CheckTimeField(int index);

    App& app_;
    bool shortFormat_ = false;
    std::array<QLineEdit*, 3> entry_{}; // DLYTIME, RSMTIME, PRIORTIME
    QPushButton* format_ = nullptr;
    QCheckBox* showAux_ = nullptr;
    QCheckBox* loadFdb_ = nullptr;
    QCheckBox* rigctld_ = nullptr;
    QLineEdit* rigctldAddress_ = nullptr;
    QComboBox* font_ = nullptr;
    QComboBox* size_ = nullptr;
    QLabel* sample_ = nullptr;
};

} // namespace rigvane
