#pragma once
// The Record Chart page: plots the stored readings of one record.
// The main window owns one instance and shows it modally from its menu; the
// page keeps its state between showings for as long as the program runs.
#include "ui/CPageFrame.h"

class CRecordChartDlg : public CPageFrame {
  public:
    static constexpr int kDialogId = 146;

    explicit CRecordChartDlg(const qm::TextSource& texts, QWidget* parent = nullptr)
        : CPageFrame(kDialogId, {"12", "Chart Record", "09", "Exit"}, texts, parent) {}
};
