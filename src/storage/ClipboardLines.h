#pragma once
// Channels and banks as frequency-file lines, for the editors' clipboard.
// Copying writes data lines exactly as a saved file holds them; pasting reads
// back only data lines of the kind being pasted, in their order. Keyword
// lines (CLEAR, SCAN, CHAIN, ...) are never run from the clipboard: they are
// counted and skipped, and the paste changes nothing but the records.
#include <string>
#include <vector>

#include "core/Host.h"
#include "core/MoveRange.h"

namespace rigvane {

// The data lines of entries `indices` of `kind`, one per line ("\n" ends each).
std::string DataLines(const Memory& mem, MoveKind kind, const std::vector<int>& indices,
                      bool shortForm);

struct ParsedLines {
    std::vector<Channel> Records; // in the order of the text, numbers dropped
    int Keywords = 0;             // keyword lines skipped without running
    int Rejected = 0;             // data lines of this kind that did not read cleanly
    int OtherKinds = 0;           // data lines of another table
};

// Reads the data lines of `kind` in `text` with the frequency-file rules.
// Each line is read into a scratch table, so nothing of the program changes.
ParsedLines ParseDataLines(Host& host, const std::string& text, MoveKind kind);

} // namespace rigvane
