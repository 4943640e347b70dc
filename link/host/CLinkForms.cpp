#include "link/host/CLinkForms.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "config/DeviceSettingsPage.h"
#include "listctl/DMMListQM.h"
#include "ui/QtIcons.h"

using qm::linkhost::AddinHost;
namespace texts = qm::linkhost::texts;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

template <class W>
W* Named(W* w, const char* name) {
    w->setObjectName(name);
    return w;
}

QPushButton* Button(QWidget* parent, const char* name) {
    auto* b = Named(new QPushButton(parent), name);
    b->setAutoDefault(false);
    return b;
}

QDialogButtonBox* Buttons(QWidget* parent, std::initializer_list<QPushButton*> buttons) {
    auto* box = new QDialogButtonBox(parent);
    for (QPushButton* b : buttons) box->addButton(b, QDialogButtonBox::ActionRole);
    return box;
}

}  // namespace

CLinkForm::CLinkForm(AddinHost& host, const char* name, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName(name);
    setWindowIcon(qmIcon("qm_tool"));
}

QString CLinkForm::T(const char* key, const char* english) const { return Q(host_.GetText(key, english)); }
QString CLinkForm::T(const qm::linkhost::HostText& text) const { return Q(host_.GetText(text)); }

// --- About ------------------------------------------------------------------------

CAboutLinkDlg::CAboutLinkDlg(AddinHost& host, QWidget* parent) : CLinkForm(host, "frmAbout", parent) {
    auto* icon = Named(new QLabel(this), "imgIcon");
    icon->setPixmap(qmIcon("qm_tool").pixmap(48, 48));
    title_ = Named(new QLabel(this), "lblTitle");
    QFont big = title_->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    title_->setFont(big);
    version_ = Named(new QLabel(this), "lblVersion");
    languageLabel_ = Named(new QLabel(this), "lblLanguage");
    language_ = Named(new QComboBox(this), "cboLanguage");
    ok_ = Button(this, "cmdOK");
    auto* grid = new QGridLayout(this);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(title_, 0, 1, 1, 2);
    grid->addWidget(version_, 1, 1, 1, 2);
    grid->addWidget(languageLabel_, 2, 1);
    grid->addWidget(language_, 2, 2);
    grid->addWidget(Buttons(this, {ok_}), 3, 0, 1, 3);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(language_, &QComboBox::activated, this, [this](int index) {
        host_.ChooseLanguage(index);
        Refresh();
        emit languageChanged();
    });
    Refresh();
}

void CAboutLinkDlg::Refresh() {
    setWindowTitle(QStringLiteral("About Varnet QM-Link"));
    title_->setText(QStringLiteral("Varnet QM-Link"));
    version_->setText(QStringLiteral("Version " QM_VERSION));
    languageLabel_->setText(T("201", "Language"));
    ok_->setText(T("07", "OK"));
    const auto names = host_.Languages();
    QSignalBlocker block(language_);
    language_->clear();
    for (const auto& n : names) language_->addItem(Q(n));
    language_->setCurrentIndex(host_.currentLanguage());
}

// --- Connect to Device --------------------------------------------------------------

