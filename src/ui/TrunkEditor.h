#pragma once
// The trunk bank editor ("Trunk Banks"): for each of the ten scanner trunk
// banks its system type, its enabled ID banks and its scan flag, and for each
// of the 1000 talk-group entries (scanner bank x 100 + ID bank x 10 + ID
// channel) the ID text, service and flags. Edits go straight into the
// tables and mark the data changed. Its Radio menu asks the engine to load
// or save every trunk bank of a radio that has them; the transfer itself
// runs in the main loop.
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QAction;
class QScrollBar;

namespace rigvane {

struct App;
class Engine;

class TrunkWindow : public QWidget {
    Q_OBJECT
  public:
    TrunkWindow(App& app, Engine& engine, QWidget* parent = nullptr);

    // Shows the entry the three scroll bars point at.
    void Display_Trunk();
    // The entry shown: scanner bank x 100 + ID bank x 10 + ID channel.
    int ShownEntry() const { return entry_; }
    int ShownBank() const { return bank_; }

    // The selected radio changed: Load and Save are offered only for a radio
    // that keeps trunk banks.
    void RadioChanged();

    // Placement entry 6, in twips.
    void RestorePosition();
    void StorePosition();

    // Controls, for tests (index 1 scanner bank, 2 ID bank, 3 ID channel).
    QScrollBar* TrunkScroll(int i) const { return scroll_[size_t(i - 1)]; }
    QGroupBox* BankFrame() const { return bankFrame_; }
    QGroupBox* IDBnkFrame() const { return idBankFrame_; }
    QGroupBox* IDChanFrame() const { return idChanFrame_; }
    QComboBox* TypeCombo() const { return type_; }
    QCheckBox* BnkEnblChk(int k) const { return bankEnabled_[size_t(k)]; }
    QCheckBox* IDScanEnblChk() const { return scanEnabled_; }
    QLineEdit* IDEntryTxt() const { return id_; }
    QLineEdit* TrunkServTxt() const { return service_; }
    QCheckBox* TrunkValidChk() const { return valid_; }
    QCheckBox* TrunkDelayChk() const { return delay_; }
    QCheckBox* TrunkRsmChk() const { return resume_; }
    QLabel* TrunkTsmpLbl() const { return stamp_; }
    QLabel* TrunkCntLbl() const { return count_; }
    QLabel* TrunkTimeLbl() const { return time_; }
    QLabel* TrunkSigLbl() const { return signal_; }
    QAction* Radio_Load_Menu() const { return load_; }
    QAction* Save_IDs_Menu() const { return save_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void Edited();

    App& app_;
    Engine& engine_;
    int entry_ = 0;
    int bank_ = 0;

    std::array<QScrollBar*, 3> scroll_{};
    QGroupBox* bankFrame_ = nullptr;
    QGroupBox* idBankFrame_ = nullptr;
    QGroupBox* idChanFrame_ = nullptr;
    QComboBox* type_ = nullptr;
    std::array<QCheckBox*, 10> bankEnabled_{};
    QCheckBox* scanEnabled_ = nullptr;
    QLineEdit* id_ = nullptr;
    QLineEdit* service_ = nullptr;
    QCheckBox* valid_ = nullptr;
    QCheckBox* delay_ = nullptr;
    QCheckBox* atten_ = nullptr;
    QCheckBox* resume_ = nullptr;
    QLabel* stamp_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* time_ = nullptr;
    QLabel* signal_ = nullptr;
    QAction* load_ = nullptr;
    QAction* save_ = nullptr;
};

} // namespace rigvane
