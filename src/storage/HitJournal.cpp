#include "storage/HitJournal.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "core/Text.h"
#include "storage/AtomicFile.h"

namespace rigvane {

const char* const HitJournalHeader =
    "Start,Duration (s),Channel,Frequency (MHz),Mode,Strongest level,Service,Radio";

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string HitCsvLine(const HitRecord& r) {
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.1f", std::max(0.0, r.DurationS));
    const std::string channel = r.Channel >= 0 ? ZeroPadded(r.Channel, 3) : "";
    char mhz[32]; // MHz as a plain number, for sorting and sums
    std::snprintf(mhz, sizeof mhz, "%.5f", double(r.Frequency) / 100000.0);
    return CsvField(r.Start) + "," + duration + "," + channel + "," + mhz + "," +
           CsvField(TrimBlanks(r.Mode)) + "," + std::to_string(r.Level) + "," +
           CsvField(r.Service) + "," + CsvField(r.Radio);
}

bool SplitCsvLine(const std::string& line, std::vector<std::string>* fields) {
    fields->clear();
    std::string field;
    size_t i = 0;
    for (;;) {
        field.clear();
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;;) {
                if (i >= line.size()) return false; // no closing quote
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            if (i < line.size() && line[i] != ',') return false; // text after the quote
        } else {
            while (i < line.size() && line[i] != ',') {
                if (line[i] == '"') return false; // a quote inside a bare field
                field += line[i++];
            }
        }
        fields->push_back(field);
        if (i >= line.size()) return true;
        ++i; // the comma
    }
}

HitJournal::~HitJournal() {
    Close();
}

void HitJournal::SetPath(const std::string& path) {
    if (path == path_) return;
    Close();
    path_ = path;
}

void HitJournal::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool HitJournal::Append(const HitRecord& record, std::string* error) {
    records_.push_back(record);
    if (path_.empty()) return true;
    if (!file_) {
        file_ = std::fopen(path_.c_str(), "ab");
        if (!file_) {
            if (error) *error = path_ + ": " + std::strerror(errno);
            return false;
        }
        std::fseek(file_, 0, SEEK_END);
        if (std::ftell(file_) == 0) {
            const std::string header = std::string(HitJournalHeader) + "\r\n";
            std::fwrite(header.data(), 1, header.size(), file_);
        }
    }
    // One write and a flush per record: a killed program leaves whole lines.
    const std::string line = HitCsvLine(record) + "\r\n";
    const bool ok =
        std::fwrite(line.data(), 1, line.size(), file_) == line.size() && std::fflush(file_) == 0;
    if (!ok) {
        if (error) *error = path_ + ": " + std::strerror(errno);
        Close(); // tried again with the next record
    }
    return ok;
}

bool HitJournal::Export(const std::string& path, std::string* error) const {
    std::string text = std::string(HitJournalHeader) + "\r\n";
    for (const HitRecord& r : records_)
        text += HitCsvLine(r) + "\r\n";
    return WriteFileAtomically(path, text, error);
}

std::string JournalPathFor(const std::string& journal, const std::string& logFile) {
    if (journal.empty() || journal.front() == '/') return journal;
    const size_t slash = logFile.rfind('/');
    if (slash == std::string::npos) return journal;
    return logFile.substr(0, slash + 1) + journal;
}

} // namespace rigvane
