#include "ui/RecordEditor.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <memory>

#include "core/CodeTables.h"
#include "core/EditRules.h"
#include "engine/App.h"
#include "engine/Engine.h"
#include "storage/ClipboardLines.h"
#include "ui/AuxControls.h"
#include "ui/MoveDialog.h"
#include "ui/RecordTable.h"
#include "ui/Twips.h"

namespace rigvane {

RecordEditor::RecordEditor(App& app, Engine& engine, MoveKind kind, int placementEntry,
                           const QString& caption, QWidget* parent)
    : QWidget(parent, Qt::Window), app_(app), engine_(engine), kind_(kind),
      placement_(placementEntry) {
    setWindowTitle(caption + "[*]");
    undo_ = new QUndoStack(this);
    model_ = new RecordTableModel(app_.memory, kind_, this);
    filter_ = new RecordFilter(app_.memory, kind_, this);
    filter_->setSourceModel(model_);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 0, 6, 6);
    menus_ = new QMenuBar(this);
    root->setMenuBar(menus_);
    databaseMenu_ = menus_->addMenu("&Database");
    databaseMenu_->setObjectName("DB_Menu");
    editMenu_ = menus_->addMenu("&Edit");
    editMenu_->setObjectName("Edit_Menu");

    auto* body = new QHBoxLayout;
    auto* formBox = new QWidget(this);
    formBox->setObjectName("FormArea");
    formLayout_ = new QVBoxLayout(formBox);
    formLayout_->setContentsMargins(0, 0, 0, 0);
    body->addWidget(formBox, 0, Qt::AlignTop);
    auto* tableBox = new QWidget(this);
    auto* tableLayout = new QVBoxLayout(tableBox);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    BuildTable(tableBox, tableLayout);
    body->addWidget(tableBox, 1);
    root->addLayout(body);

    // The edit menu: undo history, clipboard, selection and the range dialog.
    QAction* undo = undo_->createUndoAction(this, "&Undo");
    undo->setShortcut(QKeySequence::Undo);
    undo->setObjectName("Undo_Menu");
    QAction* redo = undo_->createRedoAction(this, "&Redo");
    redo->setShortcut(QKeySequence::Redo);
    redo->setObjectName("Redo_Menu");
    editMenu_->addAction(undo);
    editMenu_->addAction(redo);
    editMenu_->addSeparator();
    auto item = [this](const QString& caption, const char* name, const QKeySequence& key,
                       std::function<void()> fn) {
        QAction* a = editMenu_->addAction(caption);
        a->setObjectName(name);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
        connect(a, &QAction::triggered, this, [fn] { fn(); });
        table_->addAction(a);
        return a;
    };
    item("&Copy lines", "Copy_Menu", QKeySequence::Copy, [this] { CopySelection(); });
    item("&Paste lines", "Paste_Menu", QKeySequence::Paste, [this] { Paste(); });
    item("C&lear selected", "ClearSel_Menu", QKeySequence::Delete, [this] { ClearSelection(); });
    item("Toggle &Valid", "ToggleValid_Menu", {}, [this] {
        ToggleSelection(&Channel::Valid, kind_ == MoveKind::Channels    ? "Valid"
                                         : kind_ == MoveKind::ScanBanks ? "Scan"
                                                                        : "Search");
    });
    if (kind_ == MoveKind::Channels) {
        item("Toggle &Delay", "ToggleDelay_Menu", {},
             [this] { ToggleSelection(&Channel::Delay, "Delay"); });
        item("Toggle &Resume", "ToggleResume_Menu", {},
             [this] { ToggleSelection(&Channel::Resume, "Resume"); });
        item("Toggle &Trunked", "ToggleTrunk_Menu", {},
             [this] { ToggleSelection(&Channel::Trunked, "Trunked"); });
    }
    editMenu_->addSeparator();
    item("&Move / Copy / Swap...", "MoveCopy_Menu", {}, [this] { OpenMoveDialog(); });
    // Undo and redo also from the table's context menu.
    table_->insertAction(table_->actions().value(0), redo);
    table_->insertAction(redo, undo);

    // The unsaved-data mark follows MemoryEdited, which a save clears.
    auto* mark = new QTimer(this);
    connect(mark, &QTimer::timeout, this, [this] { MarkModified(); });
    mark->start(500);
    MarkModified();
}

