#pragma once
// The command console: free SCPI write, read and query.
// The main window owns one instance and shows it modally from its menu; the
// page keeps its state between showings for as long as the program runs.
#include "ui/CPageFrame.h"

class CCommandConsoleDlg : public CPageFrame {
  public:
    static constexpr int kDialogId = 148;

    explicit CCommandConsoleDlg(const qm::TextSource& texts, QWidget* parent = nullptr)
        : CPageFrame(kDialogId, {"31", "Command Control", "09", "Exit"}, texts, parent) {}
};
