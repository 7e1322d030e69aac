#pragma once
// The "Aux Controls" frame shared by the VFO windows and the memory channel
// editor: six check boxes and seven labelled lists, laid out and captioned
// from one AuxLayout (link/AuxLayout.h).
#include <QComboBox>
#include <array>
#include <functional>

#include "core/Channel.h"
#include "core/Settings.h"
#include "link/AuxLayout.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QWidget;

namespace rigvane {

// A list whose popup reports opening and closing (the drop-down-open flag
// that keeps Manual mode from polling while a list is open).
class DropDownCombo : public QComboBox {
  public:
    using QComboBox::QComboBox;
    std::function<void()> OnDropDown;
    std::function<void()> OnCloseUp;
    void showPopup() override;
    void hidePopup() override;
};

struct AuxWidgets {
    QGroupBox* Frame = nullptr;
    std::array<QCheckBox*, AuxCheckCount> Checks{};
    std::array<DropDownCombo*, AuxListCount> Lists{};
    std::array<QLabel*, AuxListCount> Labels{};
};

// Builds the frame with its controls, named `checkName`_i, `listName`_i and
// `labelName`_i; captions and items come from ApplyAuxLayout.
AuxWidgets BuildAuxFrame(QWidget* parent, const QString& frameName, const QString& checkName,
                         const QString& listName, const QString& labelName);

// The aux layout of a radio: its family's capabilities (VfoAux of the
// model), or the built-in set-up while the family has no driver.
AuxLayout AuxLayoutFor(const SerialLink& link, const RadioProfile& radio, bool showAux);

// Items, captions and visibility; the shown controls are laid out without gaps.
void ApplyAuxLayout(const AuxWidgets& w, const AuxLayout& layout);

// Shows the aux fields of `c` (a code the list has no entry for shows nothing).
void ShowAuxFields(const AuxWidgets& w, const Channel& c);

// Sets a list's index only when it differs (no spurious change signals).
void SetListIndex(QComboBox* list, int index);

} // namespace rigvane
