#pragma once
// Reading a record file for the record pages and qmcli: its statistics, one
// page of its grid, the page selector. Each caller opens its own short-lived
// connection; nothing here writes to a record.
#include <string>
#include <vector>

#include "records/Database.h"
#include "records/DbResult.h"
#include "records/RecordLabels.h"
#include "records/RecordStore.h"

namespace qm {

// Rows per grid page (and the most the band search puts into the grid).
inline constexpr int kGridPageRows = 10000;

struct ValueStatistics {
    long long count = 0;  // readings with a value
    double maximum = 0.0, minimum = 0.0, average = 0.0;
};

struct RecordStatistics {
    ValueStatistics first;   // read_value
    ValueStatistics second;  // read_value_2ND
};

// One grid row as shown: number, value, second value, time.
struct GridRow {
    std::string number;
    std::string value;
    std::string second;
    std::string time;
};

// Opens a record file for reading, checking its tables; a failure names the
// file. The connection is read-only: the file is left as it was and nothing
// is made beside it, and a write-protected record reads like any other.
DbStatus OpenRecordForReading(Database& db, const std::string& path, RecordFormat format);
// The same for the file of an entry of a record list of `folder`. An entry
// flagged unreadable is refused with the message that names its file, and
// is never opened.
DbStatus OpenRecordEntry(Database& db, std::string_view folder, const RecordListEntry& entry);

// Count, maximum, minimum and average of both values, in one pass over the
// readings.
DbResult<RecordStatistics> ReadRecordStatistics(Database& db);

// count(read_value): the readings that hold a value.
DbResult<long long> CountRecordReadings(Database& db);
// The same of a list entry's file, opened as OpenRecordEntry does.
DbResult<long long> CountEntryReadings(std::string_view folder, const RecordListEntry& entry);

// The rows of grid page `page` (0-based): readings page*10000+1 onwards, at
// most 10000, numbered from page*10000+1 (1 to 10000 on the first page).
DbResult<std::vector<GridRow>> ReadGridPage(Database& db, long long page);

// The page selector: " %d - %d " for every full page of 10000 readings,
// then always one more from the next first reading to the quantity.
std::vector<std::string> PageSelectorItems(long long quantity);

// The list entry of a record number for qmcli: the current-format file, or
// the earlier-format one when asked or when it is the only one listed.
const RecordListEntry* FindRecordEntry(const std::vector<RecordListEntry>& entries, int recordNo,
                                       bool earlierFormat);

}  // namespace qm
