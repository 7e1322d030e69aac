#include "storage/ClipboardLines.h"

#include <memory>

#include "core/FileSlots.h"
#include "core/MessageLog.h"
#include "core/Progress.h"
#include "core/Settings.h"
#include "storage/FrequencyDatabase.h"
#include "storage/FrequencyFileReader.h"
#include "storage/FrequencyFileWriter.h"

namespace rigvane {

std::string DataLines(const Memory& mem, MoveKind kind, const std::vector<int>& indices,
                      bool shortForm) {
    std::string out;
    for (int i : indices) {
        if (i < 0 || i > HighestIndex(kind)) continue;
        switch (kind) {
        case MoveKind::Channels:
            out += ChannelLine(i, mem.Channels[size_t(i)], shortForm);
            break;
        case MoveKind::ScanBanks:
            out += ScanBankLine(i, mem.ScanBanks[size_t(i)]);
            break;
        case MoveKind::SearchBanks:
            out += SearchBankLine(i, mem.SearchBanks[size_t(i)]);
            break;
        }
        out += "\n";
    }
    return out;
}

namespace {

char LineClass(const std::string& line) {
    for (char c : line) {
        if (c == ' ' || c == '\t') continue;
        if (c >= '0' && c <= '9') return '0';
        return c;
    }
    return 0;
}

} // namespace

ParsedLines ParseDataLines(Host& host, const std::string& text, MoveKind kind) {
    // A scratch state for the reader: its tables, settings and log are thrown
    // away, so a line can change nothing the program keeps.
    auto mem = std::make_unique<Memory>();
    FileSlots slots;
    Settings settings;
    settings.Global.Logging = false;
    MessageLog log(host, slots, settings.Global);
    FrequencyDatabase database;
    Progress progress;
    MemoryViews views;
    EntryKind touchedKind = EntryKind::Channel;
    int touched = -1;
    views.OnEntryChanged = [&](EntryKind k, int index) {
        touchedKind = k;
        touched = index;
    };
    FrequencyContext ctx{host, slots, log, *mem, settings, database, progress};
    ctx.Views = &views;

    const char wanted = kind == MoveKind::Channels ? '0' : kind == MoveKind::ScanBanks ? '@' : '#';
    const EntryKind wantedKind = kind == MoveKind::Channels    ? EntryKind::Channel
                                 : kind == MoveKind::ScanBanks ? EntryKind::ScanBank
                                                               : EntryKind::SearchBank;
    ParsedLines out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const char c = LineClass(line);
        if (c == 0 || c == '*') continue; // blank and comment lines
        if (c != '0' && c != '@' && c != '#' && c != '%' && c != '&') {
            ++out.Keywords;
            continue;
        }
        if (c != wanted) {
            ++out.OtherKinds;
            continue;
        }
        touched = -1;
        const int result = ApplyFrequencyLine(ctx, line);
        if (result != 0 || touched < 0 || touchedKind != wantedKind) {
            ++out.Rejected;
            continue;
        }
        out.Records.push_back(MoveEntry(*mem, kind, touched));
    }
    return out;
}

} // namespace rigvane
