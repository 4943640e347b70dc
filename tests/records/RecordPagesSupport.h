#pragma once
// Record files for the record-page tests: a current- or earlier-format file
// with given readings, written in one transaction so that large records
// are quick to make.
#include <string>
#include <utility>
#include <vector>

#include "records/Database.h"
#include "records/RecordStore.h"
#include "records/Recordset.h"

namespace qm::test {

struct Reading {
    double value = 0.0;
    double second = kRecordNoSecondValue;
    std::string time = "12:00:00:000";
};

// False when the file could not be made.
inline bool MakeRecordFile(const std::string& path, RecordFormat format,
                           const std::vector<Reading>& readings,
                           const DateTime& date = {2024, 5, 6, 7, 8, 9, 0},
                           const char* f1 = "DCV", const char* f2 = "NONE") {
    Database db;
    if (format == RecordFormat::Current) {
        if (!CreateRecordFile(path, RecordLayout::MainWindow).ok()) return false;
        if (!OpenRecordDatabase(db, path, format).ok()) return false;
        if (!WriteRecordFunctions(db, f1, f2).ok()) return false;
    } else {
        if (!db.Create(path).ok()) return false;
        if (!db.CreateTable("read", {{"read_value", DaoType::Double, 20},
                                     {"read_value_2ND", DaoType::Double, 20},
                                     {"read_time", DaoType::Text, 100}})
                 .ok())
            return false;
        if (!db.CreateTable("read_date", {{"r_date", DaoType::DateTime, 20}}).ok()) return false;
    }
    if (!StampRecordDate(db, date).ok()) return false;
    Recordset rs;
    if (!rs.Open(db, "select * from read").ok()) return false;
    if (!db.BeginTransaction().ok()) return false;
    for (const Reading& r : readings) {
        if (!rs.AddNew().ok()) return false;
        if (!rs.SetField("read_value", r.value).ok()) return false;
        if (!rs.SetField("read_value_2ND", r.second).ok()) return false;
        if (!rs.SetField("read_time", std::string_view(r.time)).ok()) return false;
        if (!rs.Update().ok()) return false;
    }
    return db.Commit().ok();
}

// Readings v(i) for i = 0 .. n-1.
template <typename F>
std::vector<Reading> Readings(long long n, F value) {
    std::vector<Reading> r(static_cast<std::size_t>(n));
    for (long long i = 0; i < n; ++i) r[static_cast<std::size_t>(i)].value = value(i);
    return r;
}

}  // namespace qm::test
