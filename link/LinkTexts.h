#pragma once
// The engine's fixed message texts.
namespace qm::link::texts {

inline constexpr const char* kErrorStatus = "Error status description:";
inline constexpr const char* kTriggerError = "Trigger error:";
inline constexpr const char* kToStartReading = "To Start Reading:";
inline constexpr const char* kCreateChartError1 = "Create Chart Error 1:";
inline constexpr const char* kCreateChartError2 = "Create Chart Error 2:";
inline constexpr const char* kScrollBarError = "Scroll Bar Error:";
inline constexpr const char* kInvalidFolder = "An invalid folder ID was specified.";
inline constexpr const char* kFolderMissing = "The folder does not exist.";
inline constexpr const char* kFilesLost = "Loss of important files, please re-install the application.";
inline constexpr const char* kWaitingTrigger = "Waiting for an External Trigger:";
inline constexpr const char* kTriggerLocked[] = {
    "The instrument is locked waiting for an external trigger. ",
    "To stop now you must press'LOCAL' followed by 'TRIG' on the",
    " instrument Front Panel. And then Press 'Yes' on this form. ",
    "If you wish to continue waiting for the trigger Press 'No' .",
};
// Our own: the spreadsheet failed under a run.
inline constexpr const char* kSheetLost =
    "The spreadsheet stopped answering, so logging has stopped. Every reading written before "
    "is kept. The spreadsheet said:";
inline constexpr const char* kSheetNotWritten = "The worksheet could not be written:";
inline constexpr const char* kNoSheet = "No worksheet is set (SetSheet).";
inline constexpr const char* kNoApp = "No spreadsheet application is set (SetApp).";

// Status bar.
inline constexpr const char* kStatusReading = "Reading...";
inline constexpr const char* kStatusWaitingTime = "Waiting time...";
inline constexpr const char* kStatusWaitingTrigger = "Waiting for an External Trigger...";
inline constexpr const char* kStatusReady = "Ready";

}  // namespace qm::link::texts
