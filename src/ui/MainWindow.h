#pragma once
// The program's main window: menus, radio status, signal meter, channel
// display and stepping, mode buttons, Load/Set range, speed and the global
// switches. Its controls never talk to the radio: they set switches, store
// requests and ask the engine for a mode; the engine tells the window what to
// redraw through EngineView. Closing the window ends the program: the engine
// stops, the settings file is written once with the windows' places, and
// changed data is offered for saving.
#include <QMainWindow>
#include <array>
#include <string>

#include "engine/App.h"
#include "engine/Engine.h"
#include "engine/Startup.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace rigvane {

class AboutWindow;
class BankEditor;
class MemoryEditor;
class MessageWindow;
class RigctldServer;
class ActivityDisplay;
class TrunkWindow;
class StatusWindow;
class VfoWindow;

class MainWindow : public QMainWindow, public EngineView {
    Q_OBJECT
  public:
    MainWindow(App& app, Engine& engine, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The whole start-up: splash, start-up initialisation (settings, radio,
    // database), control set-up, show, the auxiliary windows that were open,
    // the saved position; then the main loop starts from the event loop.
    // `startLoop` false leaves the loop to the caller (tests).
    void Start(const std::string& iniPath, const StartupHooks& hooks, bool startLoop = true);

    // Moves the window to the position stored in the window table.
    void RestorePosition();
    // Copies the window's position into the window table.
    void StorePosition();
    // The shutdown ran and wrote the settings file.
    bool SettingsSaved() const { return settingsSaved_; }
    bool ShutDown() const { return shutDown_; }

    // The control set-up for the selected radio.
    void Drop_Down_Init();

    // The rigctld server: the address of the command line holds for the run
    // (RigctldOverride); otherwise the Global Parms switch decides. Start and
    // the Global Parms dialog call it.
    void ApplyRigctld();
    std::string RigctldOverride;
    RigctldServer* Rigctld() const { return rigctld_; }

    // Shutdown started by a signal: ends without asking anything. Changed
    // channel data cannot be saved without a file name; a message says so.
    void CloseQuietly();

    // Controls, for tests and for the windows that look at them.
    QLabel* SigLab(int i) const { return sigLab_[i]; }
    QPushButton* SigOffButton() const { return sigOff_; }
    QLineEdit* EntryTxt(int i) const { return entry_[i]; }
    QLabel* MEMDigit(int i) const { return memDigit_[i]; }
    QPushButton* ChanScrlBut(int i) const { return chanScrl_[i]; }
    QRadioButton* ScanModeButton(int i) const { return modeButton_[i]; }
    QPushButton* MemBut() const { return memBut_; }
    QPushButton* VSelBut() const { return vselBut_; }
    QComboBox* RadioSelCmb() const { return radioSel_; }
    QLabel* RadStatus() const { return radStatus_; }
    QLabel* SpeedLabelWidget() const { return speedLabel_; }
    QScrollBar* Speedbar() const { return speedBar_; }
    QLabel* BCVFO() const { return bcvfo_; }
    MessageWindow* Messages() const { return messages_; }
    StatusWindow* Status() const { return status_; }
    AboutWindow* About() const { return about_; }
    // The VFO windows (0 = A, 1 = B) and the Spectrum window; nullptr until
    // first shown.
    VfoWindow* Vfo(int i) const { return vfo_[i & 1]; }
    ActivityDisplay* Spectrum() const { return spectrum_; }
    TrunkWindow* Trunk() const { return trunk_; }
    // The View menu's "VFO&A", "VFO&B" and "&Spectrum".
    void ShowVfo(int i);
    void ShowSpectrum();
    // The editors ("M&emory Channels", "S&can Banks", "S&earch Banks");
    // nullptr until first shown.
    void ShowMemoryEditor();
    void ShowScanEditor();
    void ShowSearchEditor();
    MemoryEditor* MemoryEditorWindow() const { return memEditor_; }
    BankEditor* ScanEditor() const { return scanEditor_; }
    BankEditor* SearchEditor() const { return searchEditor_; }
    // The View menu's "&Trunking Channels".
    void ShowTrunk();

    // Turns a common-dialog filter ("All Files (*.*)|*.*|Text files (*.frq) |*.frq")
    // into Qt's filter list; each entry keeps its description and its pattern.
    static QStringList QtFilters(const std::string& filter);
    // Whether the dialog of action code 0..10 exists in this program.
    static bool DialogAvailable(int code);

    // --- EngineView ------------------------------------------------------
    void DisplayVfo() override;
    void DisplayChannel() override;
    void SelectModeButton(int index) override;
    void SignalDisplay(int level, int threshold,
                       const std::array<uint32_t, MeterLabels>& colours) override;
    void RefreshControls(const ControlSetup& setup) override;
    void BankLabel(int bank) override;
    void ResumeLabel(int seconds) override;
    void PriorityFieldHighlight(bool on) override;
    void LoadSetRange(int first, int last) override;
    bool RunDialog(int code) override;
    std::string ChooseFile(const std::string& filter, int filterIndex,
                           const std::string& initialName, bool save) override;
    void SetBusyCursor(bool busy) override;
    void TestRadioMenuEnabled(bool enabled) override;
    void SpeedLabel(const std::string& text) override;
    void MemButCaption(const std::string& caption) override;
    void LoadButtonsEnabled(bool load, bool vfoToMem) override;
    void RadioCaptions(const ControlSetup& setup) override;
    void ActiveVfoChanged() override;
    void VfoBackground() override;
    void SpectrumBar(int32_t frequency, int level, uint32_t colour) override;
    void RefreshEditors() override;
    void TrunkDataChanged() override;
    void MemoryReplaced() override;
    void ShowChannelInEditor(int channel) override;
    int EditorChannel() override;
    void ChannelChanged(int channel) override;
    void SearchBankEditorShow(int bank) override;
    void StatisticsChanged() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    RigctldServer* rigctld_ = nullptr;
    std::string rigctldAddress_; // what it listens on; empty: it does not
    void BuildMenus();
    QWidget* BuildStatusFrame();
    QWidget* BuildMeterFrame();
    QWidget* BuildChannelFrame();
    QWidget* BuildModeFrame();
    QWidget* BuildOptionsFrame();
    QLineEdit* MakeEntry(int index);
    QCheckBox* MakeCheck(const char* name, const char* caption);
    void ApplyDigitFont();
    void ShowStatus(const std::string& caption, uint32_t rgb);

    bool EntryKeyPress(int field, QKeyEvent* event);
    void EntryFocusLost(int field);
    void CheckClicked(QCheckBox* box);
    void SetChecksFromSwitches();

    App& app_;
    Engine& engine_;
    bool settingsSaved_ = false;
    bool shutDown_ = false;
    bool closing_ = false;
    bool speedMoved_ = false;
    bool quiet_ = false;
    int busyDepth_ = 0;

    // Menu items that change state.
    QAction* dbgFileOn_ = nullptr;
    QAction* dbgFileOff_ = nullptr;
    QAction* dbgKeyOn_ = nullptr;
    QAction* dbgKeyOff_ = nullptr;
    QAction* dbgTest_ = nullptr;
    QAction* thf6a_ = nullptr;
    QAction* aor8000_ = nullptr;

    // Controls.
    QComboBox* radioSel_ = nullptr;
    QLabel* selRadLab_ = nullptr;
    QLabel* comRadio_ = nullptr;
    QLabel* protRadio_ = nullptr;
    QLabel* bcvfo_ = nullptr;
    QLabel* radStatus_ = nullptr;
    QLabel* statsLbl_ = nullptr; // channels per second and the last latency
    std::array<QLabel*, MeterLabels> sigLab_{};
    QPushButton* sigOff_ = nullptr;
    QLabel* rsmLabel_ = nullptr;
    QLabel* bankLabel_ = nullptr;
    std::array<QLineEdit*, 4> entry_{};
    std::array<QLabel*, 3> memDigit_{};
    std::array<QPushButton*, 2> chanScrl_{};
    QPushButton* vselBut_ = nullptr;
    QPushButton* memBut_ = nullptr;
    std::array<QRadioButton*, 11> modeButton_{};
    QButtonGroup* modeGroup_ = nullptr;
    QScrollBar* speedBar_ = nullptr;
    QLabel* speedLabel_ = nullptr;
    QCheckBox* ctcsChk_ = nullptr;
    QCheckBox* trunkChk_ = nullptr;
    QCheckBox* syncChk_ = nullptr;
    QCheckBox* prioChk_ = nullptr;
    QCheckBox* bankChk_ = nullptr;
    QCheckBox* rsmChk_ = nullptr;
    QCheckBox* noLogChk_ = nullptr;
    QCheckBox* logChk_ = nullptr;
    QCheckBox* lightChk_ = nullptr;

    // A rejected entry shows a message box, which takes the focus away again:
    // no second check while the first one runs.
    bool validating_ = false;

    MessageWindow* messages_ = nullptr;
    std::array<VfoWindow*, 2> vfo_{};
    ActivityDisplay* spectrum_ = nullptr;
    TrunkWindow* trunk_ = nullptr;
    MemoryEditor* memEditor_ = nullptr;
    BankEditor* scanEditor_ = nullptr;
    BankEditor* searchEditor_ = nullptr;
    StatusWindow* status_ = nullptr;
    AboutWindow* about_ = nullptr;
};

} // namespace rigvane
