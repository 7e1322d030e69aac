#include "ui/MemoryEditor.h"

#include <QAction>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

#include "core/CodeTables.h"
#include "core/EditRules.h"
#include "core/Text.h"
#include "engine/App.h"
#include "engine/Engine.h"

namespace rigvane {

namespace {

constexpr int LastChannel = ChannelCount - 1;
bool Channel::*const FlagFields[4] = {&Channel::Valid, &Channel::Delay, &Channel::Resume,
                                      &Channel::Trunked};

} // namespace

MemoryEditor::MemoryEditor(App& app, Engine& engine, QWidget* parent)
    : RecordEditor(app, engine, MoveKind::Channels, WinMemoryEditor, "Memory Channels", parent) {
    setObjectName("freqdb");
    BuildForm();
    BuildMenus();
    SetupAuxControls();
    resize(1180, 600);
    RestorePosition();
    ShowEntry(0);
}

QString MemoryEditor::StampLabel(Stamp stamp) {
    if (stamp == 0) return " (Not Logged)";
    const LocalDateTime t = DateTimeFromStamp(stamp);
    return QString::asprintf("%02d/%02d/%02d %02d:%02d:%02d", t.Month, t.Day, t.Year % 100, t.Hour,
                             t.Minute, t.Second);
}

void MemoryEditor::BuildForm() {
    QVBoxLayout* form = FormLayout();
    auto* top = new QGridLayout;
    number_ = NewField("EntryTxt_0", 4);
    number_->setAlignment(Qt::AlignCenter);
    frequency_ = NewField("EntryTxt_1", 11);
    service_ = NewField("EntryTxt_4", 0);
    service_->setMinimumWidth(220);
    scroll_ = NewEntryScroll("MemScroll", LastChannel);
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
        if (!updating_) ShowEntry(v);
    });
    mode_ = NewModeList();
    top->addWidget(new QLabel("Channel", this), 0, 0);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(number_);
    numberRow->addWidget(scroll_, 1);
    top->addLayout(numberRow, 0, 1);
    top->addWidget(new QLabel("Frequency", this), 1, 0);
    auto* freqRow = new QHBoxLayout;
    freqRow->addWidget(frequency_);
    freqRow->addWidget(new QLabel("MHz", this));
    freqRow->addSpacing(12);
    freqRow->addWidget(new QLabel("Mode", this));
    freqRow->addWidget(mode_);
    freqRow->addStretch();
    top->addLayout(freqRow, 1, 1);
    top->addWidget(new QLabel("Service", this), 2, 0);
    top->addWidget(service_, 2, 1);
    form->addLayout(top);

    auto* flags = new QHBoxLayout;
    const char* names[4] = {"MemValidChk", "MemDelayChk", "MemRsmChk", "MemTrunkChk"};
    const char* captions[4] = {"Valid", "Delay", "Resume", "Trunked Freq"};
    for (int i = 0; i < 4; ++i) {
        auto* c = new QCheckBox(captions[i], this);
        c->setObjectName(names[i]);
        connect(c, &QCheckBox::clicked, this, [this, i](bool on) {
            if (updating_) return;
            bool Channel::*field = FlagFields[i];
            EditShown([field, on](Channel& ch) { ch.*field = on; }, "Flag");
        });
        flags->addWidget(c);
        flags_[size_t(i)] = c;
    }
    flags->addStretch();
    form->addLayout(flags);

    auto* statBox = new QGroupBox("Statistics (double-click a value to zero it)", this);
    statBox->setObjectName("StatFrame");
    auto* stats = new QGridLayout(statBox);
    const char* statNames[4] = {"MemCntLbl", "MemTimeLbl", "MemSigLbl", "MemTsmpLbl"};
    const char* statCaptions[4] = {"Hits", "Active time", "Signal", "Last hit"};
    for (int i = 0; i < 4; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(statNames[i]);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(
            l->fontMetrics().horizontalAdvance(i == 3 ? "00/00/00 00:00:00" : "00000") + 10);
        l->installEventFilter(this);
        l->setToolTip("Double-click to zero");
        stats->addWidget(new QLabel(statCaptions[i], statBox), i / 2, (i % 2) * 2);
        stats->addWidget(l, i / 2, (i % 2) * 2 + 1);
        stats_[size_t(i)] = l;
    }
    stats->setColumnStretch(3, 1);
    form->addWidget(statBox);

    aux_ = BuildAuxFrame(this, "MemAuxFrm", "MemAuxChk", "MemAuxCmb", "MemAuxLabel");
    for (int i = 0; i < AuxListCount; ++i) {
        aux_.Lists[size_t(i)]->OnDropDown = [this] { engine_.SetDropDownOpen(true); };
        aux_.Lists[size_t(i)]->OnCloseUp = [this] { engine_.SetDropDownOpen(false); };
        connect(aux_.Lists[size_t(i)], &QComboBox::activated, this, [this, i](int index) {
            engine_.SetDropDownOpen(false);
            if (updating_) return;
            uint8_t Channel::*field = AuxCodes[size_t(i)];
            EditShown([field, index](Channel& c) { c.*field = uint8_t(index); }, "Aux");
        });
    }
    for (int i = 0; i < AuxCheckCount; ++i) {
        connect(aux_.Checks[size_t(i)], &QCheckBox::clicked, this, [this, i](bool on) {
            if (updating_) return;
            bool Channel::*field = AuxFlags[size_t(i)];
            EditShown([field, on](Channel& c) { c.*field = on; }, "Aux");
        });
    }
    form->addWidget(aux_.Frame);
    form->addStretch();
}

