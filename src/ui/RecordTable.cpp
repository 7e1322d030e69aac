#include "ui/RecordTable.h"

#include "core/CodeTables.h"
#include "core/EditRules.h"
#include "core/Text.h"

namespace rigvane {

namespace {

QString Freq(int32_t f) {
    return QString::fromStdString(TrimBlanks(FreqToText(f)));
}

QString ModeName(uint8_t mode) {
    return mode < ModeNames.size() ? QString(ModeNames[mode]).trimmed() : QString::number(mode);
}

QString Flag(bool on) {
    return on ? QStringLiteral("\u2713") : QString();
}

QString StampText(Stamp s) {
    if (s == 0) return {};
    const LocalDateTime t = DateTimeFromStamp(s);
    return QString::asprintf("%02d/%02d/%02d %02d:%02d:%02d", t.Month, t.Day, t.Year % 100, t.Hour,
                             t.Minute, t.Second);
}

} // namespace

RecordTableModel::RecordTableModel(Memory& mem, MoveKind kind, QObject* parent)
    : QAbstractTableModel(parent), mem_(mem), kind_(kind) {}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : HighestIndex(kind_) + 1;
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    switch (kind_) {
    case MoveKind::Channels:
        return ChannelColumns;
    case MoveKind::ScanBanks:
        return 5;
    case MoveKind::SearchBanks:
        return 7;
    }
    return 0;
}

