#include "records/CRecordViewDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/TextSource.h"
#include "ui/PageControls.h"
#include "records/BandSearch.h"

namespace {

// Grid column widths of 550 and 2000 twips at 96 dots per inch.
constexpr int kNumberColumnWidth = 37;
constexpr int kValueColumnWidth = 133;
// Rows of a CSV export written between two passes of the event loop.
constexpr long long kExportRowsPerStep = 50000;

constexpr PageControlText kLabelTexts[] = {
    {CRecordViewDlg::kRecordListLabel, "130", "Record List"},
    {CRecordViewDlg::kContentsLabel, "133", "Record Contents"},
    {CRecordViewDlg::kQuantityLabel, "150", "Data Quantity："},
    {CRecordViewDlg::kMatchLabel, "1032", "Match_sample："},
    {CRecordViewDlg::kMaxLabel, "134", "MAX："},
    {CRecordViewDlg::kMinLabel, "135", "MIN："},
    {CRecordViewDlg::kAvgLabel, "136", "AVG："},
    {CRecordViewDlg::kBandLabel, "137", "Band width"},
    {CRecordViewDlg::kUpperLabel, "138", "LO Limiter"},
    {CRecordViewDlg::kLowerLabel, "139", "HI Limiter"},
    {CRecordViewDlg::kPageSelectorLabel, "140", "Range browsing"},
};

}  // namespace

// --- grid model --------------------------------------------------------------

void RecordGridModel::setRows(std::vector<qm::GridRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int RecordGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int RecordGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant RecordGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(m_rows.size())) return {};
    const qm::GridRow& r = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case 0:
                return FromStd(r.number);
            case 1:
                return FromStd(r.value);
            case 2:
                return FromStd(r.second);
            case 3:
                return FromStd(r.time);
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() == 3)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant RecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    static const char* const kHeaders[] = {"", "Value", "Value_2ND", "Time"};
    return section >= 0 && section < 4 ? QString(kHeaders[section]) : QVariant();
}

// --- page --------------------------------------------------------------------