CConnectDlg::CConnectDlg(AddinHost& host, QWidget* parent) : CLinkForm(host, "frmConnect", parent) {
    list_ = Named(new DMMListQM(this), "DMMListQM1");
    search_ = Button(this, "cmdSearch");
    ok_ = Button(this, "cmdOK");
    cancel_ = Button(this, "cmdCancel");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(search_);
    row->addStretch(1);
    row->addWidget(ok_);
    row->addWidget(cancel_);
    layout->addLayout(row);
    connect(search_, &QPushButton::clicked, this, [this] {
        host_.Search();
        Fill();
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
        Apply();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    resize(620, 300);
    Refresh();
}

void CConnectDlg::Refresh() {
    setWindowTitle(T(texts::kConnectTitle));
    search_->setText(T(texts::kSearchAgain));
    ok_->setText(T("07", "OK"));
    cancel_->setText(T(texts::kCancel));
    if (!host_.searched()) host_.Search();
    Fill();
}

void CConnectDlg::Fill() {
    // As the add-in fills the control: row by row from the identity table.
    list_->ListClear();
    auto& engine = host_.engine();
    for (std::int16_t i = 0; i < engine.m_DevCount; ++i) {
        if (!engine.GetIDN(i).ok()) break;
        list_->IDN(Q(engine.m_IDNbuff), Q(engine.m_IDNAddr));
    }
    list_->setMarkAddress(Q(host_.connectedAddress()));
    list_->selmark();
}

void CConnectDlg::Apply() {
    host_.ConnectAddress(list_->lvwNow() > 0 ? list_->markAddress().toStdString() : std::string());
}

// --- File Access ----------------------------------------------------------------------

CFileAccessDlg::CFileAccessDlg(AddinHost& host, QWidget* parent) : CLinkForm(host, "frmFiles", parent) {
    newCalc_ = Named(new QRadioButton(this), "optNewCalc");
    openCalc_ = Named(new QRadioButton(this), "optOpenCalc");
    xlsx_ = Named(new QRadioButton(this), "optXlsx");
    documents_ = Named(new QComboBox(this), "cboDocuments");
    path_ = Named(new QLineEdit(this), "txtPath");
    path_->setMinimumWidth(path_->fontMetrics().averageCharWidth() * 32);  // room for a path
    browse_ = Button(this, "cmdBrowse");
    sheetLabel_ = Named(new QLabel(this), "lblSheet");
    sheetName_ = Named(new QLineEdit(QStringLiteral("QM-Link"), this), "txtSheet");
    current_ = Named(new QLabel(this), "lblCurrent");
    current_->setWordWrap(true);
    ok_ = Button(this, "cmdOK");
    cancel_ = Button(this, "cmdCancel");
    newCalc_->setChecked(true);
    auto* grid = new QGridLayout(this);
    grid->addWidget(newCalc_, 0, 0, 1, 3);
    grid->addWidget(openCalc_, 1, 0, 1, 3);
    grid->addWidget(documents_, 2, 1, 1, 2);
    grid->addWidget(xlsx_, 3, 0, 1, 3);
    grid->addWidget(path_, 4, 1);
    grid->addWidget(browse_, 4, 2);
    grid->addWidget(sheetLabel_, 5, 0, 1, 2);
    grid->addWidget(sheetName_, 5, 2);
    grid->addWidget(current_, 6, 0, 1, 3);
    grid->addWidget(Buttons(this, {ok_, cancel_}), 7, 0, 1, 3);
    grid->setColumnMinimumWidth(0, 20);
    connect(browse_, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getSaveFileName(this, xlsx_->text(), path_->text(),
                                                          QStringLiteral("Excel 2007-365 (*.xlsx)"));
        if (!file.isEmpty()) {
            path_->setText(file.endsWith(".xlsx", Qt::CaseInsensitive) ? file : file + ".xlsx");
            xlsx_->setChecked(true);
        }
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (Apply()) accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    Refresh();
}

void CFileAccessDlg::Refresh() {
    setWindowTitle(T(texts::kFilesTitle));
    newCalc_->setText(T(texts::kNewCalc));
    openCalc_->setText(T(texts::kOpenCalc));
    xlsx_->setText(T(texts::kXlsx));
    browse_->setText(T(texts::kBrowse));
    sheetLabel_->setText(T(texts::kSheetName));
    ok_->setText(T("07", "OK"));
    cancel_->setText(T(texts::kCancel));
    current_->setText(host_.hasSheet() ? T(texts::kLoggingInto) + " " + Q(host_.workbookName()) : QString());
    const QString chosen = documents_->currentText();
    documents_->clear();
    for (const auto& title : host_.office().OpenDocuments()) documents_->addItem(Q(title));
    if (!chosen.isEmpty()) documents_->setCurrentText(chosen);
    openCalc_->setEnabled(documents_->count() > 0);
}

bool CFileAccessDlg::Apply() {
    qm::linkhost::SheetChoice choice;
    choice.sheetName = sheetName_->text().trimmed().toStdString();
    if (openCalc_->isChecked()) {
        choice.kind = qm::linkhost::SheetChoice::Kind::OpenCalc;
        choice.document = documents_->currentIndex();
    } else if (xlsx_->isChecked()) {
        choice.kind = qm::linkhost::SheetChoice::Kind::Xlsx;
        choice.path = path_->text().trimmed().toStdString();
        if (choice.path.empty()) {
            host_.prompter().warn(T(texts::kXlsx).toStdString(), qm::linkhost::host_texts::kProduct);
            return false;
        }
    }
    if (!host_.MakeLoggingSheet(choice)) return false;
    Refresh();
    return true;
}

// --- Set up Instrument --------------------------------------------------------------

CSetupDlg::CSetupDlg(AddinHost& host, QWidget* parent) : CLinkForm(host, "frmFuncs", parent) {
    page_ = std::make_unique<qm::DeviceSettingsPage>(host.SetupLink(), host.prompter(), host);
    device_ = Named(new QLabel(this), "lblDevice");
    functionLabel_ = Named(new QLabel(this), "lblFunction");
    function_ = Named(new QComboBox(this), "cboFunction");
    rangeLabel_ = Named(new QLabel(this), "lblRange");
    range_ = Named(new QComboBox(this), "cboRange");
    set_ = Button(this, "cmdSet");
    get_ = Button(this, "cmdGet");
    close_ = Button(this, "cmdClose");
    auto* form = new QFormLayout(this);
    form->addRow(device_);
    form->addRow(functionLabel_, function_);
    form->addRow(rangeLabel_, range_);
    form->addRow(Buttons(this, {set_, get_, close_}));
    connect(function_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (showing_ || i < 0) return;
        page_->OnFunctionSelChange(i);
        Show();
    });
    connect(range_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (showing_ || i < 0) return;
        page_->OnRangeSelChange(i);
        Show();
    });
    connect(set_, &QPushButton::clicked, this, [this] {
        page_->OnSet();
        Show();
    });
    connect(get_, &QPushButton::clicked, this, [this] {
        page_->OnGetSettings();
        Show();
    });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    setMinimumWidth(380);
    Refresh();
}

CSetupDlg::~CSetupDlg() = default;

void CSetupDlg::Refresh() {
    setWindowTitle(T(texts::kSetupTitle));
    functionLabel_->setText(T("86", "Function"));
    rangeLabel_->setText(T("87", "Range"));
    set_->setText(T("93", "Submit"));
    get_->setText(T("94", "Get Multimeter Setting"));
    close_->setText(T(texts::kClose));
    page_->OnInitDialog();
    Show();
}

void CSetupDlg::Show() {
    const qm::DeviceSettingsView v = page_->View();
    showing_ = true;
    device_->setText(v.noDevice ? T("1000", "No Device Connected")
                                : T(texts::kInstrument) + " " + Q(host_.connectedIdentity()));
    auto fill = [](QComboBox* box, const qm::ComboView& view) {
        box->clear();
        for (const auto& e : view.entries) box->addItem(Q(e));
        box->setCurrentIndex(view.selected);
    };
    fill(function_, v.functions);
    fill(range_, v.range);
    rangeLabel_->setText(v.rangeCaption.empty() ? T("87", "Range") : Q(v.rangeCaption));
    for (QWidget* w : {static_cast<QWidget*>(function_), static_cast<QWidget*>(range_),
                       static_cast<QWidget*>(set_), static_cast<QWidget*>(get_)})
        w->setEnabled(!v.noDevice);
    showing_ = false;
}

// --- Get Single Reading -----------------------------------------------------------------

CReadingDlg::CReadingDlg(AddinHost& host, QWidget* parent) : CLinkForm(host, "frmMeas", parent) {
    device_ = Named(new QLabel(this), "lblDevice");
    value_ = Named(new QLabel(QStringLiteral("----"), this), "lblValue");
    QFont big = value_->font();
    big.setPointSize(big.pointSize() * 2);
    value_->setFont(big);
    value_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value_->setMinimumWidth(280);
    read_ = Button(this, "cmdRead");
    close_ = Button(this, "cmdClose");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(device_);
    layout->addWidget(value_);
    layout->addWidget(Buttons(this, {read_, close_}));
    connect(read_, &QPushButton::clicked, this, &CReadingDlg::Read);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    Refresh();
}

void CReadingDlg::Refresh() {
    setWindowTitle(T(texts::kReadingTitle));
    read_->setText(T(texts::kRead));
    close_->setText(T(texts::kClose));
    const std::string identity = host_.connectedIdentity();
    device_->setText(identity.empty() ? T("1000", "No Device Connected") : Q(identity));
    read_->setEnabled(!identity.empty());
}

void CReadingDlg::Read() {
    if (auto text = host_.SingleReading()) value_->setText(Q(*text));
}

// --- Logging Charts -----------------------------------------------------------------------

CLoggingChartsDlg::CLoggingChartsDlg(AddinHost& host, QWidget* parent)
    : CLinkForm(host, "frmChart", parent) {
    auto edit = [this](const char* name, int width) {
        auto* e = Named(new QLineEdit(this), name);
        e->setMaximumWidth(width);
        return e;
    };
    auto group = [this](std::initializer_list<std::pair<const char*, int>> options, QWidget* box) {
        auto* g = new QButtonGroup(this);
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);  // the options line up with their caption
        for (const auto& [name, id] : options) {
            auto* r = Named(new QRadioButton(box), name);
            g->addButton(r, id);
            layout->addWidget(r);
        }
        return g;
    };
    readingsLabel_ = Named(new QLabel(this), "lblReadings");
    readings_ = edit("txtReadings", 120);
    startLabel_ = Named(new QLabel(this), "lblStart");
    auto* startBox = new QWidget(this);
    begin_ = group({{"optBegin1", 1}, {"optBegin2", 2}, {"optBegin3", 3}}, startBox);
    atTime_ = edit("txtAtTime", 200);
    stopLabel_ = Named(new QLabel(this), "lblStop");
    auto* stopBox = new QWidget(this);
    stop_ = group({{"optStop1", 1}, {"optStop2", 2}, {"optStop3", 3}}, stopBox);
    stopHH_ = edit("txtStopHH", 50);
    stopNN_ = edit("txtStopNN", 50);
    stopSS_ = edit("txtStopSS", 50);
    chartLabel_ = Named(new QLabel(this), "lblChart");
    auto* chartBox = new QWidget(this);
    chart_ = group({{"optChart0", 0}, {"optChart1", 1}, {"optChart2", 2}}, chartBox);
    inSheet_ = Named(new QCheckBox(this), "chkInSheet");
    pointsLabel_ = Named(new QLabel(this), "lblPoints");
    points_ = edit("txtPoints", 120);
    intervalLabel_ = Named(new QLabel(this), "lblInterval");
    interval_ = edit("txtInterval", 120);
    ok_ = Button(this, "cmdOK");
    cancel_ = Button(this, "cmdCancel");

    auto* grid = new QGridLayout(this);
    int row = 0;
    grid->addWidget(readingsLabel_, row, 0);
    grid->addWidget(readings_, row++, 1);
    grid->addWidget(startLabel_, row, 0, Qt::AlignTop);
    grid->addWidget(startBox, row++, 1);
    grid->addWidget(atTime_, row++, 1);
    grid->addWidget(stopLabel_, row, 0, Qt::AlignTop);
    grid->addWidget(stopBox, row++, 1);
    auto* hms = new QHBoxLayout;
    for (QLineEdit* e : {stopHH_, stopNN_, stopSS_}) hms->addWidget(e);
    hms->addStretch(1);
    grid->addLayout(hms, row++, 1);
    grid->addWidget(chartLabel_, row, 0, Qt::AlignTop);
    grid->addWidget(chartBox, row++, 1);
    grid->addWidget(inSheet_, row++, 1);
    grid->addWidget(pointsLabel_, row, 0);
    grid->addWidget(points_, row++, 1);
    grid->addWidget(intervalLabel_, row, 0);
    grid->addWidget(interval_, row++, 1);
    grid->addWidget(Buttons(this, {ok_, cancel_}), row, 0, 1, 2);
    connect(begin_, &QButtonGroup::idClicked, this, &CLoggingChartsDlg::EnableFields);
    connect(stop_, &QButtonGroup::idClicked, this, &CLoggingChartsDlg::EnableFields);
    connect(chart_, &QButtonGroup::idClicked, this, &CLoggingChartsDlg::EnableFields);
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (Apply()) accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    Refresh();
}

