#include "ui/BankEditor.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
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

constexpr int LastBank = BankCount - 1;

QString FreqText(int32_t f) {
    return QString::fromStdString(TrimBlanks(FreqToText(f)));
}

} // namespace

BankEditor::BankEditor(App& app, Engine& engine, MoveKind kind, QWidget* parent)
    : RecordEditor(app, engine, kind, kind == MoveKind::SearchBanks ? WinSearchBanks : WinScanBanks,
                   kind == MoveKind::SearchBanks ? "Search Banks" : "Scan Banks", parent) {
    setObjectName(IsSearch() ? "SrchDB" : "ScanDB");
    BuildForm();
    resize(IsSearch() ? 900 : 760, 420);
    RestorePosition();
    ShowEntry(0);
}

void BankEditor::BuildForm() {
    const bool search = IsSearch();
    const QString labelName = search ? "SrchLabel_%1" : "ScanLabel_%1";
    auto* grid = new QGridLayout;
    int row = 0;
    auto label = [&](const char* caption) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(labelName.arg(row));
        grid->addWidget(l, row, 0);
    };
    auto field = [&](int i, int digits) {
        fields_[size_t(i)] = NewField(QString("EntryTxt_%1").arg(i), digits);
        return fields_[size_t(i)];
    };

    label("Bank");
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(field(0, 3));
    fields_[0]->setAlignment(Qt::AlignCenter);
    scroll_ = NewEntryScroll(search ? "SrchScroll" : "ScanScroll", LastBank);
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
        // The search bank on display is where Search->Radio and Radio->Search start.
        if (IsSearch()) engine_.State().SearchBankCursor = int16_t(v);
        if (!updating_) ShowEntry(v);
    });
    numberRow->addWidget(scroll_, 1);
    grid->addLayout(numberRow, row++, 1);

    if (search) {
        const char* captions[3] = {"Start Frequency", "Stop Frequency", "Incr Frequency"};
        for (int i = 1; i <= 3; ++i) {
            label(captions[i - 1]);
            auto* r = new QHBoxLayout;
            r->addWidget(field(i, 11));
            r->addWidget(new QLabel("MHz", this));
            r->addStretch();
            grid->addLayout(r, row++, 1);
        }
        auto* l = new QLabel("Modulation", this);
        grid->addWidget(l, row, 0);
        mode_ = NewModeList();
        auto* r = new QHBoxLayout;
        r->addWidget(mode_);
        r->addStretch();
        grid->addLayout(r, row++, 1);
    } else {
        const char* captions[2] = {"First Channel", "Last Channel"};
        for (int i = 1; i <= 2; ++i) {
            label(captions[i - 1]);
            auto* r = new QHBoxLayout;
            r->addWidget(field(i, 4));
            r->addStretch();
            grid->addLayout(r, row++, 1);
        }
    }
    label("service");
    grid->addWidget(field(4, 0), row++, 1);
    fields_[4]->setMinimumWidth(200);
    valid_ = new QCheckBox(search ? "Search this bank" : "Scan this bank", this);
    valid_->setObjectName(search ? "SrchValidChk" : "ScanValidChk");
    connect(valid_, &QCheckBox::clicked, this, [this](bool on) {
        if (!updating_) EditShown([on](Channel& c) { c.Valid = on; }, "Valid");
    });
    grid->addWidget(valid_, row++, 1);
    FormLayout()->addLayout(grid);
    FormLayout()->addStretch();

    QMenu* clear = DatabaseMenu()->addMenu("&Clear");
    clear->setObjectName("DBClear_Menu");
    QAction* current = clear->addAction(search ? "&Current Search Bank" : "&Current Scan Bank");
    current->setObjectName(search ? "DBClrSr_Menu" : "DBClrSc_Menu");
    connect(current, &QAction::triggered, this,
            [this] { EditShown([this](Channel& c) { ClearEntry(Kind(), c); }, "Clear bank"); });
    QAction* all = clear->addAction(search ? "&All Search Banks" : "&All Scan Banks");
    all->setObjectName(search ? "DbClrAllSr_Menu" : "DBClrAllSc_Menu");
    connect(all, &QAction::triggered, this, [this] {
        if (IsSearch())
            ClearAll("Clear Search  Banks", "All Search Channels will be cleared\n Are you sure?");
        else
            ClearAll("Clear Scan Banks", "All Scan Channels will be cleared\n Are you sure?");
    });
}

