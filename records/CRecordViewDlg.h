#pragma once
// The Record View page: lists the records and shows the readings of one.
// The main window owns one instance and shows it modally from its menu; the
// page keeps its state between showings for as long as the program runs.
#include "ui/CPageFrame.h"

class CRecordViewDlg : public CPageFrame {
  public:
    static constexpr int kDialogId = 142;

    explicit CRecordViewDlg(const qm::TextSource& texts, QWidget* parent = nullptr)
        : CPageFrame(kDialogId, {"11", "View Record", "09", "Exit"}, texts, parent) {}
};
