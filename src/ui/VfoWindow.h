#pragma once
// The VFO windows: VFO A (copy 0) and VFO B (copy 1) show and edit the two
// tuning states that the program keeps. Frequency and step are rows of
// clickable digits (left button up, any other button down, held buttons
// repeat); the two entry fields take a frequency and a step in MHz; the
// modulation list, "Trunked Freq" and the aux controls edit the other fields.
// Editing the inactive VFO changes only its copy; editing the active one hands
// the edited state to the engine (mode 12), which tunes the radio.
#include <QComboBox>
#include <QWidget>
#include <array>
#include <functional>

#include "core/Channel.h"
#include "core/Host.h"
#include "ui/AuxControls.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace rigvane {

struct App;
class Engine;

class VfoWindow : public QWidget {
    Q_OBJECT
  public:
    // `index` 0 is VFO A, 1 is VFO B.
    VfoWindow(App& app, Engine& engine, int index, QWidget* parent = nullptr);
    ~VfoWindow() override;

    int Index() const { return index_; }
    bool IsActive() const;
    // This VFO's copy of the tuning state.
    Channel& Copy();

    // Set-up of lists, captions and visibility for the selected radio.
    void Drop_Down_Init();
    // Shows the copy (does nothing while a modulation or aux list is open).
    void Display_VFO();
    void Display_Step();
    // Active marker and window caption.
    void DISPLAY_ACTIVE();
    // Frequency digits green while a signal is shown with the light switch on.
    void VFO_background();

    // One step with argument k: 0 "Up", 10 "Dn", 1..9 step digits, 11..19
    // frequency digits (the direction of a digit is set by the mouse button).
    void StepVfo(int k);
    // Mouse-down: direction for a digit, one step at once, then repeats after
    // 500 ms and every 100 ms until StopRepeat (mouse-up).
    void StartRepeat(int k, bool leftButton = true);
    void StopRepeat();

    // Placement entry 8 (VFO A) / 9 (VFO B), in twips.
    void RestorePosition();
    void StorePosition();
    int PlacementEntry() const;

    // The window caption for the active and the inactive state.
    static QString Caption(int index, bool active);

    // Controls.
    QLabel* VFODigit(int i) const { return digit_[i]; }                   // 1..20
    QPushButton* VFOScrlBut(int i) const { return i == 0 ? up_ : down_; } // 0 / 10
    QLineEdit* EntryTxt(int i) const { return entry_[i]; }
    QComboBox* VFOModeCmb() const { return modeCmb_; }
    QCheckBox* VFOTrunkChk() const { return trunkChk_; }
    QGroupBox* VFOAuxFrm() const { return aux_.Frame; }
    QCheckBox* VFOAuxChk(int i) const { return aux_.Checks[i]; }
    QComboBox* VFOAuxCmb(int i) const { return aux_.Lists[i]; }
    QLabel* VAuxLabel(int i) const { return aux_.Labels[i]; }
    QLabel* Active_Label(int i) const { return activeLabel_[i]; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    QLabel* MakeDigit(int i);
    void ApplyEdit(const std::function<void(Channel&)>& change);
    bool EntryKey(int field, QKeyEvent* key);
    void EntryLeave(int field);
    void ModeClicked(int index);
    void AuxCheckClicked(int i, bool on);
    void AuxListClicked(int i, int index);
    void TrunkClicked(bool on);
    void ActiveLabelClicked();
    void SetDigits(int first, int32_t value);
    void SetDigitFonts();
    void RepeatTick();

    App& app_;
    Engine& engine_;
    const int index_;

    int repeatStep_ = 0;     // the control held down
    int digitDirection_ = 1; // +1 or -1
    bool updating_ = false;  // display in progress: list and box clicks are not edits
    bool leaving_ = false;   // an entry field is being checked
    Host::TimerId repeatTimer_ = 0;

    std::array<QLabel*, 21> digit_{};
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
    std::array<QLineEdit*, 2> entry_{};
    DropDownCombo* modeCmb_ = nullptr;
    QCheckBox* trunkChk_ = nullptr;
    AuxWidgets aux_;
    std::array<QLabel*, 2> activeLabel_{};
    std::array<QLabel*, 3> vfoLabel_{};
};

} // namespace rigvane
