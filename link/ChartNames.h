#pragma once
// The names a logging sheet carries for its chart, and the rows those names
// cover: the strip chart shows the last DmmPoints readings once there are
// that many, the other chart every reading.
#include <string>
#include <utility>
#include <vector>

namespace qm::link {

enum ChartKind : int { kNoChart = 0, kAllReadings = 1, kStripChart = 2 };

// Sheet-scoped names with their formulas (A1 form, "=" first), in the order
// they are defined; none for other kinds.
std::vector<std::pair<std::string, std::string>> ChartNameFormulas(int kind,
                                                                   const std::string& sheetName,
                                                                   bool dual);

struct RowSpan {
    int first = 2;
    int last = 2;
    bool operator==(const RowSpan&) const = default;
};

// The data rows the chart's series cover with `count` readings written and a
// strip-chart window of `points`: the range s!DmmyAxis gives on the sheet.
RowSpan ChartRows(int kind, int count, int points);

}  // namespace qm::link
