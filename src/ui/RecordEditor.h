#pragma once
// What the memory channel editor and the scan and search bank editors share:
// the window with its menu bar, the table of all entries beside the form
// (sort and filter without reordering memory), undo and redo, the clipboard
// as frequency-file lines, the selection operations, the Move/Copy dialog,
// the window place and the "[*]" mark while data is unsaved. A subclass adds
// the form for one entry.
#include <QWidget>
#include <functional>
#include <vector>

#include "core/MoveRange.h"

class QComboBox;
class QLineEdit;
class QMenu;
class QMenuBar;
class QScrollBar;
class QTableView;
class QUndoStack;
class QVBoxLayout;

namespace rigvane {

struct App;
class DropDownCombo;
class Engine;
class RecordFilter;
class RecordTableModel;

class RecordEditor : public QWidget {
    Q_OBJECT
  public:
    RecordEditor(App& app, Engine& engine, MoveKind kind, int placementEntry,
                 const QString& caption, QWidget* parent = nullptr);
    ~RecordEditor() override;

    MoveKind Kind() const { return kind_; }
    // The entry on display in the form.
    int Shown() const { return shown_; }
    // Shows entry `index` in the form and selects its row.
    void ShowEntry(int index);
    // Redisplays the form and the whole table.
    void Redisplay();
    // Entry `index` was changed by someone else (a hit, a file line).
    void EntryChanged(int index);
    // The tables were rearranged or replaced (file read, sort, clear
    // everything): earlier edits no longer apply and leave the undo history.
    void MemoryReplaced();

    // One undoable edit of entries `indices`: `change` is applied to a copy
    // of each (with its index); entries it leaves equal are not part of the
    // edit. False when nothing changed.
    using Change = std::function<void(Channel& entry, int index)>;
    bool Edit(const std::vector<int>& indices, const Change& change, const QString& text);
    // Copy, move or swap through MoveRange, as one undoable edit.
    MoveResult RunMove(MoveOp op, int first, int last, int dest);
    // The selected entries, in the table's order.
    std::vector<int> SelectedEntries() const;
    void CopySelection();
    // Pastes data lines of this table from `text` (the clipboard when empty)
    // at the first selected entry, renumbered from there.
    void Paste(const QString& text = QString());
    void ClearSelection();
    void ToggleSelection(bool Channel::*flag, const QString& what);
    // The Move/Copy dialog, pre-filled with the selection.
    void OpenMoveDialog();
    // "Clear all" question (No is the default) and the clear when answered Yes.
    void ClearAll(const std::string& title, const std::string& text);

    void RestorePosition();
    void StorePosition();
    int PlacementEntry() const { return placement_; }

    QUndoStack* UndoStack() const { return undo_; }
    QTableView* Table() const { return table_; }
    RecordFilter* Filter() const { return filter_; }
    RecordTableModel* Model() const { return model_; }
    QLineEdit* FilterText() const { return filterText_; }
    QComboBox* FilterState() const { return filterState_; }
    QLineEdit* FilterFrom() const { return filterFrom_; }
    QLineEdit* FilterTo() const { return filterTo_; }

  protected:
    // The form shows entry Shown(). `sameEntry`: the entry did not change,
    // so a field the user is typing in keeps its text.
    virtual void ShowForm(bool sameEntry) = 0;
    // Where the subclass builds its form; its menus join the menu bar.
    QVBoxLayout* FormLayout() const { return formLayout_; }
    QMenu* DatabaseMenu() const { return databaseMenu_; }
    // A key for a number field (digits, Backspace, Enter, Escape; frequency
    // fields one "."). Returns true when the key is swallowed.
    bool NumberKey(QLineEdit* field, QKeyEvent* key, bool frequency);
    // One undoable edit of the entry on display; false when nothing changed.
    bool EditShown(const std::function<void(Channel&)>& change, const QString& text);

    // The form's parts. A text field named `name`, `digits` zeros wide (0:
    // as wide as the layout makes it), without a context menu; its events
    // come to this window's eventFilter.
    QLineEdit* NewField(const QString& name, int digits);
    // The scroll bar beside the entry number, over entries 0..last.
    QScrollBar* NewEntryScroll(const QString& name, int last);
    // The modulation list, codes 0..9 (code 10 has no name and is not
    // offered): a choice edits the shown entry; the engine knows while the
    // list is dropped down.
    DropDownCombo* NewModeList();
    // Shows `text` in a field. `keepTyping`: a field the user has typed in
    // keeps what he typed.
    static void SetFieldText(QLineEdit* field, const QString& text, bool keepTyping);
    // What a field's events do: Return or Enter commits it, Escape shows the
    // stored value again, a number or frequency field takes only NumberKey's
    // keys, and leaving the field commits it (another window or a menu
    // taking the focus for a while is not leaving). True when the event is
    // taken.
    enum class FieldKind { Text, Number, Frequency };
    bool FieldEvent(QLineEdit* field, QEvent* event, FieldKind kind,
                    const std::function<void()>& commit);
    void MarkModified();

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    App& app_;
    Engine& engine_;
    // The form is being filled: what its controls signal is no edit.
    bool updating_ = false;

  private:
    void BuildTable(QWidget* parent, QVBoxLayout* layout);
    void ApplyRangeFilter();
    void RowSelected();

    MoveKind kind_;
    int placement_;
    int shown_ = 0;
    bool selecting_ = false;
    QMenuBar* menus_ = nullptr;
    QMenu* databaseMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QVBoxLayout* formLayout_ = nullptr;
    QTableView* table_ = nullptr;
    RecordTableModel* model_ = nullptr;
    RecordFilter* filter_ = nullptr;
    QUndoStack* undo_ = nullptr;
    QLineEdit* filterText_ = nullptr;
    QLineEdit* filterFrom_ = nullptr;
    QLineEdit* filterTo_ = nullptr;
    QComboBox* filterState_ = nullptr;
};

} // namespace rigvane
