#include "ui/GlobalParms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/Rigctld.h"
#include "storage/SettingsFile.h"

namespace rigvane {

namespace {

constexpr int MaxTime = 999;
constexpr int FirstSize = 10, LastSize = 30;
const char* const DisplayFace = "Transistor"; // the frequency display's own face

QString Time3(long long v) {
    return QString("%1").arg(std::max(0LL, v), 3, 10, QChar('0'));
}

} // namespace

GlobalParms::GlobalParms(App& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName("GlobalParms");
    setWindowTitle("Global Parms");
    Build();
    Undo();
}

void GlobalParms::Build() {
    auto* outer = new QVBoxLayout(this);
    auto label = [](const char* text, const char* name, QWidget* parent) {
        auto* l = new QLabel(text, parent);
        l->setObjectName(name);
        return l;
    };

    // Timing Settings: the three times in seconds.
    auto* timing = new QGroupBox("Timing Settings", this);
    timing->setObjectName("TimingFrame");
    auto* timingGrid = new QGridLayout(timing);
    const char* const timeLabels[] = {"Delay", "Resume", "Priority"};
    const char* const timeLabelNames[] = {"DelayLbl", "ResumeLbl", "PriorityLbl"};
    for (int i = 0; i < 3; ++i) {
        QLineEdit* e = new QLineEdit(timing);
        e->setObjectName(QString("EntryTxt_%1").arg(i));
        e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,6}"), e));
        e->setMaxLength(6);
        e->setAlignment(Qt::AlignRight);
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance("0000000") + 12);
        e->installEventFilter(this);
        entry_[size_t(i)] = e;
        timingGrid->addWidget(label(timeLabels[i], timeLabelNames[i], timing), 0, i);
        timingGrid->addWidget(e, 1, i);
    }
    timingGrid->addWidget(label("all values in Seconds", "SecondsLbl", timing), 2, 0, 1, 3);

    // File Options: the save format.
    auto* files = new QGroupBox("File Options", this);
    files->setObjectName("FileFrame");
    auto* filesRow = new QHBoxLayout(files);
    filesRow->addWidget(label("Frequency File save format", "FrmtLbl", files));
    format_ = new QPushButton(files);
    format_->setObjectName("FrmtCmd");
    format_->setAutoDefault(false);
    format_->setMinimumWidth(format_->fontMetrics().horizontalAdvance("Short") + 40);
    filesRow->addWidget(format_);
    filesRow->addStretch(1);

    // Display Settngs: face, size, sample, the unused aux controls.
    auto* display = new QGroupBox("Display Settngs", this);
    display->setObjectName("DisplayFrame");
    auto* displayGrid = new QGridLayout(display);
    font_ = new QComboBox(display);
    font_->setObjectName("FontCombo");
    QStringList families = QFontDatabase::families();
    if (!families.contains(DisplayFace) && !QFont::substitutes(DisplayFace).isEmpty())
        families.prepend(DisplayFace);
    const QString stored = QString::fromStdString(app_.settings.Global.FreqFont);
    if (!stored.isEmpty() && !families.contains(stored)) families.prepend(stored);
    font_->addItems(families);
    font_->setMaxVisibleItems(20);
    font_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    font_->setMinimumContentsLength(22);
    size_ = new QComboBox(display);
    size_->setObjectName("SizeCombo");
    for (int s = FirstSize; s <= LastSize; ++s)
        size_->addItem(QString::number(s));
    sample_ = new QLabel("0145.50000", display);
    sample_->setObjectName("FontSample");
    sample_->setFrameShape(QFrame::StyledPanel);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumHeight(60);
    showAux_ = new QCheckBox("Display Unused Aux", display);
    showAux_->setObjectName("ShowAuxChk");
    displayGrid->addWidget(label("Frequency/Channel Font", "FontLbl", display), 0, 0);
    displayGrid->addWidget(font_, 0, 1);
    displayGrid->addWidget(label("Font Size", "SizeLbl", display), 1, 0);
    displayGrid->addWidget(size_, 1, 1, Qt::AlignLeft);
    displayGrid->addWidget(label("Sample", "SampleLbl", display), 2, 0);
    displayGrid->addWidget(sample_, 2, 1);
    displayGrid->addWidget(showAux_, 3, 0, 1, 2);
    displayGrid->setColumnStretch(1, 1);

    // Misc Settings: the database at start.
    auto* misc = new QGroupBox("Misc Settings", this);
    misc->setObjectName("MiscFrame");
    auto* miscRow = new QHBoxLayout(misc);
    loadFdb_ = new QCheckBox("Load Frequency DBF on Start", misc);
    loadFdb_->setObjectName("LoadFdbChk");
    miscRow->addWidget(loadFdb_);
    // Logging programs follow the radio through Hamlib's network protocol.
    rigctld_ = new QCheckBox("rigctld Server on", misc);
    rigctld_->setObjectName("RigctldChk");
    miscRow->addWidget(rigctld_);
    rigctldAddress_ = new QLineEdit(misc);
    rigctldAddress_->setObjectName("RigctldTxt");
    rigctldAddress_->setToolTip("[address:]port; 127.0.0.1 unless an address is given");
    rigctldAddress_->setMaxLength(64);
    miscRow->addWidget(rigctldAddress_);

    auto* top = new QHBoxLayout;
    top->addWidget(timing);
    top->addWidget(files);
    outer->addLayout(top);
    outer->addWidget(display);
    outer->addWidget(misc);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto button = [&](const char* text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* ok = button("OK", "OKCmd");
    QPushButton* cancel = button("Cancel", "CanCmd");
    QPushButton* undo = button("Undo", "UndoCmd");
    outer->addLayout(buttons);

    connect(format_, &QPushButton::clicked, this, [this] {
        shortFormat_ = !shortFormat_;
        ShowFormat();
    });
    connect(font_, &QComboBox::currentIndexChanged, this, [this] { ShowSample(); });
    connect(size_, &QComboBox::currentIndexChanged, this, [this] { ShowSample(); });
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(undo, &QPushButton::clicked, this, [this] { Undo(); });
}

