#include "app/LanguageTexts.h"

#include <system_error>
#include <utility>

#include "platform/Paths.h"
#include "platform/Profile.h"

namespace qm {
namespace {

// Positions 2 and 4 of the first submenu are separators, hence keys 04 and 06.
constexpr MenuText kMainMenu[] = {
    {0, -1, 0, "00", "Settings"},
    {0, 0, 32775, "01", "Device Settings"},
    {0, 1, 32776, "02", "Reading manager"},
    {0, 3, 32786, "04", "Refresh"},
    {0, 5, 32789, "06", "Exit"},
    {1, -1, 0, "10", "Record"},
    {1, 0, 32777, "11", "View Record"},
    {1, 1, 32778, "12", "Chart Record"},
    {2, -1, 0, "20", "Operation"},
    {2, 0, 32779, "21", "Multiple Readings"},
    {2, 1, 32780, "22", "Start Reading"},
    {2, 2, 32781, "23", "Stop Reading"},
    {3, -1, 0, "30", "Tool"},
    {3, 0, 32782, "31", "Command Control"},
    {4, -1, 0, "40", "About"},
    {4, 0, 32785, "41", "About"},
};

constexpr ControlText kMainWindowLabels[] = {
    {1125, "51", "Y-Scale"}, {1126, "52", "Data Offset"}, {1127, "53", "Reading Speed"},
    {1128, "54", "X-Max"},   {1129, "55", "Shift Graph"},
};

constexpr ControlText kToolbarTips[] = {
    {32771, "61", "START"},
    {32772, "62", "STOP"},
    {32784, "63", "Set Device"},
};

constexpr TextKey kAllTextKeys[] = {
    // Main menu, page captions and buttons.
    {"00", "Settings"},
    {"01", "Device Settings"},
    {"02", "Reading Settings"},
    {"04", "Refresh"},
    {"06", "Exit"},
    {"07", "OK"},
    {"09", "Exit"},
    {"10", "Record"},
    {"11", "View Record"},
    {"12", "Chart Record"},
    {"20", "Operation"},
    {"21", "Multiple Readings"},
    {"22", "Start Reading"},
    {"23", "Stop Reading"},
    {"30", "Tool"},
    {"31", "Command Control"},
    {"40", "About"},
    {"41", "About"},
    // Main window labels and toolbar tips.
    {"51", "Y-Scale"},
    {"52", "Data Offset"},
    {"53", "Reading Speed"},
    {"54", "X-Max"},
    {"55", "Shift Graph"},
    {"61", "START"},
    {"62", "STOP"},
    {"63", "Set Device"},
    // Function names of the Device Settings page.
    {"71", "DC Voltage"},
    {"72", "DC Current"},
    {"73", "AC Voltage"},
    {"74", "AC Current"},
    {"75", "Resistance(2W)"},
    {"76", "Resistance(4W)"},
    {"77", "Frequency"},
    {"78", "Period"},
    {"79", "Continuity"},
    {"80", "Diode"},
    {"81", "TEMP"},
    {"82", "DC Ratio"},
    {"83", "TCOUPLE"},
    {"210", "CAP"},
    // Device Settings page.
    {"84", "Device List"},
    {"85", "Settings"},
    {"86", "Function"},
    {"87", "Range"},
    {"88", "Aperture (s)"},
    {"89", "TYPE"},
    {"90", "Resolution"},
    {"91", "Bandwidth"},
    {"92", "Unit"},
    {"93", "Submit"},
    {"94", "Get Multimeter Setting"},
    {"95", "Exit"},
    {"96", "3 HZ"},
    {"97", "20 HZ"},
    {"98", "200 HZ"},
    {"99", "Fast 4 Digits"},
    {"101", "Fast 5 Digits"},
    {"103", "Fast 6 Digits"},
    {"104", "Slow 6 Digits"},
    {"105", "C"},
    {"106", "F"},
    {"107", "K"},
    {"0.01", "0.01s"},
    {"0.1", "0.1s"},
    {"1", "1s"},
    // Reading Settings page.
    {"120", "Reading Mode"},
    {"121", "Single-Device"},
    {"122", "Multi-Device"},
    {"123", "Color Print"},
    {"124", "Change Color"},
    {"125", "Save"},
    {"126", "Save"},
    // Record pages.
    {"130", "Record List"},
    {"131", "Refresh"},
    {"132", "Delete Record"},
    {"133", "Record Contents"},
    {"134", "MAX："},
    {"135", "MIN："},
    {"136", "AVG："},
    {"137", "Band width"},
    {"138", "LO Limiter"},
    {"139", "HI Limiter"},
    {"140", "Range browsing"},
    {"141", "Search"},
    {"142", "Output to CSV"},
    {"150", "Data Quantity："},
    {"151", "Draw"},
    {"152", "Clear"},
    {"153", "Drawing with all"},
    {"154", "Drawing data from"},
    {"155", "to"},
    {"156", ""},
    {"170", "Number of Readings"},
    // Command console.
    {"180", "Send String"},
    {"181", "String Received"},
    {"182", "Query"},
    {"183", "Write"},
    {"184", "Read"},
    // About box.
    {"200", "About"},
    {"201", "Language"},
    // Messages.
    {"1000", "No Device Connected"},
    {"1001", "Check Device Connection"},
    {"1002", "Select Device"},
    {"1003", "Select Device First"},
    {"1004", "ALPHA range is 0 - 0.01，please re-enter."},
    {"1005", "BETA range is 0 - 1，please re-enter."},
    {"1006", "DELTA range is 0 - 5，please re-enter."},
    {"1007", "R-ZERO range is 10 - 1000，please re-enter."},
    {"1008", "A4 range is (-1) - 1，please re-enter."},
    {"1009", "B4 range is (-1) - 1，please re-enter."},
    {"1010", "A7 range is (-1) - 1，please re-enter."},
    {"1011", "B7 range is (-1) - 1，please re-enter."},
    {"1012", "C7 range is (-1) - 1，please re-enter."},
    {"1013", "Please select a record."},
    {"1014", "The record has been selected, please select a different record."},
    {"1020", "No data in file"},
    {"1021", "Are you sure you want to delete this record?"},
    {"1022", "Please input a valid value."},
    {"1023", "Please narrow the searching range."},
    {"1024", "No records were found."},
    {"1026", "Input Data Error! Please re-enter."},
    {"1027", "Over-range! Please re-enter."},
    {"1031", "Connection status has changed.Please select \"Refresh\"."},
    {"1032", "Match_sample："},
    {"1033", "Please input a valid Min_value."},
    {"1034", "Please input a valid Max_value."},
    {"1035", "A range is 0.01 - 0，please re-enter."},
    {"1036", "B range is 0.01 - 0，please re-enter."},
    {"1037", "C range is 0.01 - 0，please re-enter."},
};

}  // namespace

std::span<const MenuText> MainMenuTexts() {
    return kMainMenu;
}
std::span<const ControlText> MainWindowLabelTexts() {
    return kMainWindowLabels;
}
std::span<const ControlText> ToolbarTipTexts() {
    return kToolbarTips;
}
std::span<const TextKey> AllTextKeys() {
    return kAllTextKeys;
}

std::string_view LanguageForChoice(int entry) {
    switch (entry) {
        case 1:
            return kLanguageChineseTraditional;
        case 2:
            return kLanguageChineseSimplified;
        default:
            return kLanguageEnglish;
    }
}

LanguageTexts::LanguageTexts() : LanguageTexts(LanguageFilePath()) {}

LanguageTexts::LanguageTexts(std::filesystem::path file) : file_(std::move(file)) {}

std::string LanguageTexts::GetText(std::string_view key, std::string_view englishDefault) const {
    return GetProfileString(file_, language_, key, englishDefault, kLanguageTextBufferSize);
}

bool LanguageTexts::FileExists() const {
    std::error_code ec;
    return std::filesystem::exists(file_, ec) && !std::filesystem::is_directory(file_, ec);
}

bool LanguageTexts::WriteLanguageId() const {
    // Writing into a missing file would create a stub holding only this key,
    // and the next start would no longer report the lost language file.
    if (!FileExists()) return false;
    return WriteProfileString(file_, kInformationSection, kLanguageIdKey, language_);
}

}  // namespace qm
