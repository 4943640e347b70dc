#pragma once
// addinclean's dialog 102: no controls; the first time it is painted it
// removes the add-in, then closes (it stays open only after the message
// that the office could not be started).
#include <QDialog>

#include "addin/Remover.h"

class CAddinCleanDlg : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kDialogId = 102;
    CAddinCleanDlg(qm::Prompter& prompter, qm::addin::Remover::Connect connect,
                   QWidget* parent = nullptr);
    bool workRan() const { return ran_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void RunOnce();

    qm::addin::Remover remover_;
    bool ran_ = false;
};
