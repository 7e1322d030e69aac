#pragma once
// Copying, moving and swapping a contiguous range of memory channels, scan
// banks or search banks inside their own table (the Move/Copy dialog of the
// editors). Plain logic over Memory; the dialog only reads its three fields,
// calls MoveRange and shows the adjusted numbers it returns.
#include <string>

#include "core/Channel.h"

namespace rigvane {

enum class MoveKind { Channels = 1, ScanBanks = 2, SearchBanks = 3 };
enum class MoveOp { Copy = 1, Move = 2, Swap = 3 };

// The highest index of a kind's table: 999 for channels, 99 for banks.
int HighestIndex(MoveKind kind);

struct MoveResult {
    bool Done = false;
    // The range as adjusted: each clamped to 0..highest, first <= last, and
    // the range cut so that the destination ends at the table's end at most.
    int First = 0, Last = 0, Dest = 0;
    std::string Error; // why nothing was done
};

// Runs `op` on entries first..last to dest..dest+(last-first) of the table of
// `kind`. The source is taken whole before anything is written, so copy and
// move are safe for overlapping ranges. Move clears the source entries that
// the destination does not cover (blank channel, cleared bank). A swap whose
// destination starts inside the source after its first entry would lose
// entries and is refused. Sets MemoryEdited when something changed.
MoveResult MoveRange(Memory& mem, MoveKind kind, MoveOp op, int first, int last, int dest);

// The table entry `index` of `kind`.
Channel& MoveEntry(Memory& mem, MoveKind kind, int index);
// Clears one record of `kind` the way its table clears an entry.
void ClearEntry(MoveKind kind, Channel& c);

} // namespace rigvane
