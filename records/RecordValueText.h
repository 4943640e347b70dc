#pragma once
// How stored readings are written out: the Record View grid and its
// statistics, the band search, the CSV export and the Record Chart readout.
// Each place has its own overload rule, kept as users know it:
//   grid and statistics   "OVLD" for any value above 9.9e25
//   CSV export and chart  "OVLD" for exactly 9.9e37, what the meters send
#include <string>

#include "config/NumberText.h"  // FixedText, AppendFixed

namespace qm {

// Above this a stored value is an overload in the Record View.
inline constexpr double kRecordViewOverloadLimit = 9.9e25;
// Above this the band search shows no second value.
inline constexpr double kSearchSecondValueLimit = 9.9e20;


// Grid value: "OVLD" above 9.9e25; "%.7f" above 100000; else "%.12f".
std::string GridValueText(double v);
// Grid second value: "OVLD" above 9.9e25, empty for the no-second-value
// marker 9.9e21, else as the value.
std::string GridSecondValueText(double v);
// Search grid second value: empty above 9.9e20, else as the value.
std::string SearchSecondValueText(double v);

// MAX / MIN / AVG of a record: "%.12f" cut to its first 15 characters. A
// value whose whole part does not fit in 15 characters would lose digits
// that way and read a thousand or a million times too small: it is written
// in exponent form instead, and anything above 9.9e25 is "OVLD".
std::string StatisticText(double v);
// MAX / MIN / AVG of the search's matches: "%.15f"; "OVLD" above 9.9e25.
std::string SearchStatisticText(double v);

// CSV value: "OVLD" for exactly 9.9e37, else "%.14f" (records/CsvExport.cpp).
std::string CsvValueText(double v);
// CSV second value: "OVLD" for 9.9e37, one blank for the no-second-value
// marker, else "%.14f".
std::string CsvSecondValueText(double v);

// Record Chart readout: "OVLD" for 9.9e37, "NULL" for the no-second-value
// marker, else "%.15f".
std::string ChartReadoutText(double v);

}  // namespace qm
