#pragma once
// The memory channel editor ("Memory Channels"): one channel at a time in the
// form (number, frequency, modulation, service, the Valid/Delay/Resume/
// Trunked flags, the hit statistics and the radio's aux controls), and all
// 1000 channels in the table beside it. Every change is one undoable edit
// that sets the data-changed flag. Leaving a field writes only what the user
// typed there, so text typed for one channel never lands in another that the
// scan or a file put in the form meanwhile.
#include <array>

#include "ui/AuxControls.h"
#include "ui/RecordEditor.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace rigvane {

class MemoryEditor : public RecordEditor {
    Q_OBJECT
  public:
    MemoryEditor(App& app, Engine& engine, QWidget* parent = nullptr);

    // Lists, captions and visibility of the aux controls for the selected radio.
    void SetupAuxControls();

    QScrollBar* MemScroll() const { return scroll_; }
    QLineEdit* EntryTxt(int i) const { return i == 0 ? number_ : i == 1 ? frequency_ : service_; }
    QComboBox* ModulationCombo() const { return mode_; }
    QCheckBox* MemValidChk() const { return flags_[0]; }
    QCheckBox* MemDelayChk() const { return flags_[1]; }
    QCheckBox* MemRsmChk() const { return flags_[2]; }
    QCheckBox* MemTrunkChk() const { return flags_[3]; }
    // 0 count, 1 active time, 2 signal, 3 time stamp.
    QLabel* StatLabel(int i) const { return stats_[i]; }
    QCheckBox* MemAuxChk(int i) const { return aux_.Checks[i]; }
    QComboBox* MemAuxCmb(int i) const { return aux_.Lists[i]; }

    // The " (Not Logged)" / "mm/dd/yy hh:mm:ss" text of a time stamp.
    static QString StampLabel(Stamp stamp);

  protected:
    void ShowForm(bool sameEntry) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildForm();
    void BuildMenus();
    // Commits a field the user changed (on Enter or on leaving it).
    void Commit(QLineEdit* field);
    void Restore(QLineEdit* field);
    void ZeroStatistic(int i);
    void Refuse(QLineEdit* field, const std::string& limit);

    bool committing_ = false;
    QScrollBar* scroll_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLineEdit* frequency_ = nullptr;
    QLineEdit* service_ = nullptr;
    DropDownCombo* mode_ = nullptr;
    std::array<QCheckBox*, 4> flags_{};
    std::array<QLabel*, 4> stats_{};
    AuxWidgets aux_;
};

} // namespace rigvane