CRecordViewDlg::CRecordViewDlg(qm::Prompter& prompter, const qm::TextSource& texts, QWidget* parent)
    : CPageFrame(kDialogId, {"11", "View Record", "95", "Exit"}, texts, parent),
      m_prompter(prompter),
      m_viewer(prompter, texts),
      m_model(this) {
    auto label = [&](int id) { return AddLabel(body(), id, m_labels); };
    auto button = [&](int id) { return AddButton(body(), id); };
    m_list = Named(new QListWidget(body()), kRecordList);
    m_refresh = button(kRefresh);
    m_delete = button(kDelete);
    m_grid = Named(new QTableView(body()), kGrid);
    m_grid->setModel(&m_model);
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setColumnWidth(0, kNumberColumnWidth);
    for (int c = 1; c < 4; ++c) m_grid->setColumnWidth(c, kValueColumnWidth);
    m_pages = Named(new QComboBox(body()), kPageSelector);
    m_upper = Named(new QLineEdit(body()), kUpperLimit);
    m_lower = Named(new QLineEdit(body()), kLowerLimit);
    m_search = button(kSearch);
    m_csv = button(kCsvOutput);
    const int valueIds[8] = {kQuantity, kMatch, kMaximum, kMinimum, kAverage, kMaximum2, kMinimum2, kAverage2};
    for (int i = 0; i < 8; ++i) {
        m_values[i] = Named(new QLabel(body()), valueIds[i]);
        m_values[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    ReserveRoom();

    // Left: the record list. Right: the grid. Below: statistics and search.
    auto* root = new QHBoxLayout(body());
    auto* left = new QVBoxLayout;
    left->addWidget(label(kRecordListLabel));
    left->addWidget(m_list, 1);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(m_refresh);
    listButtons->addWidget(m_delete);
    left->addLayout(listButtons);

    auto* stats = new QGridLayout;
    const int statLabels[] = {kQuantityLabel, kMatchLabel, kMaxLabel, kMinLabel, kAvgLabel,
                              kMax2Label, kMin2Label, kAvg2Label};
    for (int i = 0; i < 8; ++i) {
        stats->addWidget(label(statLabels[i]), i, 0);
        stats->addWidget(m_values[i], i, 1);
    }
    stats->setColumnStretch(1, 1);
    left->addLayout(stats);

    auto* band = new QGridLayout;
    band->addWidget(label(kBandLabel), 0, 0, 1, 2);
    band->addWidget(label(kUpperLabel), 1, 0);
    band->addWidget(m_upper, 1, 1);
    band->addWidget(label(kLowerLabel), 2, 0);
    band->addWidget(m_lower, 2, 1);
    band->addWidget(m_search, 3, 1);
    band->addWidget(label(kPageSelectorLabel), 4, 0);
    band->addWidget(m_pages, 4, 1);
    band->addWidget(m_csv, 5, 0, 1, 2);
    left->addLayout(band);
    root->addLayout(left);

    auto* right = new QVBoxLayout;
    right->addWidget(label(kContentsLabel));
    right->addWidget(m_grid, 1);
    root->addLayout(right, 1);
    m_grid->setMinimumWidth(kNumberColumnWidth + 3 * kValueColumnWidth + 24);

    NameExitButton(this, kExit);

    // The page is as small as its controls allow, no smaller.
    body()->setMinimumSize(0, 0);

    // Hidden from the start and never shown by this page: the second-value
    // statistics and the page selector (the grid always shows the first page).
    for (int id : {kMax2Label, kMin2Label, kAvg2Label, kPageSelectorLabel})
        for (auto& [lid, l] : m_labels)
            if (lid == id) l->hide();
    for (int i = 5; i < 8; ++i) m_values[i]->hide();
    m_pages->hide();

    connect(m_list, &QListWidget::currentRowChanged, this, &CRecordViewDlg::OnRecordSelect);
    connect(m_refresh, &QPushButton::clicked, this, &CRecordViewDlg::OnRefresh);
    connect(m_delete, &QPushButton::clicked, this, &CRecordViewDlg::OnDeleteRecord);
    connect(m_search, &QPushButton::clicked, this, &CRecordViewDlg::OnSearch);
    connect(m_csv, &QPushButton::clicked, this, &CRecordViewDlg::OnExportCsv);
    connect(m_pages, qOverload<int>(&QComboBox::activated), this, &CRecordViewDlg::OnPageSelect);
    connect(m_upper, &QLineEdit::textEdited, this, [this](const QString& text) {
        const auto check = qm::CheckUpperLimitText(text.toStdString());
        if (check.message) m_prompter.message(*check.message);
        if (check.replaced) m_upper->setText(FromStd(check.text));
    });
    connect(m_lower, &QLineEdit::textEdited, this, [this](const QString& text) {
        const auto check = qm::CheckLowerLimitText(text.toStdString());
        if (check.message) m_prompter.message(*check.message);
    });
    // The record list is filled when the page is shown, not when the main
    // window builds it.
    ApplyPageTexts();
    ShowResults();
    SetRecordControlsEnabled(false);
}

CRecordViewDlg::~CRecordViewDlg() = default;

void CRecordViewDlg::ReserveRoom() {
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    // Room for a statistic of 15 characters without the page moving.
    for (QLabel* value : m_values)
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance("-000000.000000000"));
}

void CRecordViewDlg::changeEvent(QEvent* event) {
    CPageFrame::changeEvent(event);
    // The page takes the main window's fonts, which follow the language.
    if (event->type() == QEvent::FontChange && m_grid) ReserveRoom();
}

void CRecordViewDlg::showEvent(QShowEvent* event) {
    CPageFrame::showEvent(event);
    OnInitDialog();
}

void CRecordViewDlg::ApplyPageTexts() {
    const qm::TextSource& t = texts();
    ApplyLabelTexts(m_labels, kLabelTexts, t);
    auto text = [&](int id) -> QLabel* {
        for (auto& [lid, l] : m_labels)
            if (lid == id) return l;
        return nullptr;
    };
    const std::string second = "2ND ";
    text(kMax2Label)->setText(FromStd(second + t.GetText("134", "MAX：")));
    text(kMin2Label)->setText(FromStd(second + t.GetText("135", "MIN：")));
    text(kAvg2Label)->setText(FromStd(second + t.GetText("136", "AVG：")));
    m_refresh->setText(FromStd(t.GetText("131", "Refresh")));
    m_delete->setText(FromStd(t.GetText("132", "Delete Record")));
    m_search->setText(FromStd(t.GetText("141", "Search")));
    m_csv->setText(FromStd(t.GetText("142", "Output to CSV")));
}

void CRecordViewDlg::OnInitDialog() {
    m_model.setRows({});
    m_viewer.Initialise();
    {
        const QSignalBlocker block(m_list);
        m_list->clear();
        for (const qm::RecordListEntry& e : m_viewer.entries()) m_list->addItem(FromStd(e.label));
        m_list->setCurrentRow(-1);
        // Every label whole: its date and functions tell the entries apart.
        const int widest = std::max(m_list->sizeHintForColumn(0),
                                    m_list->fontMetrics().horizontalAdvance(QString(60, QChar('0'))) / 2);
        m_list->setMinimumWidth(widest + 2 * m_list->frameWidth() + 4);
    }
    m_pages->clear();
    m_upper->clear();
    m_lower->clear();
    ShowResults();
    SetRecordControlsEnabled(false);
}

void CRecordViewDlg::SetRecordControlsEnabled(bool enabled) {
    m_delete->setEnabled(enabled);
    m_csv->setEnabled(enabled);
    m_upper->setEnabled(enabled);
    m_lower->setEnabled(enabled);
}

void CRecordViewDlg::ShowResults() {
    const qm::RecordViewTexts& t = m_viewer.texts();
    const std::string* shown[8] = {&t.quantity, &t.match,    &t.maximum,  &t.minimum,
                                   &t.average,  &t.maximum2, &t.minimum2, &t.average2};
    for (int i = 0; i < 8; ++i) m_values[i]->setText(FromStd(*shown[i]));
    m_model.setRows(m_viewer.rows());
}

void CRecordViewDlg::OnRefresh() {
    OnInitDialog();
}

void CRecordViewDlg::OnRecordSelect(int row) {
    if (row < 0) return;
    SetRecordControlsEnabled(true);
    m_viewer.SelectRecord(row);
    {
        const QSignalBlocker block(m_pages);
        m_pages->clear();
        for (const std::string& item : m_viewer.pageItems()) m_pages->addItem(FromStd(item));
        m_pages->setCurrentIndex(0);
    }
    ShowResults();
}

void CRecordViewDlg::OnPageSelect(int index) {
    if (index < 0) return;
    m_viewer.LoadPage(index);
    m_model.setRows(m_viewer.rows());
}

void CRecordViewDlg::OnDeleteRecord() {
    if (m_list->currentRow() < 0) return;
    m_viewer.DeleteSelected();
    OnRefresh();
}

void CRecordViewDlg::OnSearch() {
    m_viewer.Search(m_upper->text().toStdString(), m_lower->text().toStdString());
    ShowResults();
}

void CRecordViewDlg::OnExportCsv() {
    if (m_export || m_list->currentRow() < 0) return;
    const auto chosen = m_prompter.chooseSaveFile("", std::string(qm::kCsvFilter));
    if (!chosen) return;
    auto exporter = std::make_unique<qm::CsvExport>();
    if (!m_viewer.BeginExport(*exporter, *chosen)) return;
    m_export = std::move(exporter);
    // A long export shows its progress and can be stopped; the window stays live.
    m_exportProgress = new QProgressDialog(this);
    m_exportProgress->setWindowTitle(m_csv->text());
    m_exportProgress->setLabelText(FromStd(qm::CsvFileNameFor(*chosen)));
    m_exportProgress->setRange(0, static_cast<int>(std::min<long long>(m_export->total(), INT32_MAX)));
    m_exportProgress->setMinimumDuration(1000);
    m_exportProgress->setAutoClose(false);
    m_exportProgress->setAutoReset(false);
    m_exportProgress->setValue(0);
    m_csv->setEnabled(false);
    QTimer::singleShot(0, this, &CRecordViewDlg::StepExport);
}

void CRecordViewDlg::StepExport() {
    if (!m_export) return;
    if (m_exportProgress && m_exportProgress->wasCanceled()) return EndExport(false);
    const qm::DbStatus st = m_export->Step(kExportRowsPerStep);
    if (!st) {
        m_prompter.message({st.message(), "", qm::PromptIcon::Warning});
        return EndExport(false);
    }
    if (m_exportProgress)
        m_exportProgress->setValue(static_cast<int>(std::min<long long>(m_export->written(), INT32_MAX)));
    if (m_export->done()) return EndExport(true);
    QTimer::singleShot(0, this, &CRecordViewDlg::StepExport);
}

void CRecordViewDlg::EndExport(bool finished) {
    std::unique_ptr<qm::CsvExport> exporter = std::move(m_export);
    if (m_exportProgress) {
        m_exportProgress->deleteLater();
        m_exportProgress = nullptr;
    }
    m_csv->setEnabled(m_list->currentRow() >= 0);
    if (finished)
        m_viewer.FinishExport(*exporter);
    else
        exporter->Abandon();
}

void CRecordViewDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter moves from the upper limit to the lower one and searches
        // from there; it never closes the page.
        if (focusWidget() == m_upper) {
            m_upper->setText(FromStd(qm::UpperLimitEnterText(m_upper->text().toStdString())));
            m_lower->setFocus();
        } else if (focusWidget() == m_lower) {
            OnSearch();
        }
        return;
    }
    CPageFrame::keyPressEvent(event);
}
