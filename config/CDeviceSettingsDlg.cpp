#include "config/CDeviceSettingsDlg.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <utility>

#include "config/DeviceSettingsIds.h"
#include "platform/TextSource.h"

using namespace qm::devicesettings;

namespace {

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

template <typename W>
W* Named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

// Optional controls keep their place when hidden, so that the page does not
// jump about while the user goes through the functions.
void KeepPlace(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

void FillCombo(QComboBox* combo, const qm::ComboView& view) {
    const QSignalBlocker block(combo);
    combo->clear();
    for (const std::string& entry : view.entries) combo->addItem(FromStd(entry));
    combo->setCurrentIndex(view.selected);
}

void FillList(QListWidget* list, const qm::ComboView& view) {
    const QSignalBlocker block(list);
    list->clear();
    for (const std::string& entry : view.entries) list->addItem(FromStd(entry));
    list->setCurrentRow(view.selected);
}

// Pairs of the coefficient panel: caption and edit identifiers by position.
constexpr std::array<std::pair<int, int>, qm::kCoefficientCount> kCoefficientIds{
    {{1032, 1118}, {1034, 1120}, {1037, 1119}, {1035, 1121}, {1038, 1122}, {1036, 1123}}};
constexpr std::array<const char*, qm::kCoefficientCount> kCoefficientDefaults{
    "Alpha", "Beta", "Delta", "Rezero", "B7", "C7"};

}  // namespace

CDeviceSettingsDlg::CDeviceSettingsDlg(const qm::TextSource& texts, qm::DeviceSettingsLink link,
                                       qm::Prompter& prompter, QWidget* parent)
    : CPageFrame(kDialogId, {"01", "Device Settings", "95", "Exit"}, texts, parent),
      m_page(std::move(link), prompter, texts),
      m_prompter(prompter) {
    exitButton()->setObjectName(QString::number(kExit));
    BuildControls();
    ApplyFixedTexts();
}

void CDeviceSettingsDlg::BuildControls() {
    QWidget* parent = body();
    // The controls decide how small the page may get, in every language.
    parent->setMinimumSize(0, 0);
    auto* columns = new QHBoxLayout(parent);

    auto* left = new QVBoxLayout;
    m_deviceListCaption = Named(new QLabel(parent), kDeviceListCaption);
    m_deviceList = Named(new QListWidget(parent), kDeviceList);
    m_deviceList->setMinimumWidth(230);
    m_getSettings = Named(new QPushButton(parent), kGetSettings);
    m_getSettings->hide();  // the read-back runs on every device and function change
    left->addWidget(m_deviceListCaption);
    left->addWidget(m_deviceList, 1);
    left->addWidget(m_getSettings);
    columns->addLayout(left);

    m_settingsGroup = Named(new QGroupBox(parent), kSettingsGroup);
    auto* group = new QHBoxLayout(m_settingsGroup);
    auto* functionColumn = new QVBoxLayout;
    m_functionCaption = Named(new QLabel(m_settingsGroup), kFunctionCaption);
    m_functionList = Named(new QListWidget(m_settingsGroup), kFunctionList);
    m_functionList->setMinimumWidth(150);
    functionColumn->addWidget(m_functionCaption);
    functionColumn->addWidget(m_functionList, 1);
    group->addLayout(functionColumn);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    int line = 0;
    auto addPair = [&](QLabel*& caption, int captionId, QComboBox*& combo, int comboId,
                       const char* defaultText) {
        caption = Named(new QLabel(QString::fromUtf8(defaultText), m_settingsGroup), captionId);
        combo = Named(new QComboBox(m_settingsGroup), comboId);
        combo->setMinimumContentsLength(10);
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        KeepPlace(caption);
        KeepPlace(combo);
        grid->addWidget(caption, line, 0);
        grid->addWidget(combo, line, 1, 1, 3);
        ++line;
    };
    addPair(m_rangeCaption, kRangeCaption, m_range, kRangeCombo, "Range");
    addPair(m_columnCaption, kColumnCaption, m_column, kColumnCombo, "Digits");
    addPair(m_transducerCaption, kTransducerCaption, m_transducer, kTransducerCombo, "Transducer");
    auto* rule = new QFrame(m_settingsGroup);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid->addWidget(rule, line++, 0, 1, 4);
    addPair(m_function2Caption, kFunction2Caption, m_function2, kFunction2Combo, "2ND function");
    addPair(m_range2Caption, kRange2Caption, m_range2, kRange2Combo, "Range");
    addPair(m_setting2Caption, kSetting2Caption, m_setting2, kSetting2Combo, "NPLC");
    addPair(m_transducer2Caption, kTransducer2Caption, m_transducer2, kTransducer2Combo,
            "Transducer");
    auto* rule2 = new QFrame(m_settingsGroup);
    rule2->setFrameShape(QFrame::HLine);
    rule2->setFrameShadow(QFrame::Sunken);
    grid->addWidget(rule2, line++, 0, 1, 4);
    // The coefficient panel: two pairs a line.
    for (int pos = 0; pos < qm::kCoefficientCount; ++pos) {
        auto* caption = Named(new QLabel(kCoefficientDefaults[pos], m_settingsGroup),
                              kCoefficientIds[pos].first);
        auto* edit = Named(new QLineEdit(m_settingsGroup), kCoefficientIds[pos].second);
        edit->setMinimumWidth(90);
        KeepPlace(caption);
        KeepPlace(edit);
        caption->hide();
        edit->hide();
        grid->addWidget(caption, line + pos / 2, (pos % 2) * 2);
        grid->addWidget(edit, line + pos / 2, (pos % 2) * 2 + 1);
        m_coefCaptions[static_cast<std::size_t>(pos)] = caption;
        m_coefEdits[static_cast<std::size_t>(pos)] = edit;
        connect(edit, &QLineEdit::textEdited, this, [this, pos](const QString& text) {
            m_page.OnCoefficientEdit(pos, text.toStdString());
        });
    }
    line += qm::kCoefficientCount / 2;
    grid->setRowStretch(line, 1);
    auto* unused = Named(new QComboBox(m_settingsGroup), kUnusedCombo);
    unused->setEnabled(false);
    unused->hide();

    auto* setRow = new QHBoxLayout;
    setRow->addStretch(1);
    m_set = Named(new QPushButton(m_settingsGroup), kSet);
    m_set->setMinimumWidth(110);
    setRow->addWidget(m_set);
    grid->addLayout(setRow, line + 1, 0, 1, 4);
    group->addLayout(grid, 1);
    columns->addWidget(m_settingsGroup, 1);

    connect(m_deviceList, &QListWidget::currentRowChanged, this,
            [this](int row) { Forward([&] { m_page.OnDeviceSelChange(row); }); });
    connect(m_functionList, &QListWidget::currentRowChanged, this,
            [this](int row) { Forward([&] { m_page.OnFunctionSelChange(row); }); });
    auto onCombo = [this](QComboBox* combo, void (qm::DeviceSettingsPage::*handler)(int)) {
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, handler](int index) { Forward([&] { (m_page.*handler)(index); }); });
    };
    onCombo(m_range, &qm::DeviceSettingsPage::OnRangeSelChange);
    onCombo(m_column, &qm::DeviceSettingsPage::OnColumnSelChange);
    onCombo(m_transducer, &qm::DeviceSettingsPage::OnTransducerSelChange);
    onCombo(m_function2, &qm::DeviceSettingsPage::OnSecondFunctionSelChangePage);
    onCombo(m_range2, &qm::DeviceSettingsPage::OnRange2SelChange);
    onCombo(m_setting2, &qm::DeviceSettingsPage::OnSetting2SelChange);
    onCombo(m_transducer2, &qm::DeviceSettingsPage::OnTransducer2SelChange);
    connect(m_set, &QPushButton::clicked, this, &CDeviceSettingsDlg::OnSet);
    connect(m_getSettings, &QPushButton::clicked, this, &CDeviceSettingsDlg::OnGetSettings);
    ReserveRoom();
}