QString GlobalParms::StoredTime(int index) const {
    const Globals& g = app_.settings.Global;
    switch (index) {
    case 0:
        return Time3(g.DlyTime);
    case 1:
        return Time3(g.RsmTime);
    default:
        return Time3(g.PriorTime);
    }
}

void GlobalParms::Undo() {
    const Globals& g = app_.settings.Global;
    for (int i = 0; i < 3; ++i)
        entry_[size_t(i)]->setText(StoredTime(i));
    shortFormat_ = g.SaveShort;
    ShowFormat();
    showAux_->setChecked(g.ShowAux);
    loadFdb_->setChecked(g.LoadFreq);
    rigctld_->setChecked(g.Rigctld);
    rigctldAddress_->setText(QString::fromStdString(g.RigctldAddress));
    font_->setCurrentIndex(font_->findText(QString::fromStdString(g.FreqFont)));
    const QString size = QString::number(g.FreqSize);
    int at = size_->findText(size);
    if (at < 0) { // a stored size outside the list is kept as it is
        size_->addItem(size);
        at = size_->count() - 1;
    }
    size_->setCurrentIndex(at);
    ShowSample();
}

void GlobalParms::ShowFormat() {
    format_->setText(shortFormat_ ? "Short" : "Long");
}

void GlobalParms::ShowSample() {
    QFont f(font_->currentText());
    f.setPointSize(std::max(1, size_->currentText().toInt()));
    sample_->setFont(f);
}

int GlobalParms::TimeValue(int index) const {
    const QString text = entry_[size_t(index)]->text();
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < 0 || v > MaxTime) return -1;
    return v;
}

bool GlobalParms::CheckTimeField(int index) {
    if (TimeValue(index) >= 0) return true;
    app_.host.Beep();
    QLineEdit* field = entry_[size_t(index)];
    // The focus is on its way elsewhere: bring it back once that has happened.
    QTimer::singleShot(0, field, [field] { field->setFocus(Qt::OtherFocusReason); });
    return false;
}

bool GlobalParms::eventFilter(QObject* watched, QEvent* event) {
    int index = -1;
    for (int i = 0; i < 3; ++i)
        if (watched == entry_[size_t(i)]) index = i;
    if (index < 0) return QDialog::eventFilter(watched, event);

    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            entry_[size_t((index + 1) % 3)]->setFocus(Qt::TabFocusReason);
            return true;
        case Qt::Key_Escape:
            entry_[size_t(index)]->setText(StoredTime(index));
            return true;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            return false;
        default:
            break;
        }
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() && !text.at(0).isDigit())
            return true; // refused
        return false;
    }
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            CheckTimeField(index);
    }
    return QDialog::eventFilter(watched, event);
}

void GlobalParms::accept() {
    // A bad time field (typed, then OK clicked at once) keeps the dialog open.
    for (int i = 0; i < 3; ++i) {
        if (TimeValue(i) < 0) {
            app_.host.Beep();
            entry_[size_t(i)]->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    std::string address;
    int port = 0;
    const std::string rigctldText = rigctldAddress_->text().trimmed().toStdString();
    if (!RigctldProtocol::ParseAddress(rigctldText, &address, &port)) {
        app_.host.MessageBox("Error!", "The rigctld server needs [address:]port, e.g. 4532",
                             MsgIcon::Critical);
        rigctldAddress_->setFocus(Qt::OtherFocusReason);
        return;
    }
    Globals& g = app_.settings.Global;
    g.Rigctld = rigctld_->isChecked();
    g.RigctldAddress = rigctldText;
    g.DlyTime = TimeValue(0);
    g.RsmTime = TimeValue(1);
    g.PriorTime = int16_t(TimeValue(2));
    g.ShowAux = showAux_->isChecked();
    g.LoadFreq = loadFdb_->isChecked();
    g.SaveShort = shortFormat_;
    if (!font_->currentText().isEmpty()) g.FreqFont = font_->currentText().toStdString();
    const int size = size_->currentText().toInt();
    if (size > 0 && size <= 255) g.FreqSize = uint8_t(size);
    SaveSettings(app_.settings, app_.host);
    QDialog::accept();
}

} // namespace rigvane