void MemoryEditor::BuildMenus() {
    QMenu* db = DatabaseMenu();
    QAction* sort = db->addAction("&Sort by frequency");
    sort->setObjectName("DBSort_Menu");
    connect(sort, &QAction::triggered, this, [this] { engine_.RequestAction(ActionSort); });
    QAction* lookup = db->addAction("Service &Lookup");
    lookup->setObjectName("DBLookup_Menu");
    connect(lookup, &QAction::triggered, this, [this] { engine_.RequestAction(ActionLookup); });
    QMenu* clear = db->addMenu("&Clear");
    clear->setObjectName("DBClear_Menu");
    QAction* current = clear->addAction("&Current Channel");
    current->setObjectName("DBClrCur_Menu");
    connect(current, &QAction::triggered, this,
            [this] { EditShown([](Channel& c) { c = BlankChannel; }, "Clear channel"); });
    QAction* all = clear->addAction("&All Channels");
    all->setObjectName("DBClrAll_Menu");
    connect(all, &QAction::triggered, this, [this] {
        ClearAll("Clear Channels", "All Channel Info will be cleared\n Are you sure?");
    });
}

void MemoryEditor::SetupAuxControls() {
    const RadioProfile& radio = app_.settings.Selected();
    updating_ = true;
    ApplyAuxLayout(aux_, AuxLayoutFor(app_.link, radio, app_.settings.Global.ShowAux));
    updating_ = false;
    ShowForm(true);
}

void MemoryEditor::ShowForm(bool sameEntry) {
    if (!number_) return; // still being built
    const int n = Shown();
    const Channel& c = app_.memory.Channels[size_t(n)];
    updating_ = true;
    if (scroll_->value() != n) scroll_->setValue(n);
    SetFieldText(number_, QString("%1").arg(n, 3, 10, QChar('0')), sameEntry);
    SetFieldText(frequency_, QString::fromStdString(TrimBlanks(FreqToText(c.Frequency))),
                 sameEntry);
    SetFieldText(service_, QString::fromStdString(c.Service), sameEntry);
    SetListIndex(mode_, c.Mode);
    for (int i = 0; i < 4; ++i)
        flags_[size_t(i)]->setChecked(c.*FlagFields[i]);
    stats_[0]->setText(QString("%1").arg(c.Count, 4, 10, QChar('0')));
    stats_[1]->setText(QString("%1").arg(c.ActiveTime, 4, 10, QChar('0')));
    stats_[2]->setText(QString("%1").arg(c.Signal, 2, 10, QChar('0')));
    stats_[3]->setText(StampLabel(c.TimeStamp));
    ShowAuxFields(aux_, c);
    updating_ = false;
}

void MemoryEditor::ZeroStatistic(int i) {
    switch (i) {
    case 0:
        EditShown([](Channel& c) { c.Count = 0; }, "Zero hits");
        break;
    case 1:
        EditShown([](Channel& c) { c.ActiveTime = 0; }, "Zero active time");
        break;
    case 2:
        EditShown([](Channel& c) { c.Signal = 0; }, "Zero signal");
        break;
    case 3:
        EditShown([](Channel& c) { c.TimeStamp = 0; }, "Zero time stamp");
        break;
    }
}

void MemoryEditor::Restore(QLineEdit* field) {
    field->setModified(true); // so the redisplay rewrites it
    ShowForm(false);
}

void MemoryEditor::Refuse(QLineEdit* field, const std::string& limit) {
    app_.host.Beep();
    app_.host.MessageBox(" entry error", "entry must be between 0 and " + limit,
                         MsgIcon::Exclamation);
    // The field shows the stored value again: a later pass through it
    // cannot write what was refused.
    Restore(field);
}

void MemoryEditor::Commit(QLineEdit* field) {
    if (!field->isModified() || committing_) return;
    committing_ = true;
    const std::string text = field->text().toStdString();
    if (field == number_) {
        int n = 0;
        if (ParseEntryNumber(text, LastChannel, n))
            ShowEntry(n);
        else
            Refuse(field, std::to_string(LastChannel));
    } else if (field == frequency_) {
        int32_t f = 0;
        if (ParseEntryFrequency(text, f)) {
            field->setModified(false);
            // The field shows what was stored, also when nothing changed.
            if (!EditShown([f](Channel& c) { c.Frequency = f; }, "Frequency")) ShowForm(false);
        } else {
            Refuse(field, "9999");
        }
    } else if (field == service_) {
        field->setModified(false);
        EditShown([text](Channel& c) { c.Service = text; }, "Service");
    }
    committing_ = false;
}

bool MemoryEditor::eventFilter(QObject* watched, QEvent* event) {
    for (int i = 0; i < 4; ++i) {
        if (watched == stats_[size_t(i)] && event->type() == QEvent::MouseButtonDblClick) {
            ZeroStatistic(i);
            return true;
        }
    }
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field && (field == number_ || field == frequency_ || field == service_)) {
        const FieldKind kind = field == service_     ? FieldKind::Text
                               : field == frequency_ ? FieldKind::Frequency
                                                     : FieldKind::Number;
        if (FieldEvent(field, event, kind, [this, field] { Commit(field); })) return true;
    }
    return RecordEditor::eventFilter(watched, event);
}

} // namespace rigvane
