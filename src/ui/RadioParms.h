#pragma once
// The radio parameters dialog "Radio Parms": edits the eight configured
// radios on a working copy of the profile table, fills in the defaults of a
// protocol or model the user chooses, checks addresses, fields and limits, and
// can search the ports, speeds and bus addresses for a radio ("Locate Radio").
// OK copies the working profiles into the live table and saves the settings
// file.
#include <QDialog>
#include <array>

#include "core/Settings.h"
#include "engine/App.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace rigvane {

class RadioParms : public QDialog {
    Q_OBJECT
  public:
    // Shows profile `radio` (0..7) first.
    RadioParms(App& app, int radio, QWidget* parent = nullptr);

    // The radio search ("Locate Radio"): see engine/LocateRadio.h. The found
    // settings stay in the working copy on show; the user confirms with OK.
    void Locate_Radio();

    // The working copy of profile i (0..7) and the index of the one on show.
    const RadioProfile& Working(int i) const { return work_[size_t(i)]; }
    bool Changed() const { return changed_; }

    // The defaults the dialog fills in when the user chooses a protocol: the
    // serial settings, limits and model of the family's data.
    static void ApplyProtocolDefaults(RadioProfile& p, const FamilyCaps& caps);
    // What a model change sets: the serial defaults in which the family's
    // models differ.
    static void ApplyModelDefaults(RadioProfile& p, const FamilyCaps& caps);
    // A Hamlib model chosen for a HAMLIB profile: its memory channels and
    // receive range, as far as Hamlib knows them.
    static void ApplyHamlibModel(RadioProfile& p);

  public Q_SLOTS:
    void accept() override; // OK
    void reject() override; // Cancel, Escape, the close box

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    RadioProfile& Shown() { return work_[size_t(edited_)]; }
    void Build();
    void Connect();
    // Puts the working copy on show into the controls, then lays them out
    // for its protocol; no value is changed.
    void Display();
    void ApplyLayout();
    void UpdateSerialEnabled();
    void SelectTimeout(int32_t timeout);
    void MarkChanged() { changed_ = true; }
    // Leaving entry field `index`: the key trace, then its check.
    void LeaveField(int index);
    bool ParseFrequency(const QString& text, double* mhz) const;
    bool OkChecks();
    void Undo();
    void Help();
    bool ConfirmDiscard(const char* title, const char* question);
    // The Hamlib model list: filled once, when a HAMLIB profile first shows.
    void FillHamlibModels();
    void FilterHamlibModels(const QString& text);
    void ShowHamlibModel();

    App& app_;
    std::array<RadioProfile, ProfileCount> work_;
    int edited_ = 0;
    bool changed_ = false;
    bool loading_ = false; // controls are being filled: their signals change nothing
    bool locating_ = false;
    bool checkingField_ = false;

    QComboBox* radSel_ = nullptr;
    std::array<QLineEdit*, 4> entry_{}; // name, max MHz, min MHz, max channel
    QComboBox* org_ = nullptr;
    QComboBox* proto_ = nullptr;
    QComboBox* model_ = nullptr;
    QComboBox* port_ = nullptr;
    QComboBox* device_ = nullptr;
    QComboBox* baud_ = nullptr;
    QComboBox* bits_ = nullptr;
    QComboBox* stop_ = nullptr;
    QComboBox* parity_ = nullptr;
    QCheckBox* flow_ = nullptr;
    QComboBox* det_ = nullptr;
    QComboBox* timeout_ = nullptr;
    QComboBox* addr_ = nullptr;
    QComboBox* caddr_ = nullptr;
    QLabel* addrLbl_ = nullptr;
    QLabel* caddrLbl_ = nullptr;
    QComboBox* vfoChan_ = nullptr;
    QLabel* vfoChanLbl_ = nullptr;
    QCheckBox* expCmd_ = nullptr;
    QCheckBox* xtraDly_ = nullptr;
    QPushButton* test_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* undo_ = nullptr;
    QPushButton* help_ = nullptr;
    QWidget* body_ = nullptr;   // everything but Cancel: disabled while searching
    QWidget* hamlib_ = nullptr; // the HAMLIB frame: model list and configuration
    QLineEdit* hamlibFind_ = nullptr;
    QTreeWidget* hamlibModels_ = nullptr;
    QLineEdit* hamlibConf_ = nullptr;
};

} // namespace rigvane