int RecordTableModel::TextColumn() const {
    return kind_ == MoveKind::Channels ? int(ColService) : kind_ == MoveKind::ScanBanks ? 3 : 5;
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal) return {};
    // The flag columns carry the file's own short words; the tip spells them out.
    static const char* const tips[] = {"Channel", "Frequency (MHz)", "Modulation", "Service",
                                       "Valid",   "Delay",           "Resume",     "Trunked",
                                       "Hits",    "Last hit"};
    if (role == Qt::ToolTipRole && kind_ == MoveKind::Channels && section >= 0 &&
        section < ChannelColumns)
        return tips[section];
    if (role != Qt::DisplayRole) return {};
    static const char* const channel[] = {"Ch",  "Frequency", "Mode", "Service", "Vld",
                                          "Dly", "Rsm",       "Trk",  "Hits",    "Last hit"};
    static const char* const scan[] = {"Bank", "First", "Last", "Name", "Scan"};
    static const char* const search[] = {"Bank", "Start", "Stop", "Step", "Mode", "Name", "Search"};
    if (section < 0 || section >= columnCount()) return {};
    switch (kind_) {
    case MoveKind::Channels:
        return channel[section];
    case MoveKind::ScanBanks:
        return scan[section];
    case MoveKind::SearchBanks:
        return search[section];
    }
    return {};
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() ||
        (role != Qt::DisplayRole && role != SortRole && role != Qt::TextAlignmentRole))
        return {};
    const int row = index.row(), col = index.column();
    const Channel& c = MoveEntry(mem_, kind_, row);
    if (role == Qt::TextAlignmentRole) {
        return int((col == TextColumn() ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
    }
    const bool sort = role == SortRole;
    auto number = [&](qlonglong v, const QString& shown) {
        return sort ? QVariant(v) : QVariant(shown);
    };
    auto flag = [&](bool on) { return sort ? QVariant(int(on)) : QVariant(Flag(on)); };
    const int width = kind_ == MoveKind::Channels ? 3 : 2;
    if (col == 0) return number(row, QString("%1").arg(row, width, 10, QChar('0')));
    // An unused bank shows its number only, so the banks in use stand out.
    const bool unusedBank = kind_ != MoveKind::Channels && !c.Valid && c.Lower == 0 &&
                            c.Upper == 0 && c.Service.empty();
    if (unusedBank && !sort) return QString();
    switch (kind_) {
    case MoveKind::Channels:
        switch (col) {
        case ColFrequency:
            return number(c.Frequency, c.Frequency ? Freq(c.Frequency) : QString());
        case ColMode: // an empty channel shows no modulation
            if (sort) return int(c.Mode);
            return c.Frequency ? ModeName(c.Mode) : QString();
        case ColService:
            return QString::fromStdString(c.Service);
        case ColValid:
            return flag(c.Valid);
        case ColDelay:
            return flag(c.Delay);
        case ColResume:
            return flag(c.Resume);
        case ColTrunked:
            return flag(c.Trunked);
        case ColCount:
            return number(c.Count, c.Count ? QString::number(c.Count) : QString());
        case ColStamp:
            return number(c.TimeStamp, StampText(c.TimeStamp));
        }
        break;
    case MoveKind::ScanBanks:
        switch (col) {
        case 1:
            return number(c.Lower, QString("%1").arg(c.Lower, 3, 10, QChar('0')));
        case 2:
            return number(c.Upper, QString("%1").arg(c.Upper, 3, 10, QChar('0')));
        case 3:
            return QString::fromStdString(c.Service);
        case 4:
            return flag(c.Valid);
        }
        break;
    case MoveKind::SearchBanks:
        switch (col) {
        case 1:
            return number(c.Lower, Freq(c.Lower));
        case 2:
            return number(c.Upper, Freq(c.Upper));
        case 3:
            return number(c.Step, Freq(c.Step));
        case 4:
            return sort ? QVariant(int(c.Mode)) : QVariant(ModeName(c.Mode));
        case 5:
            return QString::fromStdString(c.Service);
        case 6:
            return flag(c.Valid);
        }
        break;
    }
    return {};
}

void RecordTableModel::RowChanged(int row) {
    if (row < 0 || row >= rowCount()) return;
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void RecordTableModel::AllChanged() {
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

// ---------------------------------------------------------------------------

RecordFilter::RecordFilter(Memory& mem, MoveKind kind, QObject* parent)
    : QSortFilterProxyModel(parent), mem_(mem), kind_(kind) {
    setSortRole(RecordTableModel::SortRole);
    setDynamicSortFilter(false); // a hit must not make rows jump under the user's cursor
}

void RecordFilter::SetText(const QString& text) {
    text_ = text.trimmed();
    invalidateFilter();
}

void RecordFilter::SetRange(int32_t lower, int32_t upper) {
    lower_ = lower;
    upper_ = upper;
    invalidateFilter();
}

void RecordFilter::SetState(State state) {
    state_ = state;
    invalidateFilter();
}

bool RecordFilter::filterAcceptsRow(int row, const QModelIndex&) const {
    const Channel& c = MoveEntry(mem_, kind_, row);
    const bool empty = kind_ == MoveKind::Channels ? c.Frequency == 0
                       : kind_ == MoveKind::ScanBanks
                           ? (c.Lower == 0 && c.Upper == 0 && c.Service.empty())
                           : (c.Lower == 0 && c.Upper == 0);
    switch (state_) {
    case State::All:
        break;
    case State::Valid:
        if (!c.Valid) return false;
        break;
    case State::Empty:
        if (!empty) return false;
        break;
    case State::InUse:
        if (empty) return false;
        break;
    }
    if (!text_.isEmpty() && !QString::fromStdString(c.Service).contains(text_, Qt::CaseInsensitive))
        return false;
    if (kind_ == MoveKind::Channels && (lower_ > 0 || upper_ < NoFrequency))
        return c.Frequency >= lower_ && c.Frequency <= upper_;
    if (kind_ == MoveKind::SearchBanks && (lower_ > 0 || upper_ < NoFrequency))
        return std::max(c.Lower, c.Upper) >= lower_ && std::min(c.Lower, c.Upper) <= upper_;
    return true;
}

// ---------------------------------------------------------------------------

RecordsCommand::RecordsCommand(Memory& mem, MoveKind kind, std::vector<Change> changes,
                               const QString& text,
                               std::function<void(const std::vector<int>&)> applied)
    : QUndoCommand(text), mem_(mem), kind_(kind), changes_(std::move(changes)),
      applied_(std::move(applied)) {}

void RecordsCommand::Apply(bool forward) {
    std::vector<int> touched;
    touched.reserve(changes_.size());
    for (const Change& c : changes_) {
        Channel& target = MoveEntry(mem_, kind_, c.Index);
        if (forward)
            ApplyChangedFields(target, c.Before, c.After);
        else
            ApplyChangedFields(target, c.After, c.Before);
        touched.push_back(c.Index);
    }
    mem_.MemoryEdited = true;
    if (applied_) applied_(touched);
}

void RecordsCommand::redo() {
    Apply(true);
}

void RecordsCommand::undo() {
    Apply(false);
}

} // namespace rigvane
