#pragma once
// The scan bank editor ("Scan Banks": first and last channel, name, Scan) and
// the search bank editor ("Search Banks": start, stop and step frequency,
// modulation, name, Search), one class for both, with the table of all 100
// banks beside the form. Fields take what the user typed when they are left
// or Enter is pressed; a refused entry shows the stored value again.
#include <array>

#include "ui/AuxControls.h"
#include "ui/RecordEditor.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace rigvane {

class BankEditor : public RecordEditor {
    Q_OBJECT
  public:
    // `kind` is MoveKind::ScanBanks or MoveKind::SearchBanks.
    BankEditor(App& app, Engine& engine, MoveKind kind, QWidget* parent = nullptr);

    bool IsSearch() const { return Kind() == MoveKind::SearchBanks; }
    QScrollBar* Scroll() const { return scroll_; } // ScanScroll / SrchScroll
    // 0 bank number, 1 lower, 2 upper, 3 step (search only), 4 name.
    QLineEdit* EntryTxt(int i) const { return fields_[size_t(i)]; }
    QComboBox* ModulationCombo() const { return mode_; } // search only
    QCheckBox* ValidChk() const { return valid_; }       // ScanValidChk / SrchValidChk

  protected:
    void ShowForm(bool sameEntry) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildForm();
    void Commit(int field);
    void Refuse(int field, const std::string& text);
    int FieldOf(QObject* watched) const;

    bool committing_ = false;
    QScrollBar* scroll_ = nullptr;
    std::array<QLineEdit*, 5> fields_{};
    DropDownCombo* mode_ = nullptr;
    QCheckBox* valid_ = nullptr;
};

} // namespace rigvane
