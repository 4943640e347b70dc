#include "records/BandSearch.h"

#include <algorithm>
#include <cstdio>

#include "config/NumberText.h"
#include "records/RecordValueText.h"
#include "records/Recordset.h"
#include "records/RowReader.h"

namespace qm {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string PrintfF(std::string_view text, int decimals) {
    return FixedText(AsciiToDouble(text), decimals);
}

enum class LimitFault { None, Character, Repeated };

LimitFault FirstFault(std::string_view text, bool checkCharacters) {
    int points = 0, exponents = 0;
    for (char c : text) {
        if (IsDigit(c)) continue;
        if (c == '.') {
            if (++points > 1) return LimitFault::Repeated;
        } else if (c == 'E' || c == 'e') {
            if (++exponents > 1) return LimitFault::Repeated;
        } else if (checkCharacters && c != '-') {
            return LimitFault::Character;
        }
    }
    return LimitFault::None;
}

}  // namespace

LimitEditCheck CheckUpperLimitText(std::string_view text) {
    LimitEditCheck check;
    check.text = std::string(text);
    const LimitFault fault = FirstFault(text, true);
    if (fault == LimitFault::None) return check;
    if (fault == LimitFault::Character)
        check.message = PromptMessage{std::string(kValueErrorText), ""};
    else
        check.message = PromptMessage{std::string(kValueOfRErrorText), "."};
    check.text = PrintfF(text, 6);
    check.replaced = true;
    return check;
}

LimitEditCheck CheckLowerLimitText(std::string_view text) {
    LimitEditCheck check;
    check.text = std::string(text);
    if (FirstFault(text, false) == LimitFault::Repeated)
        check.message = PromptMessage{std::string(kValueOfRErrorText), "."};
    return check;
}

std::string UpperLimitEnterText(std::string_view text) {
    return PrintfF(text, 12);
}

BandLimits AdjustBandLimits(double high, double low, double recordMax, double recordMin) {
    BandLimits b{high, low};
    if (recordMax > b.high) {
        if (recordMin == b.high) b.high = recordMin + kBandMargin;
    } else {
        b.high = recordMax + kBandMargin;
    }
    if (recordMin >= b.low) {
        b.low = recordMin - kBandMargin;
    } else if (recordMax == b.low) {
        b.low = recordMax - kBandEqualMargin;
    }
    return b;
}

DbResult<BandMatches> FindBandMatches(Database& db, const BandLimits& limits) {
    // The limits are bound as numbers, never written into the statement.
    const std::vector<SqlParam> band{limits.high, limits.low};
    BandMatches m;
    {
        Recordset agg;
        DbStatus st = agg.Open(db,
                               "select count(read_value) as n, max(read_value) as hi, "
                               "min(read_value) as lo, avg(read_value) as mean from read "
                               "where read_value <= ?1 and read_value >= ?2",
                               band);
        if (!st) return st.error();
        if (!agg.IsEOF()) {
            m.count = static_cast<long long>(agg.GetDouble("n").value_or(0));
            m.statistics.count = m.count;
            m.statistics.maximum = agg.GetDouble("hi").value_or(0);
            m.statistics.minimum = agg.GetDouble("lo").value_or(0);
            m.statistics.average = agg.GetDouble("mean").value_or(0);
        }
    }
    if (m.count == 0) return m;
    RowReader reader;
    DbStatus st = reader.Open(db,
                              "select read_value, read_value_2ND, read_time from read "
                              "where read_value <= ?1 and read_value >= ?2 limit ?3",
                              {limits.high, limits.low, static_cast<long long>(kGridPageRows)});
    if (!st) return st.error();
    m.rows.reserve(static_cast<std::size_t>(std::min<long long>(m.count, kGridPageRows)));
    while (reader.Next()) {
        GridRow row;
        row.number = std::to_string(m.rows.size() + 1);
        row.value = GridValueText(reader.Double(0));
        row.second = SearchSecondValueText(reader.Double(1));
        row.time = std::string(reader.Text(2));
        m.rows.push_back(std::move(row));
    }
    if (!reader.status()) return reader.status().error();
    return m;
}

}  // namespace qm
