#pragma once
// The Multiple Readings page: a counted burst of readings into a record.
// The main window owns one instance and shows it modally from its menu; the
// page keeps its state between showings for as long as the program runs.
#include "ui/CPageFrame.h"

class CMultipleReadingsDlg : public CPageFrame {
  public:
    static constexpr int kDialogId = 147;

    explicit CMultipleReadingsDlg(const qm::TextSource& texts, QWidget* parent = nullptr)
        : CPageFrame(kDialogId, {"21", "Multiple Readings", "09", "Exit"}, texts, parent) {}
};
