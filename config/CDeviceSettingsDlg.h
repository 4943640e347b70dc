#pragma once
// The Device Settings page: the detailed configuration of one meter.
// The main window owns one instance and shows it modally from its menu; the
// page keeps its state between showings for as long as the program runs.
#include "ui/CPageFrame.h"

class CDeviceSettingsDlg : public CPageFrame {
  public:
    static constexpr int kDialogId = 133;

    explicit CDeviceSettingsDlg(const qm::TextSource& texts, QWidget* parent = nullptr)
        : CPageFrame(kDialogId, {"01", "Device Settings", "95", "Exit"}, texts, parent) {}
};