RecordEditor::~RecordEditor() {
    // A list open now closes while this window can still clear the
    // drop-down flag; none calls back once the window is gone.
    for (QComboBox* box : findChildren<QComboBox*>()) {
        auto* list = dynamic_cast<DropDownCombo*>(box); // no meta-object of its own
        if (!list) continue;
        if (list->view()->isVisible()) list->hidePopup();
        list->OnDropDown = nullptr;
        list->OnCloseUp = nullptr;
    }
}

void RecordEditor::hideEvent(QHideEvent* event) {
    for (QComboBox* list : findChildren<QComboBox*>())
        if (list->view()->isVisible()) list->hidePopup();
    QWidget::hideEvent(event);
}

void RecordEditor::BuildTable(QWidget* parent, QVBoxLayout* layout) {
    auto* bar = new QHBoxLayout;
    filterText_ = new QLineEdit(parent);
    filterText_->setObjectName("FilterText");
    filterText_->setPlaceholderText(kind_ == MoveKind::Channels ? "Service contains..."
                                                                : "Name contains...");
    filterText_->setClearButtonEnabled(true);
    connect(filterText_, &QLineEdit::textChanged, this,
            [this](const QString& t) { filter_->SetText(t); });
    bar->addWidget(filterText_, 2);
    if (kind_ != MoveKind::ScanBanks) {
        filterFrom_ = new QLineEdit(parent);
        filterFrom_->setObjectName("FilterFrom");
        filterFrom_->setPlaceholderText("from MHz");
        filterTo_ = new QLineEdit(parent);
        filterTo_->setObjectName("FilterTo");
        filterTo_->setPlaceholderText("to MHz");
        for (QLineEdit* e : {filterFrom_, filterTo_}) {
            e->setMaximumWidth(e->fontMetrics().horizontalAdvance("0000.00000") + 16);
            connect(e, &QLineEdit::textChanged, this, [this] { ApplyRangeFilter(); });
            bar->addWidget(e, 1);
        }
    }
    filterState_ = new QComboBox(parent);
    filterState_->setObjectName("FilterState");
    filterState_->addItems(
        {"All", kind_ == MoveKind::Channels ? "Valid" : "Enabled", "Empty", "In use"});
    connect(filterState_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this](int i) { filter_->SetState(RecordFilter::State(i)); });
    bar->addWidget(filterState_);
    layout->addLayout(bar);

    table_ = new QTableView(parent);
    table_->setObjectName("RecordTable");
    table_->setModel(filter_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(0, Qt::AscendingOrder);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setContextMenuPolicy(Qt::ActionsContextMenu);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The service text (or bank name) takes the room that is left.
    table_->horizontalHeader()->setSectionResizeMode(model_->TextColumn(), QHeaderView::Stretch);
    table_->setAlternatingRowColors(true);
    table_->setMinimumWidth(kind_ == MoveKind::Channels ? 520 : 360);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { RowSelected(); });
    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const int row = filter_->mapToSource(index).row();
        if (kind_ == MoveKind::Channels) {
            // Tunes through the main loop, as the channel controls do.
            engine_.State().RequestedChannel = int16_t(row);
            engine_.RequestMode(ModeChannelSelect);
        }
    });
    layout->addWidget(table_, 1);
}

void RecordEditor::ApplyRangeFilter() {
    int32_t lower = 0, upper = NoFrequency;
    int32_t v;
    if (ParseEntryFrequency(filterFrom_->text().toStdString(), v)) lower = v;
    if (ParseEntryFrequency(filterTo_->text().toStdString(), v)) upper = v;
    filter_->SetRange(lower, upper);
}

void RecordEditor::RowSelected() {
    if (selecting_) return;
    const QModelIndex current = table_->selectionModel()->currentIndex();
    if (!current.isValid()) return;
    const int row = filter_->mapToSource(current).row();
    if (row == shown_) return;
    shown_ = row;
    ShowForm(false);
}

