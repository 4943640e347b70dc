#pragma once
// The main values a record file holds, in stored order, read straight from
// the file (not through the records layer under test).
#include <sqlite3.h>

#include <string>
#include <vector>

namespace qm::test {

inline std::vector<double> StoredValues(const std::string& file) {
    std::vector<double> values;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "select read_value from read", -1, &st, nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW) values.push_back(sqlite3_column_double(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return values;
}

}  // namespace qm::test
