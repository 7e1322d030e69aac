#include "core/MoveRange.h"

#include <algorithm>
#include <vector>

namespace rigvane {

int HighestIndex(MoveKind kind) {
    return kind == MoveKind::Channels ? ChannelCount - 1 : BankCount - 1;
}

Channel& MoveEntry(Memory& mem, MoveKind kind, int index) {
    switch (kind) {
    case MoveKind::ScanBanks:
        return mem.ScanBanks[size_t(index)];
    case MoveKind::SearchBanks:
        return mem.SearchBanks[size_t(index)];
    case MoveKind::Channels:
        break;
    }
    return mem.Channels[size_t(index)];
}

void ClearEntry(MoveKind kind, Channel& c) {
    switch (kind) {
    case MoveKind::Channels:
        c = BlankChannel;
        break;
    case MoveKind::ScanBanks:
        Memory::ClearScanBankRecord(c);
        break;
    case MoveKind::SearchBanks:
        Memory::ClearSearchBankRecord(c);
        break;
    }
}

MoveResult MoveRange(Memory& mem, MoveKind kind, MoveOp op, int first, int last, int dest) {
    const int top = HighestIndex(kind);
    MoveResult r;
    int s = std::clamp(first, 0, top);
    int e = std::clamp(last, 0, top);
    const int d = std::clamp(dest, 0, top);
    if (e < s) std::swap(s, e);
    // Cut the range first, so the count never reaches past the table's end.
    if (d + (e - s) > top) e = top - d + s;
    r.First = s;
    r.Last = e;
    r.Dest = d;
    const int n = e - s;
    if (op == MoveOp::Swap && d > s && d <= e) {
        r.Error = "The destination starts inside the source range: a swap would lose entries. "
                  "Swap ranges that do not overlap, or start the destination before the source.";
        return r;
    }

    std::vector<Channel> scratch;
    scratch.reserve(size_t(n) + 1);
    for (int i = s; i <= e; ++i)
        scratch.push_back(MoveEntry(mem, kind, i));
    std::vector<Channel> destBefore;
    for (int k = 0; k <= n; ++k)
        destBefore.push_back(MoveEntry(mem, kind, d + k));
    auto put = [&](int index, const Channel& value) {
        Channel& target = MoveEntry(mem, kind, index);
        if (&target != &value) target = value;
    };
    if (op == MoveOp::Swap) {
        for (int i = s; i <= e; ++i)
            put(i, MoveEntry(mem, kind, d + (i - s)));
    } else if (op == MoveOp::Move) {
        for (int i = s; i <= e; ++i)
            ClearEntry(kind, MoveEntry(mem, kind, i));
    }
    for (int k = 0; k <= n; ++k)
        put(d + k, scratch[size_t(k)]);
    // Compare the touched entries with what they held: a no-op is no edit.
    bool changed = false;
    for (int k = 0; k <= n && !changed; ++k)
        changed = MoveEntry(mem, kind, s + k) != scratch[size_t(k)] ||
                  MoveEntry(mem, kind, d + k) != destBefore[size_t(k)];
    if (changed) mem.MemoryEdited = true;
    r.Done = true;
    return r;
}

} // namespace rigvane