void BankEditor::ShowForm(bool sameEntry) {
    if (!valid_) return; // still being built
    const int n = Shown();
    const Channel& b = MoveEntry(app_.memory, Kind(), n);
    updating_ = true;
    if (scroll_->value() != n) scroll_->setValue(n);
    auto set = [sameEntry](QLineEdit* e, const QString& text) { SetFieldText(e, text, sameEntry); };
    set(fields_[0], QString("%1").arg(n, 2, 10, QChar('0')));
    if (IsSearch()) {
        set(fields_[1], FreqText(b.Lower));
        set(fields_[2], FreqText(b.Upper));
        set(fields_[3], FreqText(b.Step));
        SetListIndex(mode_, b.Mode);
    } else {
        set(fields_[1], QString("%1").arg(b.Lower, 3, 10, QChar('0')));
        set(fields_[2], QString("%1").arg(b.Upper, 3, 10, QChar('0')));
    }
    set(fields_[4], QString::fromStdString(b.Service));
    valid_->setChecked(b.Valid);
    updating_ = false;
}

void BankEditor::Refuse(int field, const std::string& text) {
    app_.host.Beep();
    app_.host.MessageBox(" entry error", text, MsgIcon::Exclamation);
    fields_[size_t(field)]->setModified(false);
    ShowForm(false); // the stored value again
    fields_[size_t(field)]->setFocus(Qt::OtherFocusReason);
}

void BankEditor::Commit(int field) {
    QLineEdit* e = fields_[size_t(field)];
    if (!e || !e->isModified() || committing_) return;
    committing_ = true;
    const std::string text = e->text().toStdString();
    e->setModified(false);
    bool changed = true;
    if (field == 0) {
        int n = 0;
        if (ParseEntryNumber(text, LastBank, n))
            ShowEntry(n);
        else
            Refuse(0, "entry must be between 0 and " + std::to_string(LastBank));
    } else if (field == 4) {
        changed = EditShown([text](Channel& c) { c.Service = text; }, "Name");
    } else if (!IsSearch()) {
        int n = 0;
        if (!ParseEntryNumber(text, ChannelCount - 1, n)) {
            Refuse(field, "entry must be between 0 and " + std::to_string(ChannelCount - 1));
        } else {
            int32_t Channel::*target = field == 1 ? &Channel::Lower : &Channel::Upper;
            changed = EditShown([target, n](Channel& c) { c.*target = n; }, "Channel");
        }
    } else {
        int32_t f = 0;
        const bool read = ParseEntryFrequency(text, f);
        if (field == 3 && read && f == 0) {
            // A step of 0 would hold the search on one frequency for ever.
            Refuse(field, "entry must be between 0.00001 and 9999");
        } else if (!read) {
            Refuse(field, "entry must be between 0 and 9999");
        } else {
            int32_t Channel::*target = field == 1   ? &Channel::Lower
                                       : field == 2 ? &Channel::Upper
                                                    : &Channel::Step;
            changed = EditShown([target, f](Channel& c) { c.*target = f; }, "Frequency");
        }
    }
    if (!changed) ShowForm(false); // the field shows what is stored
    committing_ = false;
}

int BankEditor::FieldOf(QObject* watched) const {
    for (int i = 0; i < 5; ++i)
        if (fields_[size_t(i)] && watched == fields_[size_t(i)]) return i;
    return -1;
}

bool BankEditor::eventFilter(QObject* watched, QEvent* event) {
    const int field = FieldOf(watched);
    if (field >= 0) {
        const FieldKind kind = field == 4                 ? FieldKind::Text
                               : IsSearch() && field != 0 ? FieldKind::Frequency
                                                          : FieldKind::Number;
        if (FieldEvent(fields_[size_t(field)], event, kind, [this, field] { Commit(field); }))
            return true;
    }
    return RecordEditor::eventFilter(watched, event);
}

} // namespace rigvane
