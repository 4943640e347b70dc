#pragma once
// The Reading Settings page: reading mode, saving and chart colours.
// The main window owns one instance and shows it modally from its menu; the
// page keeps its state between showings for as long as the program runs.
#include "ui/CPageFrame.h"

class CReadingSettingsDlg : public CPageFrame {
  public:
    static constexpr int kDialogId = 137;

    explicit CReadingSettingsDlg(const qm::TextSource& texts, QWidget* parent = nullptr)
        : CPageFrame(kDialogId, {"02", "Reading Settings", "09", "Exit"}, texts, parent) {}
};
