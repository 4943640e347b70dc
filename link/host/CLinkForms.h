#pragma once
// The add-in's forms, each thin over AddinHost: About, Connect to Device,
// File Access, Set up Instrument, Get Single Reading and Logging Charts.
// Controls are named (objectName) so that tests find them.
#include <QDialog>
#include <memory>

#include "link/host/AddinHost.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class DMMListQM;

namespace qm {
class DeviceSettingsPage;
}

// A form of the add-in: its title and texts from the engine's language.
class CLinkForm : public QDialog {
    Q_OBJECT
  public:
    CLinkForm(qm::linkhost::AddinHost& host, const char* name, QWidget* parent);
    // Texts again in the current language, and the form's content refreshed.
    virtual void Refresh() = 0;

  protected:
    QString T(const char* key, const char* english) const;
    QString T(const qm::linkhost::HostText& text) const;
    qm::linkhost::AddinHost& host_;
};

class CAboutLinkDlg : public CLinkForm {
    Q_OBJECT
  public:
    explicit CAboutLinkDlg(qm::linkhost::AddinHost& host, QWidget* parent = nullptr);
    void Refresh() override;
  signals:
    void languageChanged();

  private:
    QLabel* title_;
    QLabel* version_;
    QLabel* languageLabel_;
    QComboBox* language_;
    QPushButton* ok_;
};

class CConnectDlg : public CLinkForm {
    Q_OBJECT
  public:
    explicit CConnectDlg(qm::linkhost::AddinHost& host, QWidget* parent = nullptr);
    void Refresh() override;
    DMMListQM* list() const { return list_; }
    // Fills the list from the engine's identity table and marks the connected one.
    void Fill();
    // OK: the list's connected address becomes the working instrument.
    void Apply();

  private:
    DMMListQM* list_;
    QPushButton* search_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

class CFileAccessDlg : public CLinkForm {
    Q_OBJECT
  public:
    explicit CFileAccessDlg(qm::linkhost::AddinHost& host, QWidget* parent = nullptr);
    void Refresh() override;
    bool Apply();

  private:
    QRadioButton* newCalc_;
    QRadioButton* openCalc_;
    QRadioButton* xlsx_;
    QComboBox* documents_;
    QLineEdit* path_;
    QPushButton* browse_;
    QLabel* sheetLabel_;
    QLineEdit* sheetName_;
    QLabel* current_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

class CSetupDlg : public CLinkForm {
    Q_OBJECT
  public:
    explicit CSetupDlg(qm::linkhost::AddinHost& host, QWidget* parent = nullptr);
    ~CSetupDlg() override;
    void Refresh() override;

  private:
    void Show();
    std::unique_ptr<qm::DeviceSettingsPage> page_;
    QLabel* device_;
    QLabel* functionLabel_;
    QComboBox* function_;
    QLabel* rangeLabel_;
    QComboBox* range_;
    QPushButton* set_;
    QPushButton* get_;
    QPushButton* close_;
    bool showing_ = false;
};

class CReadingDlg : public CLinkForm {
    Q_OBJECT
  public:
    explicit CReadingDlg(qm::linkhost::AddinHost& host, QWidget* parent = nullptr);
    void Refresh() override;
    void Read();

  private:
    QLabel* device_;
    QLabel* value_;
    QPushButton* read_;
    QPushButton* close_;
};

class CLoggingChartsDlg : public CLinkForm {
    Q_OBJECT
  public:
    explicit CLoggingChartsDlg(qm::linkhost::AddinHost& host, QWidget* parent = nullptr);
    void Refresh() override;
    // OK: the values checked and kept; false (after a message) when one is wrong.
    bool Apply();

  private:
    void EnableFields();
    QLabel* readingsLabel_;
    QLineEdit* readings_;
    QLabel* startLabel_;
    QButtonGroup* begin_;
    QLineEdit* atTime_;
    QLabel* stopLabel_;
    QButtonGroup* stop_;
    QLineEdit* stopHH_;
    QLineEdit* stopNN_;
    QLineEdit* stopSS_;
    QLabel* chartLabel_;
    QButtonGroup* chart_;
    QCheckBox* inSheet_;
    QLabel* pointsLabel_;
    QLineEdit* points_;
    QLabel* intervalLabel_;
    QLineEdit* interval_;
    QPushButton* ok_;
    QPushButton* cancel_;
};
