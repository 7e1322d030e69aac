#pragma once
// The table beside each editor: every channel (or scan bank, or search bank)
// as one row, sortable and filterable without reordering memory, and the
// undoable edits of the editors.
#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QUndoCommand>
#include <functional>
#include <vector>

#include "core/Channel.h"
#include "core/MoveRange.h"

namespace rigvane {

// Rows are the table's entries 0..HighestIndex(kind); row r is entry r.
class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    RecordTableModel(Memory& mem, MoveKind kind, QObject* parent = nullptr);

    // The sort key of a cell (numbers as numbers).
    static constexpr int SortRole = Qt::UserRole;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    // Entry `row` changed / any entry may have changed.
    void RowChanged(int row);
    void AllChanged();

    MoveKind Kind() const { return kind_; }
    // The column of the service text or bank name.
    int TextColumn() const;
    // Column numbers of the channel table.
    enum ChannelColumn {
        ColNumber,
        ColFrequency,
        ColMode,
        ColService,
        ColValid,
        ColDelay,
        ColResume,
        ColTrunked,
        ColCount,
        ColStamp,
        ChannelColumns
    };

  private:
    Memory& mem_;
    MoveKind kind_;
};

// Filters rows by service text, frequency range and state; sorts by SortRole.
class RecordFilter : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    enum class State { All, Valid, Empty, InUse };
    RecordFilter(Memory& mem, MoveKind kind, QObject* parent = nullptr);

    void SetText(const QString& text);           // service (or bank name) contains, any case
    void SetRange(int32_t lower, int32_t upper); // frequency in 10 Hz; 0/NoFrequency: open
    void SetState(State state);

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

  private:
    Memory& mem_;
    MoveKind kind_;
    QString text_;
    int32_t lower_ = 0, upper_ = NoFrequency;
    State state_ = State::All;
};

// An edit of some entries, undone and redone field by field: only the
// fields the edit changed are written back, so statistics that the scan
// updated meanwhile survive an undo.
class RecordsCommand : public QUndoCommand {
  public:
    struct Change {
        int Index;
        Channel Before, After;
    };
    // `applied` runs after every redo and undo with the indices touched.
    RecordsCommand(Memory& mem, MoveKind kind, std::vector<Change> changes, const QString& text,
                   std::function<void(const std::vector<int>&)> applied);
    void redo() override;
    void undo() override;
    bool Empty() const { return changes_.empty(); }

  private:
    void Apply(bool forward);
    Memory& mem_;
    MoveKind kind_;
    std::vector<Change> changes_;
    std::function<void(const std::vector<int>&)> applied_;
};

} // namespace rigvane
