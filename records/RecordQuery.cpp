#include "records/RecordQuery.h"

#include <cmath>
#include <cstdio>

#include <sqlite3.h>

#include "records/RecordDate.h"
#include "records/RecordValueText.h"
#include "records/RowReader.h"

namespace qm {

namespace {

struct Accumulator {
    long long count = 0;
    double sum = 0.0, maximum = 0.0, minimum = 0.0;
    void Add(double v) {
        if (count == 0 || v > maximum) maximum = v;
        if (count == 0 || v < minimum) minimum = v;
        sum += v;
        ++count;
    }
    ValueStatistics Result() const {
        ValueStatistics s;
        s.count = count;
        if (count > 0) {
            s.maximum = maximum;
            s.minimum = minimum;
            s.average = sum / static_cast<double>(count);
        }
        return s;
    }
};

}  // namespace

DbStatus OpenRecordForReading(Database& db, const std::string& path, RecordFormat format) {
    DbStatus st = OpenRecordDatabase(db, path, format, RecordAccess::ReadOnly);
    // Long passes read the file through the page cache of the system
    // instead of copying every page into SQLite's own.
    if (st) st = db.Execute("PRAGMA mmap_size=1073741824");
    return st;
}

DbStatus OpenRecordEntry(Database& db, std::string_view folder, const RecordListEntry& entry) {
    db.Close();
    if (entry.unreadable)
        return DbStatus::Fail(SQLITE_CANTOPEN,
                              RecordProblemMessage(RecordFileName(entry.recordNo, entry.format),
                                                   entry.kind));
    return OpenRecordForReading(db, RecordFilePath(folder, entry.recordNo, entry.format),
                                entry.format);
}

DbResult<RecordStatistics> ReadRecordStatistics(Database& db) {
    // One pass for both values, fed by the engine row by row.
    struct Both : ValueSink {
        Accumulator first, second;
        void Add(const double* v, int) override {
            // Like SQL's aggregates, a reading without a value is not counted.
            if (!std::isnan(v[0])) first.Add(v[0]);
            if (!std::isnan(v[1])) second.Add(v[1]);
        }
    } both;
    const DbStatus st =
        RowReader::Feed(db, "select qm_feed(read_value, read_value_2ND) from read", {}, both);
    if (!st) return st.error();
    return RecordStatistics{both.first.Result(), both.second.Result()};
}

DbResult<long long> CountRecordReadings(Database& db) {
    RowReader reader;
    DbStatus st = reader.Open(db, "select count(read_value) from read");
    long long n = 0;
    if (st && reader.Next()) n = static_cast<long long>(reader.Double(0));
    if (st) st = reader.status();
    if (!st) return st.error();
    return n;
}

DbResult<long long> CountEntryReadings(std::string_view folder, const RecordListEntry& entry) {
    Database db;
    const DbStatus st = OpenRecordEntry(db, folder, entry);
    if (!st) return st.error();
    return CountRecordReadings(db);
}

DbResult<std::vector<GridRow>> ReadGridPage(Database& db, long long page) {
    if (page < 0) page = 0;
    RowReader reader;
    DbStatus st = reader.Open(db,
                              "select read_value, read_value_2ND, read_time from read "
                              "limit ?1 offset ?2",
                              {static_cast<long long>(kGridPageRows), page * kGridPageRows});
    if (!st) return st.error();
    std::vector<GridRow> rows;
    rows.reserve(kGridPageRows);
    long long number = page * kGridPageRows;
    while (reader.Next()) {
        GridRow row;
        row.number = std::to_string(++number);
        row.value = GridValueText(reader.Double(0));
        row.second = GridSecondValueText(reader.Double(1));
        row.time = std::string(reader.Text(2));
        rows.push_back(std::move(row));
    }
    if (!reader.status()) return reader.status().error();
    return rows;
}

std::vector<std::string> PageSelectorItems(long long quantity) {
    std::vector<std::string> items;
    char buf[64];
    long long first = 1;
    for (long long k = 1; k <= quantity / kGridPageRows; ++k) {
        std::snprintf(buf, sizeof buf, " %lld - %lld ", first, first + kGridPageRows - 1);
        items.emplace_back(buf);
        first += kGridPageRows;
    }
    std::snprintf(buf, sizeof buf, " %lld - %lld ", first, quantity);
    items.emplace_back(buf);
    return items;
}

const RecordListEntry* FindRecordEntry(const std::vector<RecordListEntry>& entries, int recordNo,
                                       bool earlierFormat) {
    const RecordListEntry* found = nullptr;
    for (const RecordListEntry& e : entries) {
        if (e.recordNo != recordNo) continue;
        const bool earlier = e.format == RecordFormat::Earlier;
        if (earlier == earlierFormat) return &e;
        if (!found) found = &e;
    }
    // Asked for the current-format file of a number that only has the
    // earlier one listed: that one is the record.
    return earlierFormat ? nullptr : found;
}

}  // namespace qm
