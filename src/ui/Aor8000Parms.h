#pragma once
// "AOR8000 Options": the AR8000's scan, search and power-saving settings. The
// dialog reads them from the radio when it opens, shows them, and writes the
// whole block back with "Send To Radio" (with the Status window's progress and
// Cancel). The File menu saves the shown settings to a ".prm" file and opens
// one again. It talks to the radio only through the AR8000 driver, and is
// shown from the main loop's pending action, so no other radio operation
// runs meanwhile.
#include <QDialog>
#include <array>
#include <functional>

#include "drivers/Aor.h"
#include "engine/App.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QScrollBar;

namespace rigvane {

class Aor8000Parms : public QDialog {
    Q_OBJECT
  public:
    // Index of each scroll bar (its object name is Scroll_<index>).
    enum ScrollIndex {
        PowerCycle = 0,  // PI
        LevelScan = 1,   // SB
        LevelSearch = 2, // XB
        PowerDelay = 3,  // PA
        ScanDelay = 4,   // SD x 10
        SearchDelay = 5, // XD x 10
        FreeScan = 6,    // SP
        FreeSearch = 7,  // XP
    };

    explicit Aor8000Parms(App& app, QWidget* parent = nullptr);

    // Form_Load: reads the settings block from the radio and shows it.
    void ReadRadio();
    // Takes every control into the block and sends it; false when cancelled
    // or when the radio did not take every setting.
    bool WriteRadio();
    const Aor8000Settings& Block() const { return block_; }

    // The file dialog of the File menu: "" when cancelled. Tests replace it.
    std::function<QString(bool save)> ChooseFile;
    bool SaveFile(const QString& path);
    bool OpenFile(const QString& path);

  private:
    void Build();
    void Show();
    void Take();
    void ScrollChanged(int index);
    DriverContext Context();

    App& app_;
    Aor8000Settings block_;
    QCheckBox* scanLnkChk_ = nullptr;
    QCheckBox* srchLinkChk_ = nullptr;
    QCheckBox* mAudioChk_ = nullptr;
    QCheckBox* sAudioChk_ = nullptr;
    QComboBox* mmodeCmb_ = nullptr;
    std::array<QCheckBox*, 20> scanLink_{};
    std::array<QCheckBox*, 20> srchLink_{};
    std::array<QScrollBar*, 8> scroll_{};
    std::array<QLabel*, 8> sVal_{};
    std::array<QLabel*, 8> sLabel_{};
    QGroupBox* powCycle_ = nullptr;
};

} // namespace rigvane