void RecordEditor::ShowEntry(int index) {
    index = std::clamp(index, 0, HighestIndex(kind_));
    const bool same = index == shown_;
    shown_ = index;
    ShowForm(same);
    const QModelIndex proxy = filter_->mapFromSource(model_->index(index, 0));
    if (!proxy.isValid()) return; // filtered out: the form shows it all the same
    selecting_ = true;
    if (table_->selectionModel()->currentIndex().row() != proxy.row())
        table_->selectionModel()->setCurrentIndex(proxy, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
    table_->scrollTo(proxy);
    selecting_ = false;
}

void RecordEditor::Redisplay() {
    model_->AllChanged();
    ShowForm(true);
    MarkModified();
}

void RecordEditor::EntryChanged(int index) {
    model_->RowChanged(index);
    if (index == shown_) ShowForm(true);
}

void RecordEditor::MemoryReplaced() {
    undo_->clear();
    filter_->invalidate();
    Redisplay();
}

void RecordEditor::MarkModified() {
    setWindowModified(app_.memory.MemoryEdited);
}

bool RecordEditor::Edit(const std::vector<int>& indices, const Change& change,
                        const QString& text) {
    std::vector<RecordsCommand::Change> changes;
    for (int i : indices) {
        if (i < 0 || i > HighestIndex(kind_)) continue;
        const Channel& before = MoveEntry(app_.memory, kind_, i);
        Channel after = before;
        change(after, i);
        if (after != before) changes.push_back({i, before, after});
    }
    if (changes.empty()) return false;
    undo_->push(new RecordsCommand(
        app_.memory, kind_, std::move(changes), text, [this](const std::vector<int>& touched) {
            for (int i : touched)
                model_->RowChanged(i);
            // Rows may now pass the filter or not.
            filter_->invalidate();
            if (std::find(touched.begin(), touched.end(), shown_) != touched.end()) ShowForm(false);
            MarkModified();
        }));
    return true;
}

MoveResult RecordEditor::RunMove(MoveOp op, int first, int last, int dest) {
    // The operation runs on a copy; the entries it changed become one edit.
    auto scratch = std::make_unique<Memory>(app_.memory);
    const MoveResult r = MoveRange(*scratch, kind_, op, first, last, dest);
    if (!r.Done) return r;
    std::vector<int> touched;
    for (int i = 0; i <= HighestIndex(kind_); ++i)
        if (MoveEntry(*scratch, kind_, i) != MoveEntry(app_.memory, kind_, i)) touched.push_back(i);
    static const char* const names[] = {"", "Copy", "Move", "Swap"};
    Edit(
        touched, [&](Channel& c, int i) { c = MoveEntry(*scratch, kind_, i); },
        QString("%1 %2..%3 to %4").arg(names[int(op)]).arg(r.First).arg(r.Last).arg(r.Dest));
    return r;
}

std::vector<int> RecordEditor::SelectedEntries() const {
    std::vector<int> out;
    QModelIndexList rows = table_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& r : rows)
        out.push_back(filter_->mapToSource(r).row());
    if (out.empty()) out.push_back(shown_);
    return out;
}

void RecordEditor::CopySelection() {
    const std::string text =
        DataLines(app_.memory, kind_, SelectedEntries(), app_.settings.Global.SaveShort);
    QApplication::clipboard()->setText(QString::fromStdString(text));
}

void RecordEditor::Paste(const QString& given) {
    const QString text = given.isEmpty() ? QApplication::clipboard()->text() : given;
    const ParsedLines p = ParseDataLines(app_.host, text.toStdString(), kind_);
    const int start = SelectedEntries().front();
    const int room = HighestIndex(kind_) - start + 1;
    const int count = std::min<int>(int(p.Records.size()), room);
    std::vector<int> targets;
    for (int k = 0; k < count; ++k)
        targets.push_back(start + k);
    if (p.Keywords > 0)
        app_.log.Dply("Paste: " + std::to_string(p.Keywords) +
                      " keyword line(s) skipped; keywords never run from the clipboard");
    if (p.Rejected > 0)
        app_.log.Dply("Paste: " + std::to_string(p.Rejected) + " line(s) could not be read");
    if (int(p.Records.size()) > count)
        app_.log.Dply("Paste: " + std::to_string(int(p.Records.size()) - count) +
                      " line(s) past the end of the table were left out");
    if (count == 0) {
        app_.host.Beep();
        app_.log.Dply(kind_ == MoveKind::Channels ? "Paste: no channel lines to paste"
                      : kind_ == MoveKind::ScanBanks
                          ? "Paste: no scan bank lines (\"@\") to paste"
                          : "Paste: no search bank lines (\"#\") to paste");
        return;
    }
    Edit(
        targets, [&](Channel& c, int i) { c = p.Records[size_t(i - start)]; }, "Paste");
    ShowEntry(start);
}

