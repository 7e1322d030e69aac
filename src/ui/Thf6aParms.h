#pragma once
// The TH-F6A settings dialog "Th-F6A Settings": the handheld's menu settings
// (transmit options, VOX, DTMF memories, power options, general settings,
// group links, balance, contrast and the power-on message). "Read From
// Radio" reads them all, "Send To Radio" writes them all back; both run under
// the progress window, whose Cancel stops them after the current item.
#include <QDialog>
#include <array>

#include "drivers/Thf6aSettings.h"
#include "engine/App.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace rigvane {

class Thf6aParms : public QDialog {
    Q_OBJECT
  public:
    explicit Thf6aParms(App& app, QWidget* parent = nullptr);

    // The settings the controls show, and showing a set of settings.
    Thf6aMenu Values() const;
    void Show(const Thf6aMenu& menu);

    // The two buttons' work; false when it stopped early.
    bool ReadRadio();
    bool WriteRadio();

  private:
    void Build();
    bool Run(bool write);

    App& app_;
    std::array<QCheckBox*, Thf6aMenu::CheckCount> checks_{};
    std::array<QComboBox*, Thf6aMenu::ListCount> lists_{};
    std::array<QLineEdit*, 10> dtmfNumbers_{};
    std::array<QLineEdit*, 10> dtmfNames_{};
    std::array<QCheckBox*, 8> groupLinks_{};
    QScrollBar* balance_ = nullptr;
    QScrollBar* contrast_ = nullptr;
    QLabel* contrastLabel_ = nullptr;
    QLineEdit* message_ = nullptr;
};

} // namespace rigvane
