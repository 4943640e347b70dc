#pragma once
// The add-in's own texts in the settings file (keys 7000 and up, beside the
// keys it shares with QM_TOOL), each with its English text: the default when
// the file lacks the key, and what the shipped file carries.
#include <string_view>

namespace qm::linkhost {

struct HostText {
    std::string_view key;
    std::string_view english;
};

namespace texts {
inline constexpr HostText kBusy{"7000", "Logging runs: stop it first."};
inline constexpr HostText kNoSheet{"7001", "Choose where to log first (File Access)."};
inline constexpr HostText kNoAnswer{"7002", "The meter did not answer."};
inline constexpr HostText kOfficeGone{
    "7003",
    "LibreOffice Calc was closed. Logging has stopped and the meter is released; start Varnet "
    "QM-Link again from Calc's toolbar."};
inline constexpr HostText kConnectTitle{"7010", "Connect to Device"};
inline constexpr HostText kSearchAgain{"7011", "Search Again"};
inline constexpr HostText kFilesTitle{"7012", "File Access"};
inline constexpr HostText kNewCalc{"7013", "A new Calc document"};
inline constexpr HostText kOpenCalc{"7014", "A new sheet in an open Calc document"};
inline constexpr HostText kXlsx{"7015", "An .xlsx file"};
inline constexpr HostText kBrowse{"7016", "Browse..."};
inline constexpr HostText kSheetName{"7017", "Sheet name"};
inline constexpr HostText kLoggingInto{"7018", "Logging into:"};
inline constexpr HostText kSetupTitle{"7019", "Set up Instrument"};
inline constexpr HostText kReadingTitle{"7020", "Get Single Reading"};
inline constexpr HostText kRead{"7021", "Read"};
inline constexpr HostText kChartsTitle{"7022", "Logging Charts"};
inline constexpr HostText kStart{"7023", "Start"};
inline constexpr HostText kAtOnce{"7024", "At once"};
inline constexpr HostText kAtTime{"7025", "At time (yyyy/mm/dd hh:nn:ss)"};
inline constexpr HostText kOnTrigger{"7026", "On the external trigger"};
inline constexpr HostText kStop{"7027", "Stop"};
inline constexpr HostText kAfterReadings{"7028", "After the number of readings"};
inline constexpr HostText kAfterTime{"7029", "After this time (hours, minutes, seconds)"};
inline constexpr HostText kOnlyWithStop{"7030", "Only with STOP"};
inline constexpr HostText kChart{"7031", "Chart"};
inline constexpr HostText kNoChart{"7032", "None"};
inline constexpr HostText kAllReadings{"7033", "All readings"};
inline constexpr HostText kStripChart{"7034", "Strip chart"};
inline constexpr HostText kOnDataSheet{"7035", "On the data sheet"};
inline constexpr HostText kStripWindow{"7036", "Strip chart window (readings)"};
inline constexpr HostText kInterval{"7037", "Interval (ms)"};
inline constexpr HostText kCancel{"7038", "Cancel"};
inline constexpr HostText kClose{"7039", "Close"};
inline constexpr HostText kInstrument{"7040", "Instrument:"};
}  // namespace texts

// Every one of the add-in's own keys, in key order.
inline constexpr HostText kHostTexts[] = {
    texts::kBusy,          texts::kNoSheet,     texts::kNoAnswer,     texts::kOfficeGone,
    texts::kConnectTitle,  texts::kSearchAgain, texts::kFilesTitle,   texts::kNewCalc,
    texts::kOpenCalc,      texts::kXlsx,        texts::kBrowse,       texts::kSheetName,
    texts::kLoggingInto,   texts::kSetupTitle,  texts::kReadingTitle, texts::kRead,
    texts::kChartsTitle,   texts::kStart,       texts::kAtOnce,       texts::kAtTime,
    texts::kOnTrigger,     texts::kStop,        texts::kAfterReadings, texts::kAfterTime,
    texts::kOnlyWithStop,  texts::kChart,       texts::kNoChart,      texts::kAllReadings,
    texts::kStripChart,    texts::kOnDataSheet, texts::kStripWindow,  texts::kInterval,
    texts::kCancel,        texts::kClose,       texts::kInstrument,
};

}  // namespace qm::linkhost