void CLoggingChartsDlg::Refresh() {
    setWindowTitle(T(texts::kChartsTitle));
    readingsLabel_->setText(T("170", "Number of Readings"));
    startLabel_->setText(T(texts::kStart));
    begin_->button(1)->setText(T(texts::kAtOnce));
    begin_->button(2)->setText(T(texts::kAtTime));
    begin_->button(3)->setText(T(texts::kOnTrigger));
    stopLabel_->setText(T(texts::kStop));
    stop_->button(1)->setText(T(texts::kAfterReadings));
    stop_->button(2)->setText(T(texts::kAfterTime));
    stop_->button(3)->setText(T(texts::kOnlyWithStop));
    chartLabel_->setText(T(texts::kChart));
    chart_->button(0)->setText(T(texts::kNoChart));
    chart_->button(1)->setText(T(texts::kAllReadings));
    chart_->button(2)->setText(T(texts::kStripChart));
    inSheet_->setText(T(texts::kOnDataSheet));
    pointsLabel_->setText(T(texts::kStripWindow));
    intervalLabel_->setText(T(texts::kInterval));
    ok_->setText(T("07", "OK"));
    cancel_->setText(T(texts::kCancel));
    const qm::linkhost::LoggingParameters p = host_.LoadParameters();
    readings_->setText(QString::number(p.readings));
    if (auto* b = begin_->button(p.begin)) b->setChecked(true);
    atTime_->setText(Q(p.atTime));
    if (auto* b = stop_->button(p.terminating)) b->setChecked(true);
    stopHH_->setText(Q(p.stopHH));
    stopNN_->setText(Q(p.stopNN));
    stopSS_->setText(Q(p.stopSS));
    if (auto* b = chart_->button(p.chart)) b->setChecked(true);
    inSheet_->setChecked(p.inSheet);
    points_->setText(QString::number(p.points));
    interval_->setText(QString::number(p.interval));
    EnableFields();
}

