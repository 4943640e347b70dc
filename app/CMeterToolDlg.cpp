#include "app/CMeterToolDlg.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/CAboutDlg.h"
#include "app/CShapeButton.h"
#include "app/DeviceSettingsLink.h"
#include "app/FittedLabelWidget.h"
#include "app/LiveChartWidget.h"
#include "app/MainWindowIds.h"
#include "ui/QtIcons.h"
#include "config/CDeviceSettingsDlg.h"
#include "console/CCommandConsoleDlg.h"
#include "records/CMultipleReadingsDlg.h"
#include "records/CReadingSettingsDlg.h"
#include "records/CRecordChartDlg.h"
#include "records/CRecordViewDlg.h"
#include "ui/CPageFrame.h"

using namespace qm::mainwindow;

namespace {

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr int kCapKey = 1093;
constexpr int kTcouplKey = 1092;

}  // namespace

CMeterToolDlg::CMeterToolDlg(qm::Prompter& prompter, qm::Clock& clock, QWidget* parent)
    : CMeterToolDlg(prompter, clock, Options{}, parent) {}

CMeterToolDlg::CMeterToolDlg(qm::Prompter& prompter, qm::Clock& clock, const Options& options,
                             QWidget* parent)
    : QDialog(parent), m_prompter(prompter), m_tool(prompter, m_texts, clock) {
    setObjectName(QString::number(kMainWindowDialog));
    setWindowTitle("DA-VIVO");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);

    m_recordChartDlg = new CRecordChartDlg(prompter, m_texts, this);
    m_recordViewDlg = new CRecordViewDlg(prompter, m_texts, this);
    m_multipleReadingsDlg = new CMultipleReadingsDlg(
        m_tool.sessions(),
        [this] {
            std::vector<std::string> labels;
            for (int slot = 0; slot < m_tool.deviceCount(); ++slot) labels.push_back(m_tool.LabelOf(slot));
            return labels;
        },
        prompter, m_tool.clock(), m_texts, this);
    m_readingSettingsDlg = new CReadingSettingsDlg(m_texts, prompter, this);
    m_deviceSettingsDlg =
        new CDeviceSettingsDlg(m_texts, qm::DeviceSettingsLinkFor(m_tool), m_prompter, this);
    m_commandConsoleDlg = new CCommandConsoleDlg(m_texts, m_tool, this);

    BuildMenu();
    BuildToolBar();
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->setMenuBar(m_menuBar);
    root->addWidget(m_toolBar);
    auto* toolRule = new QFrame(this);
    toolRule->setFrameShape(QFrame::HLine);
    toolRule->setFrameShadow(QFrame::Sunken);
    root->addWidget(toolRule);

    auto* content = new QVBoxLayout;
    content->setContentsMargins(10, 10, 10, 10);
    content->setSpacing(10);
    auto* body = new QHBoxLayout;
    body->setSpacing(10);
    body->addWidget(BuildStatusColumn());
    auto* centre = new QVBoxLayout;
    centre->setSpacing(6);
    centre->addWidget(BuildDisplayPanel());
    m_chart = new qm::LiveChartWidget(this);
    m_chart->setModel(&m_tool.chart());
    m_chart->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    centre->addWidget(m_chart, 1);
    m_xAxisLabel = new QLabel(this);
    m_xAxisLabel->setObjectName(QString::number(kXAxisLabel));
    m_xAxisLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    centre->addWidget(m_xAxisLabel);
    body->addLayout(centre, 1);
    body->addWidget(BuildChartControls());
    content->addLayout(body, 1);
    content->addWidget(BuildFunctionKeys());
    root->addLayout(content, 1);
    resize(1180, 760);

    // Buttons start as the window's resources have them: all enabled.
    m_capabilities.capEnabled = true;
    m_capabilities.tcouplEnabled = true;
    m_secondListEnabled = true;

    m_readTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_readTimer, &QTimer::timeout, this, &CMeterToolDlg::OnTimer);
    m_tool.loop().SetView(this);
    OnInitDialog(options);
}

CMeterToolDlg::~CMeterToolDlg() {
    m_readTimer.stop();
    m_tool.loop().SetView(nullptr);
    m_tool.CloseAll();
    // The controls go first, while the objects their handlers use still exist.
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
}