void CDeviceSettingsDlg::ReserveRoom() {
    // All fourteen functions in view without scrolling.
    m_functionList->setMinimumHeight(14 * m_functionList->fontMetrics().height() + 16);
}

void CDeviceSettingsDlg::changeEvent(QEvent* event) {
    CPageFrame::changeEvent(event);
    // The page takes the main window's fonts, which follow the language.
    if (event->type() == QEvent::FontChange && m_functionList) {
        ReserveRoom();
        SettleLayout();
    }
}

void CDeviceSettingsDlg::SettleLayout() {
    // A caption or a control that changed tells its layout at once, but the
    // layouts above learn of it only through posted events, one level per
    // pass of the event loop; until then the page would give its captions
    // the room of the function shown before, and a page at its smallest size
    // would cut them. Each layout is brought up to date from the inside out,
    // so that the page's minimum size is that of what it shows now, and the
    // page grows at once when it needs more room.
    for (QWidget* w : std::initializer_list<QWidget*>{m_settingsGroup, body(), this})
        if (QLayout* l = w->layout()) l->activate();
}

template <typename F>
void CDeviceSettingsDlg::Forward(F&& handler) {
    {
        qm::WaitCursor wait(m_prompter);
        handler();
    }
    ShowView();
}

void CDeviceSettingsDlg::showEvent(QShowEvent* event) {
    CPageFrame::showEvent(event);
    OnInitDialog();
}