void CLoggingChartsDlg::EnableFields() {
    atTime_->setEnabled(begin_->checkedId() == 2);
    for (QLineEdit* e : {stopHH_, stopNN_, stopSS_}) e->setEnabled(stop_->checkedId() == 2);
    readings_->setEnabled(stop_->checkedId() == 1);
    inSheet_->setEnabled(chart_->checkedId() > 0);
    points_->setEnabled(chart_->checkedId() == 2);
}

bool CLoggingChartsDlg::Apply() {
    auto number = [](QLineEdit* e) {
        bool ok = false;
        const long v = e->text().trimmed().toLong(&ok);
        return ok ? static_cast<std::int32_t>(std::clamp<long>(v, -1, 2000000000)) : -1;
    };
    qm::linkhost::LoggingParameters p;
    p.readings = number(readings_);
    p.begin = begin_->checkedId();
    p.atTime = atTime_->text().trimmed().toStdString();
    p.terminating = stop_->checkedId();
    p.stopHH = stopHH_->text().toStdString();
    p.stopNN = stopNN_->text().toStdString();
    p.stopSS = stopSS_->text().toStdString();
    p.chart = static_cast<std::int16_t>(chart_->checkedId());
    p.inSheet = inSheet_->isChecked();
    p.points = number(points_);
    p.interval = number(interval_);
    if (auto problem = host_.CheckParameters(p)) {
        host_.prompter().warn(*problem, qm::linkhost::host_texts::kProduct);
        return false;
    }
    host_.SaveParameters(p);
    return true;
}