QAction* CMeterToolDlg::action(int commandId) const {
    const auto it = m_actions.find(commandId);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMeterToolDlg::OnInitDialog(const Options& options) {
    setWindowIcon(qmIcon("qm_tool"));
    if (!m_texts.FileExists()) {
        m_prompter.error(std::string(qm::kMissingLanguageFileMessage),
                         std::string(qm::kMissingLanguageFileCaption));
    }
    action(kCmdToolbarStop)->setEnabled(false);
    for (auto& [id, key] : m_functionKeys) key->SetShape(3);
    action(kCmdStopReading)->setEnabled(false);
    ApplyLanguage(options.language.empty() ? std::string(qm::kLanguageEnglish) : options.language);

    m_readingSpeed->setCurrentIndex(0);
    m_tool.function().OnReadingSpeedSelChange(m_readingSpeed->itemText(0).toStdString());
    m_triggerInterval->setText(FromStd(m_tool.function().triggerIntervalText()));
    m_lines[0].secondLamp->hide();

    ApplyRefreshView(m_tool.Refresh());

    m_xMax->setCurrentIndex(qm::kDefaultXMaxEntry);
    m_xAxisLabel->setText(FromStd(m_tool.function().xAxisLabel()));
    DrawColourLamps();
    RedrawChart();
}

void CMeterToolDlg::ApplyLanguage(const std::string& language) {
    m_texts.SetLanguage(language);
    m_texts.WriteLanguageId();
    for (const qm::MenuText& entry : qm::MainMenuTexts()) {
        const QString text = FromStd(m_texts.GetText(entry.key, entry.englishDefault));
        if (entry.item < 0) {
            if (entry.menu >= 0 && entry.menu < static_cast<int>(m_menus.size()))
                m_menus[static_cast<std::size_t>(entry.menu)]->setTitle(text);
        } else if (QAction* a = action(entry.commandId)) {
            a->setText(text);
        }
    }
    for (const qm::ControlText& tip : qm::ToolbarTipTexts()) {
        if (QAction* a = action(tip.id)) {
            const QString text = FromStd(m_texts.GetText(tip.key, tip.englishDefault));
            a->setToolTip(text);
            a->setText(text);
        }
    }
    for (const qm::ControlText& label : qm::MainWindowLabelTexts()) {
        const auto it = m_labels.find(label.id);
        if (it != m_labels.end())
            it->second->setText(FromStd(m_texts.GetText(label.key, label.englishDefault)));
    }
    ApplyFonts();
    for (CPageFrame* page : findChildren<CPageFrame*>()) page->ApplyTexts();
}

// --- device list and selection ------------------------------------------------

void CMeterToolDlg::FillDeviceList(const std::vector<std::string>& entries, int selected) {
    const QSignalBlocker block(m_deviceList);
    m_deviceList->clear();
    for (const std::string& entry : entries) m_deviceList->addItem(FromStd(entry));
    m_deviceList->setCurrentRow(selected);
}

void CMeterToolDlg::ApplyRefreshView(const qm::RefreshView& view) {
    FillDeviceList(view.list.entries, -1);
    m_listEnabled = view.list.enabled;
    for (int line = 1; line < 4; ++line) ShowDeviceLine(line, false);
    if (view.noDevice) {
        m_deviceList->setToolTip(FromStd(m_tool.currentIdentity()));
        m_secondFunctionLabel->hide();
        m_secondMarkerA->hide();
        m_secondMarkerB->hide();
        ShowDeviceLine(0, false);
        m_secondFunction->show();
    } else {
        {
            const QSignalBlocker block(m_deviceList);
            m_deviceList->setCurrentRow(view.list.selected);
        }
        ShowDeviceLine(0, true);
        if (view.selection) ApplySelection(*view.selection);
    }
    ShowStatusTexts();
    ApplyControlStates();
    for (DeviceLine& line : m_lines) {
        line.value->setText("0");
        line.value->setProperty("silent", false);
        line.value->setToolTip(QString());
    }
    m_lineRadios[0]->setChecked(true);
    ShowChartLineFields(m_tool.chart().selectLine(0));
}

void CMeterToolDlg::ApplySelection(const qm::SelectionView& view) {
    if (view.slot == qm::kNoSlot) return;
    m_deviceList->setToolTip(FromStd(view.identity));
    if (!m_tool.function().multiMode()) m_lines[0].caption->setText(FromStd(view.displayText));
    // The status refresh runs first: the model's limits below have the last word.
    ApplyDisplayUpdate(view.display);
    m_capabilities = view.capabilities;
    m_functionKeys[kTcouplKey]->setVisible(m_capabilities.tcouplVisible);
    m_secondFunctionLabel->setVisible(m_capabilities.secondLabelVisible);
    m_secondFunctionLabel->setEnabled(m_capabilities.secondLabelEnabled);
    m_secondMarkerA->setVisible(m_capabilities.secondMarkersVisible);
    m_secondMarkerB->setVisible(m_capabilities.secondMarkersVisible);
    m_secondFunction->setVisible(m_capabilities.secondComboVisible);
    if (m_capabilities.secondComboEnabled) m_secondListEnabled = *m_capabilities.secondComboEnabled;
    ApplyControlStates();
}

void CMeterToolDlg::ApplyDisplayUpdate(const qm::FunctionDisplayUpdate& update) {
    ShowStatusTexts();
    if (!update.changed) return;
    ApplySecondValueLines(update.lines);
    if (update.secondList) ApplySecondFunctionList(*update.secondList);
}

void CMeterToolDlg::ApplySecondFunctionList(const qm::SecondFunctionList& list) {
    {
        const QSignalBlocker block(m_secondFunction);
        m_secondFunction->clear();
        for (const std::string& entry : list.entries) m_secondFunction->addItem(FromStd(entry));
        m_secondFunction->setCurrentIndex(list.selection ? *list.selection : -1);
    }
    m_secondListEnabled = list.enabled;
    ApplyControlStates();
}

void CMeterToolDlg::ApplySecondValueLines(const std::vector<qm::SecondValueLine>& lines) {
    for (int line = 0; line < 4; ++line) HideSecondValue(line);
    for (const qm::SecondValueLine& shown : lines) {
        if (shown.line < 0 || shown.line >= 4) continue;
        DeviceLine& line = m_lines[static_cast<std::size_t>(shown.line)];
        line.functionName->setText(FromStd(shown.functionCaption));
        if (!shown.secondShown) continue;
        line.secondName->setText(FromStd(shown.secondCaption));
        for (QWidget* w :
             {static_cast<QWidget*>(line.secondValue), static_cast<QWidget*>(line.secondName),
              static_cast<QWidget*>(line.secondLamp), static_cast<QWidget*>(line.secondMarker)})
            w->show();
        m_lineRadios[static_cast<std::size_t>(4 + shown.line)]->show();
        m_chart->setMarkerVisible(4 + shown.line, true);
    }
}

void CMeterToolDlg::ShowStatusTexts() {
    m_functionStatus->setText(FromStd(m_tool.function().functionText()));
    m_rangeStatus->setText(FromStd(m_tool.function().rangeText()));
}

void CMeterToolDlg::ShowDeviceLine(int line, bool shown) {
    if (line < 0 || line >= 4) return;
    DeviceLine& l = m_lines[static_cast<std::size_t>(line)];
    for (QWidget* w : {static_cast<QWidget*>(l.caption), static_cast<QWidget*>(l.lamp),
                       static_cast<QWidget*>(l.functionName), static_cast<QWidget*>(l.value)})
        w->setVisible(shown);
    m_lineRadios[static_cast<std::size_t>(line)]->setVisible(shown);
    m_chart->setMarkerVisible(line, shown);
    if (!shown) HideSecondValue(line);
}

void CMeterToolDlg::HideSecondValue(int line) {
    if (line < 0 || line >= 4) return;
    DeviceLine& l = m_lines[static_cast<std::size_t>(line)];
    for (QWidget* w : {static_cast<QWidget*>(l.secondValue), static_cast<QWidget*>(l.secondName),
                       static_cast<QWidget*>(l.secondLamp), static_cast<QWidget*>(l.secondMarker)})
        w->hide();
    m_lineRadios[static_cast<std::size_t>(4 + line)]->hide();
    m_chart->setMarkerVisible(4 + line, false);
}

void CMeterToolDlg::ApplyControlStates() {
    const bool on = m_readingControlsEnabled;
    for (auto& [id, key] : m_functionKeys) {
        bool allowed = true;
        if (id == kCapKey) allowed = m_capabilities.capEnabled;
        if (id == kTcouplKey) allowed = m_capabilities.tcouplEnabled;
        key->setEnabled(on && allowed);
    }
    m_secondFunction->setEnabled(on && m_secondListEnabled);
    m_deviceList->setEnabled(on && m_listEnabled && !m_tool.loop().reading() &&
                             !m_tool.function().multiMode());
}

void CMeterToolDlg::OnDeviceListSelChange(int row) {
    if (row < 0) return;
    ApplySelection(m_tool.OnDeviceListSelChange(row));
}

void CMeterToolDlg::OnFunctionButton(int controlId) {
    const std::optional<qm::FunctionButtonResult> result = m_tool.PressFunctionButton(controlId);
    if (!result || !result->sent) return;
    m_lines[0].value->setText("0");
    ApplyDisplayUpdate(result->display);
}

void CMeterToolDlg::OnSecondFunctionSelChange(int index) {
    if (index < 0) return;
    m_tool.BeginOperation();
    const qm::SecondFunctionChange change = m_tool.function().OnSecondFunctionSelChange(
        m_secondFunction->itemText(index).toStdString());
    if (change.resetTraceSelection) ResetTraceSelection();
    ApplySecondFunctionList(change.rebuild.list);
    ApplySecondValueLines(change.rebuild.lines);
}

// --- menu commands -------------------------------------------------------------

bool CMeterToolDlg::GuardConnection() {
    return m_tool.CheckConnectionChanged() != -1;
}

void CMeterToolDlg::OnDeviceSettings() {
    if (!GuardConnection()) return;
    m_deviceSettingsDlg->exec();
    if (m_tool.deviceCount() > 0) OnDeviceListSelChange(m_tool.function().currentSlot());
}

void CMeterToolDlg::OnReadingSettings() {
    if (!GuardConnection()) return;
    m_readingSettingsDlg->Open(m_tool.ReadingSettingsContextFor());
    // Cancel leaves everything as it was.
    if (m_readingSettingsDlg->exec() != QDialog::Accepted) return;
    m_tool.ApplyReadingSettings(m_readingSettingsDlg->values());
    DrawColourLamps();
    ApplyReadingMode();
    RedrawChart();
}

void CMeterToolDlg::ApplyReadingMode() {
    for (int line = 1; line < 4; ++line) ShowDeviceLine(line, false);
    if (m_tool.deviceCount() == 0) return;
    const int slot = m_tool.function().currentSlot();
    if (m_tool.function().multiMode()) {
        // One device line per meter read, in the order they are read.
        const std::vector<int>& chosen = m_tool.loop().chosenSlots();
        for (std::size_t line = 0; line < chosen.size() && line < m_lines.size(); ++line) {
            ShowDeviceLine(static_cast<int>(line), true);
            m_lines[line].caption->setText(
                FromStd(qm::DisplayTextFor(m_tool.LabelOf(chosen[line]))));
        }
        FillDeviceList({"MultiDevice mode"}, -1);
        m_listEnabled = false;
    } else {
        std::vector<std::string> labels;
        for (const qm::DeviceSlot& device : m_tool.devices()) labels.push_back(device.label);
        FillDeviceList(labels, slot);
        m_listEnabled = true;
        m_lineRadios[0]->setChecked(true);
        ShowChartLineFields(m_tool.chart().selectLine(0));
    }
    for (DeviceLine& line : m_lines) line.value->setText("0");
    ApplySelection(m_tool.OnDeviceListSelChange(slot));
    ApplyControlStates();
}

void CMeterToolDlg::OnRefresh() {
    ApplyRefreshView(m_tool.Refresh());
    RedrawChart();
}

void CMeterToolDlg::OnExit() {
    reject();
}

void CMeterToolDlg::OnViewRecord() {
    m_recordViewDlg->exec();
}

void CMeterToolDlg::OnChartRecord() {
    m_recordChartDlg->exec();
}

void CMeterToolDlg::OnMultipleReadings() {
    if (!GuardConnection()) return;
    m_multipleReadingsDlg->exec();
}

void CMeterToolDlg::OnCommandControl() {
    if (!GuardConnection()) return;
    m_commandConsoleDlg->exec();
}

void CMeterToolDlg::OnAbout() {
    {
        CAboutDlg box(m_texts, m_prompter, this);
        box.exec();
    }
    ApplyLanguage(m_texts.language());
    if (m_tool.deviceCount() == 0) OnRefresh();
}

void CMeterToolDlg::OnStartReading() {
    m_tool.loop().OnStartReading();
}

void CMeterToolDlg::OnStopReading() {
    m_tool.loop().OnStopReading();
    ShowStatusTexts();
}

// --- keys and closing ------------------------------------------------------------

void CMeterToolDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (focusWidget() == m_dataOffsetEdit) OnDataOffsetEnter();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMeterToolDlg::reject() {
    OnCancel();
    QDialog::reject();
}

void CMeterToolDlg::OnCancel() {
    m_readTimer.stop();
    m_tool.CloseAll();
}
