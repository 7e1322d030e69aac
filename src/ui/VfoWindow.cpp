#include "ui/VfoWindow.h"

#include "ui/Twips.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/CodeTables.h"
#include "core/Text.h"
#include "engine/App.h"
#include "engine/Engine.h"

namespace rigvane {

namespace {

const char* const FreqPrompt = "Enter Freq";
const char* const StepPrompt = "Enter Step";

constexpr int64_t FreqLimit = NoFrequency; // 999999999

// Nine digits of a value in 0..999999999 ("000000000").
std::string NineDigits(int64_t value) {
    if (value < 0) value = 0;
    if (value > FreqLimit) value = FreqLimit;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%09lld", static_cast<long long>(value));
    return buf;
}

// The nine-digit text of `value` with digit `pos` (0 = leftmost) moved by
// `direction`, 10 wrapping to 0 and -1 to 9.
int64_t StepDigit(int64_t value, int pos, int direction) {
    std::string text = NineDigits(value);
    int d = text[pos] - '0' + direction;
    if (d > 9) d = 0;
    if (d < 0) d = 9;
    text[pos] = static_cast<char>('0' + d);
    return std::stoll(text);
}

int64_t WrapFrequency(int64_t f) {
    if (f > FreqLimit) return 0;
    if (f < 0) return FreqLimit;
    return f;
}

// A VB colour value (0x00BBGGRR) as a style-sheet colour.
QString CssColour(uint32_t vb) {
    return QColor(vb & 0xFF, (vb >> 8) & 0xFF, (vb >> 16) & 0xFF).name();
}

} // namespace

VfoWindow::VfoWindow(App& app, Engine& engine, int index, QWidget* parent)
    : QWidget(parent, Qt::Window), app_(app), engine_(engine), index_(index) {
    setObjectName(index_ == 0 ? "VFOA" : "VFOB");
    BuildControls();
    repeatTimer_ = app_.host.CreateTimer([this] { RepeatTick(); });
    Drop_Down_Init();
    DISPLAY_ACTIVE();
    Display_VFO();
    RestorePosition();
}

VfoWindow::~VfoWindow() {
    // The host keeps the timer; a stopped one never calls back.
    app_.host.SetTimer(repeatTimer_, 0, false);
    // A list still open closes now, while this window can still clear the
    // drop-down flag; the lists must not call back once it is gone.
    std::array<DropDownCombo*, 8> lists{modeCmb_};
    std::copy(aux_.Lists.begin(), aux_.Lists.end(), lists.begin() + 1);
    for (DropDownCombo* list : lists) {
        if (list->view()->isVisible()) list->hidePopup();
        list->OnDropDown = nullptr;
        list->OnCloseUp = nullptr;
    }
}

bool VfoWindow::IsActive() const {
    return app_.radioState.ActiveVfo == index_;
}

Channel& VfoWindow::Copy() {
    return app_.radioState.Vfo[index_];
}

int VfoWindow::PlacementEntry() const {
    return index_ == 0 ? WinVfoA : WinVfoB;
}

QString VfoWindow::Caption(int index, bool active) {
    return QString(42, ' ') + (index == 0 ? "VFO-A" : "VFO-B") +
           (active ? " (active)" : " (inactive)");
}

QLabel* VfoWindow::MakeDigit(int i) {
    auto* label = new QLabel(i == 10 || i == 20 ? "." : "0", this);
    label->setObjectName(QString("VFODigit_%1").arg(i));
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    if (i != 10 && i != 20) {
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
    }
    digit_[i] = label;
    return label;
}

void VfoWindow::BuildControls() {
    auto* root = new QVBoxLayout(this);
    root->setSizeConstraint(QLayout::SetFixedSize);

    // Active marker.
    auto* activeRow = new QHBoxLayout;
    activeLabel_[0] = new QLabel(this);
    activeLabel_[0]->setObjectName("Active_Label_0");
    activeLabel_[0]->setFixedSize(16, 16);
    activeLabel_[0]->setAutoFillBackground(true);
    activeLabel_[0]->setFrameShape(QFrame::Box);
    activeLabel_[1] = new QLabel(this);
    activeLabel_[1]->setObjectName("Active_Label_1");
    for (QLabel* l : activeLabel_) {
        l->installEventFilter(this);
        activeRow->addWidget(l);
    }
    activeRow->addStretch();
    root->addLayout(activeRow);

    const char* captions[3] = {"Frequency", "Step Value", "Modulation"};
    for (int i = 0; i < 3; ++i) {
        vfoLabel_[i] = new QLabel(captions[i], this);
        vfoLabel_[i]->setObjectName(QString("VFOLabel_%1").arg(i));
    }

    // Frequency: digits 11..14, the point 20, digits 15..19; Up/Dn; entry.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->addWidget(vfoLabel_[0], 0, 0);
    auto* freqRow = new QHBoxLayout;
    freqRow->setSpacing(0);
    for (int i = 11; i <= 14; ++i)
        freqRow->addWidget(MakeDigit(i));
    freqRow->addWidget(MakeDigit(20));
    for (int i = 15; i <= 19; ++i)
        freqRow->addWidget(MakeDigit(i));
    grid->addLayout(freqRow, 1, 0);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(2);
    up_ = new QPushButton("Up", this);
    up_->setObjectName("VFOScrlBut_0");
    down_ = new QPushButton("Dn", this);
    down_->setObjectName("VFOScrlBut_10");
    for (QPushButton* b : {up_, down_}) {
        b->setFixedWidth(40);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    connect(up_, &QPushButton::pressed, this, [this] { StartRepeat(0); });
    connect(down_, &QPushButton::pressed, this, [this] { StartRepeat(10); });
    connect(up_, &QPushButton::released, this, [this] { StopRepeat(); });
    connect(down_, &QPushButton::released, this, [this] { StopRepeat(); });
    grid->addLayout(buttons, 1, 1);

    for (int i = 0; i < 2; ++i) {
        auto* e = new QLineEdit(i == 0 ? FreqPrompt : StepPrompt, this);
        e->setObjectName(QString("EntryTxt_%1").arg(i));
        e->setFixedWidth(100);
        e->setContextMenuPolicy(Qt::NoContextMenu); // no paste around the key rules
        e->setAcceptDrops(false);
        e->installEventFilter(this);
        entry_[i] = e;
    }
    grid->addWidget(entry_[0], 1, 2);

    // Step: digits 1..4, the point 10, digits 5..9; entry.
    grid->addWidget(vfoLabel_[1], 2, 0);
    auto* stepRow = new QHBoxLayout;
    stepRow->setSpacing(0);
    for (int i = 1; i <= 4; ++i)
        stepRow->addWidget(MakeDigit(i));
    stepRow->addWidget(MakeDigit(10));
    for (int i = 5; i <= 9; ++i)
        stepRow->addWidget(MakeDigit(i));
    stepRow->addStretch();
    grid->addLayout(stepRow, 3, 0);
    grid->addWidget(entry_[1], 3, 2);
    root->addLayout(grid);

    // Modulation and trunk flag.
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(vfoLabel_[2]);
    modeCmb_ = new DropDownCombo(this);
    modeCmb_->setObjectName("VFOModeCmb");
    modeCmb_->OnDropDown = [this] { engine_.SetDropDownOpen(true); };
    modeCmb_->OnCloseUp = [this] { engine_.SetDropDownOpen(false); };
    connect(modeCmb_, &QComboBox::activated, this, [this](int i) { ModeClicked(i); });
    modeRow->addWidget(modeCmb_);
    trunkChk_ = new QCheckBox("Trunked Freq", this);
    trunkChk_->setObjectName("VFOTrunkChk");
    connect(trunkChk_, &QCheckBox::clicked, this, [this](bool on) { TrunkClicked(on); });
    modeRow->addSpacing(12);
    modeRow->addWidget(trunkChk_);
    modeRow->addStretch();
    root->addLayout(modeRow);

    // Aux frame: seven labelled lists and six check boxes.
    aux_ = BuildAuxFrame(this, "VFOAuxFrm", "VFOAuxChk", "VFOAuxCmb", "VAuxLabel");
    for (int i = 0; i < AuxListCount; ++i) {
        aux_.Lists[i]->OnDropDown = [this] { engine_.SetDropDownOpen(true); };
        aux_.Lists[i]->OnCloseUp = [this] { engine_.SetDropDownOpen(false); };
        connect(aux_.Lists[i], &QComboBox::activated, this,
                [this, i](int index) { AuxListClicked(i, index); });
    }
    for (int i = 0; i < AuxCheckCount; ++i)
        connect(aux_.Checks[i], &QCheckBox::clicked, this,
                [this, i](bool on) { AuxCheckClicked(i, on); });
    root->addWidget(aux_.Frame);
}

// ---- set-up -------------------------------------------------------------

void VfoWindow::Drop_Down_Init() {
    const bool wasUpdating = updating_;
    updating_ = true;
    const RadioProfile& radio = app_.settings.Selected();

    // 1. Modulation names of codes 0..9.
    modeCmb_->clear();
    for (int m = 0; m <= 9; ++m)
        modeCmb_->addItem(ModeNames[m]);

    modeCmb_->setCurrentIndex(2);

    // 2..5. The aux lists, captions and visibility for the selected radio,
    // shared with the memory channel editor.
    ApplyAuxLayout(aux_, AuxLayoutFor(app_.link, radio, app_.settings.Global.ShowAux));

    // 6. Digit faces.
    SetDigitFonts();
    updating_ = wasUpdating;
}

void VfoWindow::SetDigitFonts() {
    const Globals& g = app_.settings.Global;
    QString family = QString::fromStdString(g.FreqFont);
    // A face that is neither installed nor substituted falls back to the
    // registered display face.
    if (family.isEmpty() ||
        (!QFontDatabase::hasFamily(family) && QFont::substitutes(family).isEmpty()))
        family = "Transistor";
    const int size = g.FreqSize > 6 ? g.FreqSize : 26;
    QFont freqFont(family, size);
    QFont stepFont(family, size - 6);
    const int minHeight = TwipsToPixels(490);
    for (int i = 1; i <= 20; ++i) {
        const bool freq = i >= 11;
        const QFont& f = freq ? freqFont : stepFont;
        QLabel* d = digit_[i];
        d->setFont(f);
        const QFontMetrics fm(f);
        const bool point = i == 10 || i == 20;
        const int width =
            point ? std::max(TwipsToPixels(freq ? 156 : 100), fm.horizontalAdvance('.') + 2)
                  : fm.horizontalAdvance('8') + 6;
        d->setFixedSize(width, std::max(minHeight, fm.height() + 4));
    }
    VFO_background();
}

// ---- display ------------------------------------------------------------

void VfoWindow::SetDigits(int first, int32_t value) {
    const std::string text = NineDigits(value);
    for (int n = 0; n < 9; ++n) {
        QLabel* d = digit_[first + n];
        const QString c(QChar(text[n]));
        if (d->text() != c) d->setText(c);
    }
}

void VfoWindow::Display_VFO() {
    if (engine_.State().DropDownOpen) return;
    updating_ = true;
    Channel& c = Copy();
    SetDigits(11, c.Frequency);
    SetListIndex(modeCmb_, c.Mode);
    trunkChk_->setChecked(c.Trunked);
    if (aux_.Frame->isEnabled()) {
        if (c.Tone1 > 42) c.Tone1 = 0;
        ShowAuxFields(aux_, c);
    }
    Display_Step();
    updating_ = false;
}

void VfoWindow::Display_Step() {
    SetDigits(1, Copy().Step);
}

void VfoWindow::DISPLAY_ACTIVE() {
    const bool active = IsActive();
    setWindowTitle(Caption(index_, active));
    QPalette p = activeLabel_[0]->palette();
    p.setColor(QPalette::Window, active ? QColor(Qt::red) : palette().color(QPalette::Window));
    activeLabel_[0]->setPalette(p);
    activeLabel_[1]->setText(active ? "VFO Active" : "Make This VFO Active");
    activeLabel_[1]->setCursor(active ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void VfoWindow::VFO_background() {
    const bool lit = app_.radioState.SignalLevel > 0 && engine_.State().LightSwitch != 0;
    const uint32_t background = lit ? 65280 : 0;
    // Amber digits on black; black digits on the green of a signal.
    const QString freqStyle =
        QString("QLabel { background-color: %1; color: %2; }")
            .arg(CssColour(background), lit ? QString("#000000") : QString("#ffb000"));
    for (int i = 11; i <= 20; ++i)
        if (digit_[i]->styleSheet() != freqStyle) digit_[i]->setStyleSheet(freqStyle);
    const QString stepStyle("QLabel { background-color: #000000; color: #ffb000; }");
    for (int i = 1; i <= 10; ++i)
        if (digit_[i]->styleSheet() != stepStyle) digit_[i]->setStyleSheet(stepStyle);
}

// ---- editing --------------------------------------------------------------

void VfoWindow::ApplyEdit(const std::function<void(Channel&)>& change) {
    Channel requested = Copy();
    change(requested);
    if (!IsActive()) {
        Copy() = requested;
        Display_VFO();
    } else {
        engine_.RecallVfo(requested);
    }
}

void VfoWindow::StepVfo(int k) {
    if (k >= 1 && k <= 9) {
        Channel& c = Copy();
        c.Step = static_cast<int32_t>(StepDigit(c.Step, k - 1, digitDirection_));
        Display_Step();
        if (IsActive()) app_.radioState.Current.Step = c.Step;
        return;
    }
    if (k < 0 || k > 19) return;
    if (k == 0 || k == 10) {
        digitDirection_ = k == 0 ? 1 : -1;
        if (IsActive()) engine_.State().SearchDirection = static_cast<int16_t>(digitDirection_);
    }
    const int direction = digitDirection_;
    ApplyEdit([k, direction](Channel& r) {
        int64_t f = r.Frequency;
        if (k == 0)
            f += r.Step;
        else if (k == 10)
            f -= r.Step;
        else
            f = StepDigit(f, k - 11, direction);
        r.Frequency = static_cast<int32_t>(WrapFrequency(f));
    });
}

void VfoWindow::StartRepeat(int k, bool leftButton) {
    if ((k >= 1 && k <= 9) || (k >= 11 && k <= 19)) {
        digitDirection_ = leftButton ? 1 : -1;
        if (IsActive()) engine_.State().SearchDirection = static_cast<int16_t>(digitDirection_);
    }
    repeatStep_ = k;
    app_.host.SetTimer(repeatTimer_, 500, true);
    StepVfo(k);
}

void VfoWindow::StopRepeat() {
    app_.host.SetTimer(repeatTimer_, 0, false);
}

void VfoWindow::RepeatTick() {
    app_.host.SetTimer(repeatTimer_, 100, true);
    StepVfo(repeatStep_);
}

void VfoWindow::ModeClicked(int index) {
    if (updating_) return;
    engine_.SetDropDownOpen(false);
    // Where list 4 means something else (a repeater offset), the modulation
    // does not choose it.
    const bool bandwidthFollows = AuxOf(app_.link, app_.settings.Selected()).BandwidthFollowsMode;
    ApplyEdit([index, bandwidthFollows](Channel& r) {
        r.Mode = static_cast<uint8_t>(index);
        if (!bandwidthFollows) return;
        if (index == 1) r.Bandwidth = 2;
        if (index == 2) r.Bandwidth = 0;
        if (index == 3) r.Bandwidth = 4;
    });
}

void VfoWindow::AuxCheckClicked(int i, bool on) {
    if (updating_) return;
    ApplyEdit([i, on](Channel& r) { r.*AuxFlags[i] = on; });
}

void VfoWindow::AuxListClicked(int i, int index) {
    if (updating_) return;
    const bool modeFollows = AuxOf(app_.link, app_.settings.Selected()).BandwidthFollowsMode;
    engine_.SetDropDownOpen(false);
    ApplyEdit([i, index, modeFollows](Channel& r) {
        r.*AuxCodes[i] = static_cast<uint8_t>(index);
        if (i == 4 && modeFollows && r.Mode >= 1 && r.Mode <= 3) {
            if (index == 1 || index == 2)
                r.Mode = 2;
            else if (index == 3)
                r.Mode = 1;
            else
                r.Mode = 3;
        }
    });
}

void VfoWindow::TrunkClicked(bool on) {
    if (updating_) return;
    ApplyEdit([on](Channel& r) { r.Trunked = on; });
}

void VfoWindow::ActiveLabelClicked() {
    if (IsActive()) return;
    engine_.State().RequestedState = Copy();
    engine_.RequestMode(ModeSwapVfo);
}

// ---- entry fields -------------------------------------------------------

bool VfoWindow::EntryKey(int field, QKeyEvent* key) {
    QLineEdit* e = entry_[field];
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
    case Qt::Key_AltGr:
        return false; // focus movement and the caret: the field's own business
    case Qt::Key_Return:
    case Qt::Key_Enter:
        entry_[1 - field]->setFocus(Qt::TabFocusReason);
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Escape:
        e->clear();
        return true;
    default:
        break;
    }
    const QString text = key->text();
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9' &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    if (text == ".") {
        if (!e->text().contains('.')) return false;
        app_.host.Beep();
        return true;
    }
    // Anything else is swallowed; keys that type nothing are swallowed quietly.
    if (!text.isEmpty()) app_.host.Beep();
    return true;
}

void VfoWindow::EntryLeave(int field) {
    QLineEdit* e = entry_[field];
    const std::string text = e->text().toStdString();
    app_.link.KeyLog(std::string(index_ == 0 ? "Enter VFOA Field " : "Enter VFOB Field ") +
                         std::to_string(field),
                     text);
    if (text.empty()) return;
    if (text == FreqPrompt || text == StepPrompt) return; // untouched prompt
    // 9999.99999, the top of the scale, is a frequency, though its value is
    // the one that marks an invalid frequency elsewhere.
    int32_t value = NoFrequency;
    if (!ReadFreqText(text, &value) || ValDouble(text) > 9999.99999) {
        // Refused: the field keeps the focus and its text.
        app_.host.Beep();
        e->setFocus(Qt::OtherFocusReason);
        return;
    }
    e->clear();
    if (field == 0) {
        ApplyEdit([value](Channel& r) { r.Frequency = value; });
    } else {
        Copy().Step = value;
        Display_Step();
        if (IsActive()) app_.radioState.Current.Step = value;
    }
}

// ---- events -------------------------------------------------------------

bool VfoWindow::eventFilter(QObject* watched, QEvent* event) {
    for (int field = 0; field < 2; ++field) {
        if (watched != entry_[field]) continue;
        if (event->type() == QEvent::KeyPress)
            return EntryKey(field, static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::FocusIn) {
            // The prompt gives way to what is typed.
            if (entry_[field]->text() == (field == 0 ? FreqPrompt : StepPrompt))
                entry_[field]->clear();
        } else if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // Switching to another window or opening a menu is not leaving.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
                !leaving_) {
                leaving_ = true;
                EntryLeave(field);
                leaving_ = false;
            }
        }
        return false;
    }
    const auto type = event->type();
    if (watched == activeLabel_[0] || watched == activeLabel_[1]) {
        if (type == QEvent::MouseButtonRelease) ActiveLabelClicked();
        return false;
    }
    for (int i = 1; i <= 19; ++i) {
        if (watched != digit_[i]) continue;
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
            StartRepeat(i, static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton);
            return true;
        }
        if (type == QEvent::MouseButtonRelease) {
            StopRepeat();
            return true;
        }
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

void VfoWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    app_.settings.Windows[PlacementEntry()].Open = true;
    DISPLAY_ACTIVE();
    Display_VFO();
    VFO_background();
}

void VfoWindow::hideEvent(QHideEvent* event) {
    StopRepeat(); // a button released out of sight would repeat for ever
    QWidget::hideEvent(event);
}

void VfoWindow::closeEvent(QCloseEvent* event) {
    StorePosition();
    app_.settings.Windows[PlacementEntry()].Open = false;
    QWidget::closeEvent(event);
}

void VfoWindow::RestorePosition() {
    PlaceWindow(*this, app_.settings, PlacementEntry());
}

void VfoWindow::StorePosition() {
    WindowPlacement& w = app_.settings.Windows[PlacementEntry()];
    w.X = PixelsToTwips(x());
    w.Y = PixelsToTwips(y());
}

} // namespace rigvane
