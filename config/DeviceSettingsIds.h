#pragma once
// Control identifiers of the Device Settings page (dialog 133).
namespace qm::devicesettings {

enum : int {
    kDialog = 133,
    kDeviceListCaption = 1129,
    kDeviceList = 1007,
    kGetSettings = 1111,
    kSettingsGroup = 1011,
    kFunctionCaption = 1012,
    kFunctionList = 1110,
    kRangeCaption = 1013,
    kRangeCombo = 1010,
    kColumnCaption = 1085,
    kColumnCombo = 1086,
    kTransducerCaption = 1211,
    kTransducerCombo = 1210,
    kFunction2Caption = 1201,
    kFunction2Combo = 1015,
    kRange2Caption = 1199,
    kRange2Combo = 1017,
    kSetting2Caption = 1200,
    kSetting2Combo = 1016,
    kTransducer2Caption = 1209,
    kTransducer2Combo = 1208,
    kUnusedCombo = 1087,
    kSet = 1014,
    kExit = 2,
};

}  // namespace qm::devicesettings