void RecordEditor::ClearSelection() {
    Edit(
        SelectedEntries(), [this](Channel& c, int) { ClearEntry(kind_, c); }, "Clear");
}

void RecordEditor::ToggleSelection(bool Channel::*flag, const QString& what) {
    const std::vector<int> entries = SelectedEntries();
    // All on when any is off, else all off.
    bool anyOff = false;
    for (int i : entries)
        anyOff = anyOff || !(MoveEntry(app_.memory, kind_, i).*flag);
    Edit(
        entries, [flag, anyOff](Channel& c, int) { c.*flag = anyOff; }, "Toggle " + what);
}

void RecordEditor::OpenMoveDialog() {
    const std::vector<int> sel = SelectedEntries();
    MoveDialog dialog(
        app_, kind_, sel.front(), sel.back(), sel.front(),
        [this](MoveOp op, int s, int e, int d) { return RunMove(op, s, e, d); }, this);
    dialog.exec();
}

void RecordEditor::ClearAll(const std::string& title, const std::string& text) {
    if (app_.host.MessageBox(title, text, MsgIcon::Exclamation, Buttons::YesNo, Answer::No) !=
        Answer::Yes)
        return;
    std::vector<int> all;
    for (int i = 0; i <= HighestIndex(kind_); ++i)
        all.push_back(i);
    Edit(
        all, [this](Channel& c, int) { ClearEntry(kind_, c); }, "Clear all");
}

bool RecordEditor::NumberKey(QLineEdit* field, QKeyEvent* key, bool frequency) {
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        return false; // the caller handles Enter and Escape; the rest is the field's own
    default:
        break;
    }
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    const QString t = key->text();
    if (t.size() == 1 && t[0].isDigit()) return false;
    if (frequency && t == "." && !field->text().contains('.')) return false;
    if (!t.isEmpty()) app_.host.Beep();
    return true;
}

bool RecordEditor::EditShown(const std::function<void(Channel&)>& change, const QString& text) {
    return Edit(
        {Shown()}, [&change](Channel& c, int) { change(c); }, text);
}

QLineEdit* RecordEditor::NewField(const QString& name, int digits) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    if (digits > 0) e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(digits, '0')) + 16);
    e->installEventFilter(this);
    return e;
}

QScrollBar* RecordEditor::NewEntryScroll(const QString& name, int last) {
    auto* scroll = new QScrollBar(Qt::Horizontal, this);
    scroll->setObjectName(name);
    scroll->setRange(0, last);
    scroll->setPageStep(10);
    scroll->setMinimumWidth(140);
    return scroll;
}

DropDownCombo* RecordEditor::NewModeList() {
    auto* list = new DropDownCombo(this);
    list->setObjectName("ModulationCombo");
    for (int m = 0; m <= 9; ++m)
        list->addItem(ModeNames[size_t(m)]);
    list->OnDropDown = [this] { engine_.SetDropDownOpen(true); };
    list->OnCloseUp = [this] { engine_.SetDropDownOpen(false); };
    connect(list, &QComboBox::activated, this, [this](int i) {
        engine_.SetDropDownOpen(false);
        if (!updating_) EditShown([i](Channel& c) { c.Mode = uint8_t(i); }, "Mode");
    });
    return list;
}

void RecordEditor::SetFieldText(QLineEdit* field, const QString& text, bool keepTyping) {
    if (!field || (keepTyping && field->isModified())) return;
    if (field->text() != text) field->setText(text);
    field->setModified(false);
}

bool RecordEditor::FieldEvent(QLineEdit* field, QEvent* event, FieldKind kind,
                              const std::function<void()>& commit) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            commit();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            field->setModified(false);
            ShowForm(false);
            return true;
        }
        if (kind != FieldKind::Text) return NumberKey(field, key, kind == FieldKind::Frequency);
    } else if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) commit();
    }
    return false;
}

void RecordEditor::RestorePosition() {
    move(WindowPosition(app_.settings, placement_));
}

void RecordEditor::StorePosition() {
    WindowPlacement& w = app_.settings.Windows[placement_];
    w.X = PixelsToTwips(x());
    w.Y = PixelsToTwips(y());
}

void RecordEditor::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    app_.settings.Windows[placement_].Open = true;
}

void RecordEditor::closeEvent(QCloseEvent* event) {
    StorePosition();
    app_.settings.Windows[placement_].Open = false;
    QWidget::closeEvent(event);
}

} // namespace rigvane
