#pragma once
// The hit journal: one CSV record per hit, written when the hit ends. The
// file is appended to, gets a header line when it is created, and every
// record is one whole line flushed at once, so a crash loses at most the hit
// in progress. Fields follow RFC 4180 (quoted when they hold a comma, a quote
// or a line break; quotes doubled), which spreadsheet programs read.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace rigvane {

struct HitRecord {
    std::string Start;     // "YYYY-MM-DD HH:MM:SS", local time
    double DurationS = 0;  // seconds the signal was held
    int Channel = -1;      // -1: a search hit that no channel holds
    int32_t Frequency = 0; // 10 Hz units
    std::string Mode;      // modulation name
    int Level = 0;         // strongest signal level while it lasted
    std::string Service;
    std::string Radio; // model name of the radio that heard it
};

extern const char* const HitJournalHeader;

// One field, quoted when it must be.
std::string CsvField(const std::string& text);
// One record as a CSV line, without the line break.
std::string HitCsvLine(const HitRecord& record);
// Splits one CSV line into fields; false when the quoting is broken.
bool SplitCsvLine(const std::string& line, std::vector<std::string>* fields);

class HitJournal {
  public:
    HitJournal() = default;
    ~HitJournal();
    HitJournal(const HitJournal&) = delete;
    HitJournal& operator=(const HitJournal&) = delete;

    // The file hits are appended to; "" writes no file (records are still
    // kept for Export). Takes effect with the next record.
    void SetPath(const std::string& path);
    const std::string& Path() const { return path_; }
    // Appends the record to the file (opening it, with a header when it is
    // new or empty) and keeps it for Export. False when the file could not
    // be written; *error tells why.
    bool Append(const HitRecord& record, std::string* error = nullptr);
    // The records since the program started.
    const std::vector<HitRecord>& Records() const { return records_; }
    // Writes the header and every record to `path`, replacing it whole.
    bool Export(const std::string& path, std::string* error = nullptr) const;
    void Close();

  private:
    std::string path_;
    std::FILE* file_ = nullptr;
    std::vector<HitRecord> records_;
};

// The journal's file for a JOURNAL setting: a relative name lives in the
// log file's folder.
std::string JournalPathFor(const std::string& journal, const std::string& logFile);

} // namespace rigvane
