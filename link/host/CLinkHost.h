#pragma once
// The host's event side: the toolbar's commands open the forms or drive the
// run, a timer runs the engine's ticks, and a watchdog notices an office that
// went away (the host then releases everything and ends).
#include <QObject>
#include <QTimer>
#include <memory>

#include "link/host/AddinHost.h"
#include "link/host/CLinkForms.h"
#include "link/host/HostSocket.h"

class CLinkHost : public QObject {
    Q_OBJECT
  public:
    CLinkHost(qm::Prompter& prompter, qm::Clock& clock, qm::linkhost::HostOffice& office,
              QObject* parent = nullptr);
    ~CLinkHost() override;

    qm::linkhost::AddinHost& core() { return core_; }
    void Handle(qm::linkhost::HostCommand command);
    // The command of a toolbar macro; false for a name that is none.
    bool HandleMacro(const std::string& macro);

    // The forms, made on first use.
    CAboutLinkDlg& about();
    CConnectDlg& connectForm();
    CFileAccessDlg& files();
    CSetupDlg& setup();
    CReadingDlg& reading();
    CLoggingChartsDlg& charts();

    // A request of a script on the host's socket: a toolbar command, or a
    // click on a button or on a list row of a form that is shown. The
    // reason it cannot be done, or "" when it is under way.
    std::string Drive(const qm::linkhost::HostRequest& request);

    // One pass of the watchdog (the timer calls it every second).
    void WatchOffice();

  signals:
    void officeGone();

  private:
    void ShowForm(CLinkForm& form);
    void RefreshAll();
    CLinkForm* ShownForm(const std::string& name) const;

    qm::linkhost::AddinHost core_;
    std::unique_ptr<CAboutLinkDlg> about_;
    std::unique_ptr<CConnectDlg> connect_;
    std::unique_ptr<CFileAccessDlg> files_;
    std::unique_ptr<CSetupDlg> setup_;
    std::unique_ptr<CReadingDlg> reading_;
    std::unique_ptr<CLoggingChartsDlg> charts_;
    QTimer tick_;
    QTimer watch_;
};
