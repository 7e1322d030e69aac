#pragma once
// The frequency database: two columns (frequency and description) of a
// dBase III table loaded into memory, the service lookup that fills empty
// service texts of the memory channels from it, and the sort of the memory
// channels by frequency, which shares the progress window with the lookup.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "storage/FrequencyContext.h"

namespace rigvane {

struct FrequencyDatabase {
    // Record r (0-based, file order) has frequency DbFreq[r] (10 Hz units) and
    // description DbDesc[r] (trimmed); DbCount records are loaded.
    std::vector<int32_t> DbFreq;
    std::vector<std::string> DbDesc;
    int32_t DbCount = 0;

    // The description of the first record (lowest index) whose frequency is
    // exactly `frequency`; "" when there is none or `frequency` is 0 or
    // NoFrequency (unreadable text never matches unreadable text).
    // Uses a sorted index, so a lookup costs O(log DbCount).
    std::string DbLookup(int32_t frequency) const;

    // Rebuilds the lookup index; call after changing DbFreq/DbCount directly.
    void Reindex();
    void Clear();

  private:
    std::vector<std::pair<int32_t, int32_t>> index_; // (frequency, record), sorted
};

// Loads the dBase III table `path` into ctx.database, replacing what was
// loaded. An empty name does nothing. Failures show a "DB Read" message box:
// "Open failed for Database file " (missing, empty or no file slot), "Wrong
// format for Database file " (bad header, no FREQUENCY or DESCRIPT field),
// "Database file Could not read all records!" (the file holds fewer records
// than its header claims: the records read stay loaded). Returns true when
// every record was read.
bool ReadDatabase(const FrequencyContext& ctx, const std::string& path);

// Fills the empty service texts of channels 0..999 that have a frequency
// from the database ("Searching.." in the progress window). Stops early when
// ctx.progress.Cancel is set. Sets MemoryEdited when a service was filled in.
void LookupServices(const FrequencyContext& ctx);

// Sorts the memory channels by frequency, highest first, empty channels last,
// moving whole records ("Sorting..." in the progress window). Cancelling
// leaves channels 0..i in their final order and the rest unsorted. Sets
// MemoryEdited when a channel moved.
void SortChannels(const FrequencyContext& ctx);

} // namespace rigvane
