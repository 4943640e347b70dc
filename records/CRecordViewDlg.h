#pragma once
// The Record View page (dialog 142): the records that hold readings, the
// readings of one in a grid with its statistics, the band search, the CSV
// export and deleting. The main window owns one instance and shows it
// modally from its menu; the page only builds controls and shows what
// qm::RecordViewer returns.
#include <QAbstractTableModel>
#include <memory>
#include <vector>

#include "platform/Prompter.h"
#include "records/CsvExport.h"
#include "records/RecordViewer.h"
#include "ui/CPageFrame.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressDialog;
class QPushButton;
class QTableView;

// The grid's model: one page of rows, never the whole record.
class RecordGridModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;
    void setRows(std::vector<qm::GridRow> rows);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::vector<qm::GridRow> m_rows;
};

class CRecordViewDlg : public CPageFrame {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 142;
    enum : int {
        kPageSelector = 1053,
        kGrid = 1054,
        kRecordList = 1055,
        kRefresh = 1056,
        kDelete = 1058,
        kQuantity = 1059,
        kMaximum = 1060,
        kMinimum = 1061,
        kAverage = 1062,
        kMaximum2 = 1063,
        kMinimum2 = 1064,
        kUpperLimit = 1065,
        kLowerLimit = 1066,
        kAverage2 = 1067,
        kRecordListLabel = 1139,
        kContentsLabel = 1140,
        kQuantityLabel = 1141,
        kMaxLabel = 1142,
        kMinLabel = 1143,
        kAvgLabel = 1144,
        kBandLabel = 1145,
        kUpperLabel = 1146,
        kLowerLabel = 1147,
        kPageSelectorLabel = 1148,
        kMax2Label = 1149,
        kExit = 1150,
        kMin2Label = 1151,
        kSearch = 1152,
        kAvg2Label = 1153,
        kCsvOutput = 1159,
        kMatch = 1202,
        kMatchLabel = 1203,
    };

    CRecordViewDlg(qm::Prompter& prompter, const qm::TextSource& texts, QWidget* parent = nullptr);
    ~CRecordViewDlg() override;

    qm::RecordViewer& viewer() { return m_viewer; }
    RecordGridModel& grid() { return m_model; }
    bool exporting() const { return m_export != nullptr; }

  public slots:
    void OnRefresh();
    void OnRecordSelect(int row);
    void OnPageSelect(int index);
    void OnDeleteRecord();
    void OnSearch();
    void OnExportCsv();

  protected:
    void showEvent(QShowEvent* event) override;
    // Labels and buttons, again whenever the language changes.
    void ApplyPageTexts() override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void OnInitDialog();
    void ReserveRoom();
    void ShowResults();
    void SetRecordControlsEnabled(bool enabled);
    void StepExport();
    void EndExport(bool finished);

    qm::Prompter& m_prompter;
    qm::RecordViewer m_viewer;
    RecordGridModel m_model;

    QListWidget* m_list = nullptr;
    QTableView* m_grid = nullptr;
    QComboBox* m_pages = nullptr;
    QLineEdit* m_upper = nullptr;
    QLineEdit* m_lower = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_search = nullptr;
    QPushButton* m_csv = nullptr;
    QLabel* m_values[8] = {};  // quantity, match, max, min, avg, max2, min2, avg2
    std::vector<std::pair<int, QLabel*>> m_labels;

    std::unique_ptr<qm::CsvExport> m_export;
    QProgressDialog* m_exportProgress = nullptr;
};