void CDeviceSettingsDlg::OnInitDialog() {
    ApplyFixedTexts();
    Forward([this] { m_page.OnInitDialog(); });
}

void CDeviceSettingsDlg::ApplyPageTexts() {
    ApplyFixedTexts();
    ShowView();
}

void CDeviceSettingsDlg::ApplyFixedTexts() {
    auto text = [this](const char* key, const char* fallback) {
        return FromStd(texts().GetText(key, fallback));
    };
    m_deviceListCaption->setText(text("84", "Device List"));
    m_settingsGroup->setTitle(text("85", "Settings"));
    m_functionCaption->setText(text("86", "Function"));
    m_getSettings->setText(text("94", "Get Multimeter Setting"));
    m_set->setText(text("93", "Submit"));
}

void CDeviceSettingsDlg::OnSet() {
    // What is typed in the edits is taken as it stands.
    for (int pos = 0; pos < qm::kCoefficientCount; ++pos) {
        QLineEdit* edit = m_coefEdits[static_cast<std::size_t>(pos)];
        if (!edit->isHidden()) m_page.OnCoefficientEdit(pos, edit->text().toStdString());
    }
    Forward([this] { m_page.OnSet(); });
}

void CDeviceSettingsDlg::OnGetSettings() {
    Forward([this] { m_page.OnGetSettings(); });
}

void CDeviceSettingsDlg::ShowView() {
    const qm::DeviceSettingsView view = m_page.View();
    FillList(m_deviceList, view.devices);
    m_deviceList->setEnabled(!view.noDevice);
    FillList(m_functionList, view.functions);

    m_rangeCaption->setText(FromStd(view.rangeCaption));
    FillCombo(m_range, view.range);
    m_columnCaption->setText(FromStd(view.columnCaption));
    FillCombo(m_column, view.column);
    m_columnCaption->setVisible(view.columnShown);
    m_column->setVisible(view.columnShown);
    FillCombo(m_transducer, view.transducer);
    m_transducerCaption->setVisible(view.transducerShown);
    m_transducer->setVisible(view.transducerShown);

    for (QWidget* w : std::initializer_list<QWidget*>{m_function2Caption, m_function2,
                                                      m_range2Caption, m_range2,
                                                      m_setting2Caption, m_setting2})
        w->setVisible(view.secondShown);
    FillCombo(m_function2, view.function2);
    m_range2Caption->setText(FromStd(view.range2Caption));
    FillCombo(m_range2, view.range2);
    m_setting2Caption->setText(FromStd(view.setting2Caption));
    FillCombo(m_setting2, view.setting2);
    FillCombo(m_transducer2, view.transducer2);
    m_transducer2Caption->setVisible(view.transducer2Shown);
    m_transducer2->setVisible(view.transducer2Shown);

    for (std::size_t pos = 0; pos < view.coefficients.size(); ++pos) {
        const qm::CoefficientView& c = view.coefficients[pos];
        m_coefCaptions[pos]->setVisible(c.shown);
        m_coefEdits[pos]->setVisible(c.shown);
        if (!c.shown) continue;
        m_coefCaptions[pos]->setText(FromStd(c.caption));
        m_coefEdits[pos]->setText(FromStd(c.text));
    }

    // Without a meter nothing can be set.
    const bool enabled = !view.noDevice;
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_settingsGroup, m_functionCaption, m_rangeCaption, m_functionList, m_range,
             m_transducer2, m_transducer, m_set, m_columnCaption, m_transducer2Caption,
             m_transducerCaption, m_column, m_getSettings, m_function2, m_range2, m_setting2,
             m_function2Caption, m_range2Caption, m_setting2Caption})
        w->setEnabled(enabled);
    m_function2->setEnabled(enabled && view.function2Enabled);
    // Without a second function its range and setting have nothing to offer.
    m_range2->setEnabled(enabled && !view.range2.entries.empty());
    m_setting2->setEnabled(enabled && !view.setting2.entries.empty());
    SettleLayout();
}
