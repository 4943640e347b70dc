#pragma once
// Control, menu and toolbar identifiers of the main window (dialog 102).
// Every widget's objectName is its number and every menu or toolbar action's
// data() its command identifier, so that tests and tools find them by number.
#include <array>

namespace qm::mainwindow {

enum : int {
    kMainWindowDialog = 102,

    // Device list, chart and the status column.
    kDeviceList = 1000,
    kChartArea = 1003,
    kFunctionStatus = 1015,
    kRangeStatus = 1016,
    kReadingSpeed = 1017,
    kXMaxCombo = 1018,
    kSecondFunctionCombo = 1019,
    kTriggerInterval = 1020,
    kXAxisLabel = 1021,
    kSecondFunctionLabel = 1197,
    kSecondFunctionMarkerA = 1226,
    kSecondFunctionMarkerB = 1227,

    // Chart controls.
    kShiftGraphUp = 1050,
    kShiftGraphDown = 1051,
    kYScaleUp = 1053,
    kYScaleDown = 1054,
    kYScaleEdit = 1102,
    kDataOffsetEdit = 1108,
    kDataOffsetSet = 1109,

    // Labels relabelled with the language.
    kYScaleLabel = 1125,
    kDataOffsetLabel = 1126,
    kReadingSpeedLabel = 1127,
    kXMaxLabel = 1128,
    kShiftGraphLabel = 1129,

    // Menu commands.
    kCmdDeviceSettings = 32775,
    kCmdReadingSettings = 32776,
    kCmdViewRecord = 32777,
    kCmdChartRecord = 32778,
    kCmdMultipleReadings = 32779,
    kCmdStartReading = 32780,
    kCmdStopReading = 32781,
    kCmdCommandControl = 32782,
    kCmdAbout = 32785,
    kCmdRefresh = 32786,
    kCmdExit = 32789,
    // Toolbar commands.
    kCmdToolbarStart = 32771,
    kCmdToolbarStop = 32772,
    kCmdSetDevice = 32784,
    // The window menu's About entry.
    kCmdSystemAbout = 16,
};

// The four device lines, by line (0-3).
inline constexpr std::array<int, 4> kDeviceCaptions = {1037, 1038, 1039, 1040};
inline constexpr std::array<int, 4> kMainValues = {901, 902, 903, 904};
inline constexpr std::array<int, 4> kSecondValues = {905, 906, 907, 908};
inline constexpr std::array<int, 4> kMainLamps = {1044, 1045, 1046, 1047};
inline constexpr std::array<int, 4> kSecondLamps = {1048, 1049, 1055, 1056};
inline constexpr std::array<int, 4> kFunctionNames = {1104, 1105, 1106, 1107};
inline constexpr std::array<int, 4> kSecondFunctionNames = {1113, 1114, 1115, 1117};
inline constexpr std::array<int, 4> kSecondMarkers = {1219, 1220, 1221, 1222};

// Chart line selectors in chart line order: main lines 1-4, second lines 1-4.
inline constexpr std::array<int, 8> kLineRadios = {1098, 1099, 1100, 1101, 1103, 1110, 1111, 1112};

// Menu commands that are grayed while reading runs (Stop Reading is the
// other way round; Exit is always available).
inline constexpr std::array<int, 9> kIdleOnlyCommands = {
    kCmdDeviceSettings, kCmdReadingSettings, kCmdViewRecord, kCmdChartRecord, kCmdMultipleReadings,
    kCmdStartReading,   kCmdCommandControl,  kCmdRefresh,    kCmdAbout};

}  // namespace qm::mainwindow
