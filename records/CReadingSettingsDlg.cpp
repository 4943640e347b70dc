#include "records/CReadingSettingsDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>

#include "ui/PageControls.h"

namespace {

constexpr PageControlText kLabelTexts[] = {
    {CReadingSettingsDlg::kColourLabel, "123", "Color Print"},
    {CReadingSettingsDlg::kInstrumentColourLabel, "123", "Color Print"},
    {CReadingSettingsDlg::kInstrumentLabel, "126", "Save"},
};

constexpr QSize kSwatchSize(34, 18);

void Fill(QFrame* swatch, qm::Rgb colour) {
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, QColor(colour.r, colour.g, colour.b));
    swatch->setPalette(palette);
    swatch->update();
}

void ShowAll(std::initializer_list<QWidget*> widgets, bool shown) {
    for (QWidget* w : widgets) w->setVisible(shown);
}

// A record combo shows item i as record i + 1, or the prompt when none is chosen.
void ShowRecord(QComboBox* combo, int item, bool enabled) {
    combo->setCurrentIndex(item >= 0 && item < combo->count() ? item : -1);
    combo->setEnabled(enabled);
}

}  // namespace

CReadingSettingsDlg::CReadingSettingsDlg(const qm::TextSource& texts, qm::Prompter& prompter,
                                         QWidget* parent)
    : CPageFrame(kDialogId, {"02", "Reading Settings", "07", "OK"}, texts, parent),
      m_settings(prompter, texts) {
    auto* layout = new QVBoxLayout(body());

    // Reading mode and the dual-measure flag.
    m_modeGroup = Named(new QGroupBox(body()), kModeGroup);
    auto* modeRow = new QHBoxLayout(m_modeGroup);
    m_single = Named(new QRadioButton(m_modeGroup), kSingleDevice);
    m_multi = Named(new QRadioButton(m_modeGroup), kMultiDevice);
    m_modeButtons = new QButtonGroup(this);
    m_modeButtons->addButton(m_single, 0);
    m_modeButtons->addButton(m_multi, 1);
    // Set by the second-function controls of the main window; shown only.
    m_dualMeasure = Named(new QCheckBox("DUAL MEASURE", m_modeGroup), kDualMeasure);
    m_dualMeasure->setEnabled(false);
    modeRow->addWidget(m_single);
    modeRow->addWidget(m_multi);
    modeRow->addStretch(1);
    modeRow->addWidget(m_dualMeasure);
    layout->addWidget(m_modeGroup);

    // Single-device mode: the colours of line 1 and its saving.
    m_singlePanel = new QWidget(body());
    auto* single = new QGridLayout(m_singlePanel);
    single->setContentsMargins(0, 0, 0, 0);
    m_colourLabel = Named(new QLabel(m_singlePanel), kColourLabel);
    m_swatch = Swatch(m_singlePanel, kSwatch);
    m_changeColour = AddButton(m_singlePanel, kChangeColour);
    m_secondSwatch = Swatch(m_singlePanel, kSecondSwatch);
    m_changeSecondColour = AddButton(m_singlePanel, kChangeSecondColour);
    m_saveSingle = Named(new QCheckBox(m_singlePanel), kSaveSingle);
    m_recordSingle = Named(new QComboBox(m_singlePanel), kRecordSingle);
    single->addWidget(m_colourLabel, 0, 0);
    single->addWidget(m_swatch, 0, 1);
    single->addWidget(m_changeColour, 0, 2);
    single->addWidget(m_secondSwatch, 1, 1);
    single->addWidget(m_changeSecondColour, 1, 2);
    single->addWidget(m_saveSingle, 2, 0);
    single->addWidget(m_recordSingle, 2, 1, 1, 3);
    single->setColumnStretch(3, 1);
    layout->addWidget(m_singlePanel);

    // Multi-device mode: the meters read at once, then each one's colours
    // and saving, one meter at a time.
    m_settingsGroup = Named(new QGroupBox(body()), kSettingsGroup);
    auto* multi = new QGridLayout(m_settingsGroup);
    m_instruments = Named(new QListWidget(m_settingsGroup), kInstrumentList);
    m_instruments->setSelectionMode(QAbstractItemView::MultiSelection);
    m_instruments->setMaximumHeight(110);
    QWidget* group = m_settingsGroup;
    m_select = AddButton(group, kSelect);
    m_instrumentLabel = Named(new QLabel(group), kInstrumentLabel);
    m_prev = AddButton(group, kPrevInstrument);
    m_currentLabel = Named(new QLabel(group), kCurrentLabel);
    m_currentLabel->setAlignment(Qt::AlignCenter);
    m_next = AddButton(group, kNextInstrument);
    m_instrumentColourLabel = Named(new QLabel(group), kInstrumentColourLabel);
    m_instrumentSwatch = Swatch(group, kInstrumentSwatch);
    m_changeInstrumentColour = AddButton(group, kChangeInstrumentColour);
    m_instrumentSecondSwatch = Swatch(group, kInstrumentSecondSwatch);
    m_changeInstrumentSecondColour = AddButton(group, kChangeInstrumentSecondColour);
    m_saveInstrument = Named(new QCheckBox(group), kSaveInstrument);
    m_recordInstrument = Named(new QComboBox(group), kRecordInstrument);
    multi->addWidget(m_instruments, 0, 0, 1, 4);
    multi->addWidget(m_select, 0, 4, Qt::AlignTop);
    multi->addWidget(m_instrumentLabel, 1, 0);
    auto* navigation = new QHBoxLayout;
    navigation->addWidget(m_prev);
    navigation->addWidget(m_currentLabel, 1);
    navigation->addWidget(m_next);
    multi->addLayout(navigation, 1, 1, 1, 4);
    multi->addWidget(m_instrumentColourLabel, 2, 0);
    multi->addWidget(m_instrumentSwatch, 2, 1);
    multi->addWidget(m_changeInstrumentColour, 2, 2);
    multi->addWidget(m_instrumentSecondSwatch, 3, 1);
    multi->addWidget(m_changeInstrumentSecondColour, 3, 2);
    multi->addWidget(m_saveInstrument, 4, 0);
    multi->addWidget(m_recordInstrument, 4, 1, 1, 4);
    multi->setColumnStretch(3, 1);
    layout->addWidget(m_settingsGroup);
    layout->addStretch(1);

    for (QComboBox* combo : {m_recordSingle, m_recordInstrument}) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        for (int n = qm::kFirstRecordNumber; n <= qm::kLastRecordNumber; ++n)
            combo->addItem(QString("Record %1").arg(n));
    }
    // The page is as small as its controls allow, no smaller.
    body()->setMinimumSize(0, 0);
    m_ok = NameExitButton(this, kOk);

    connect(m_single, &QRadioButton::clicked, this,
            [this] { Forward([this] { m_settings.OnSingleDevice(); }); });
    connect(m_multi, &QRadioButton::clicked, this, [this] {
        // Clicking the mode already shown keeps the meters chosen.
        if (m_settings.values().multiMode) return ShowView();
        Forward([this] { m_settings.OnMultiDevice(); });
    });
    connect(m_select, &QPushButton::clicked, this, &CReadingSettingsDlg::OnSelectInstruments);
    connect(m_prev, &QPushButton::clicked, this,
            [this] { Forward([this] { m_settings.OnPrevInstrument(); }); });
    connect(m_next, &QPushButton::clicked, this,
            [this] { Forward([this] { m_settings.OnNextInstrument(); }); });
    connect(m_saveSingle, &QCheckBox::clicked, this,
            [this](bool on) { Forward([this, on] { m_settings.OnSaveSingle(on); }); });
    connect(m_saveInstrument, &QCheckBox::clicked, this,
            [this](bool on) { Forward([this, on] { m_settings.OnSaveInstrument(on); }); });
    connect(m_recordSingle, &QComboBox::activated, this,
            [this](int item) { Forward([this, item] { m_settings.OnRecordSingle(item); }); });
    connect(m_recordInstrument, &QComboBox::activated, this,
            [this](int item) { Forward([this, item] { m_settings.OnRecordInstrument(item); }); });
    connect(m_changeColour, &QPushButton::clicked, this,
            [this] { Forward([this] { m_settings.OnChangeColor(); }); });
    connect(m_changeSecondColour, &QPushButton::clicked, this,
            [this] { Forward([this] { m_settings.OnChange2ndColor(); }); });
    connect(m_changeInstrumentColour, &QPushButton::clicked, this,
            [this] { Forward([this] { m_settings.OnChangeInstrumentColor(); }); });
    connect(m_changeInstrumentSecondColour, &QPushButton::clicked, this,
            [this] { Forward([this] { m_settings.OnChangeInstrument2ndColor(); }); });

    ApplyPageTexts();
    ShowView();
}

QFrame* CReadingSettingsDlg::Swatch(QWidget* parent, int id) {
    auto* swatch = Named(new QFrame(parent), id);
    swatch->setFixedSize(kSwatchSize);
    swatch->setFrameShape(QFrame::Box);
    swatch->setLineWidth(1);
    swatch->setAutoFillBackground(true);
    return swatch;
}

template <typename F>
void CReadingSettingsDlg::Forward(F handler) {
    handler();
    ShowView();
}

void CReadingSettingsDlg::Open(const qm::ReadingSettingsContext& context) {
    m_settings.Open(context);
    const QSignalBlocker block(m_instruments);
    m_instruments->clear();
    int widest = 0;
    for (const std::string& label : m_settings.labels()) {
        m_instruments->addItem(FromStd(label));
        widest = std::max(widest, m_currentLabel->fontMetrics().horizontalAdvance(FromStd(label)));
    }
    // The label of the meter shown is never cut, whichever meter it is.
    m_currentLabel->setMinimumWidth(widest + 2 * m_currentLabel->margin());
    FillRecordCombos();
    ShowView();
}

void CReadingSettingsDlg::FillRecordCombos() {
    for (QComboBox* combo : {m_recordSingle, m_recordInstrument}) {
        const QSignalBlocker block(combo);
        const auto& choices = m_settings.recordChoices();
        for (int i = 0; i < combo->count() && i < static_cast<int>(choices.size()); ++i)
            combo->setItemText(i, FromStd(choices[static_cast<std::size_t>(i)].label));
    }
    FitRecordCombos();
}

void CReadingSettingsDlg::FitRecordCombos() {
    // A dated label is long: a combo is never narrower than its widest entry
    // or its prompt.
    for (QComboBox* combo : {m_recordSingle, m_recordInstrument}) {
        int widest = combo->fontMetrics().horizontalAdvance(combo->placeholderText());
        for (int i = 0; i < combo->count(); ++i)
            widest = std::max(widest, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
        QStyleOptionComboBox option;
        option.initFrom(combo);
        const QSize content(widest, combo->fontMetrics().height());
        combo->setMinimumWidth(
            combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, content, combo).width());
    }
}

void CReadingSettingsDlg::ApplyPageTexts() {
    const qm::TextSource& t = texts();
    auto text = [&](std::string_view key, std::string_view english) {
        return FromStd(t.GetText(key, english));
    };
    m_modeGroup->setTitle(text("120", "Reading Mode"));
    m_single->setText(text("121", "Single-Device"));
    m_multi->setText(text("122", "Multi-Device"));
    for (const PageControlText& label : kLabelTexts)
        if (auto* w = findChild<QLabel*>(QString::number(label.id)))
            w->setText(text(label.key, label.englishDefault));
    const QString change = text("124", "Change Color");
    m_changeColour->setText(change);
    m_changeInstrumentColour->setText(change);
    m_changeSecondColour->setText("2ND " + change);
    m_changeInstrumentSecondColour->setText("2ND " + change);
    m_saveSingle->setText(text("125", "Save"));
    m_saveInstrument->setText(text("125", "Save"));
    m_settingsGroup->setTitle(text("85", "Settings"));
    m_select->setText("Select");
    m_prev->setText("<<");
    m_next->setText(">>");
    const QString prompt = text("1013", "Please select a record.");
    m_recordSingle->setPlaceholderText(prompt);
    m_recordInstrument->setPlaceholderText(prompt);
    FitRecordCombos();
}

void CReadingSettingsDlg::OnSelectInstruments() {
    std::vector<int> rows;
    for (const QModelIndex& index : m_instruments->selectionModel()->selectedRows())
        rows.push_back(index.row());
    m_settings.OnSelectInstruments(std::move(rows));
    ShowView();
}

void CReadingSettingsDlg::ShowView() {
    const qm::ReadingSettingsView v = m_settings.view();
    const QSignalBlocker blockList(m_instruments), blockSingle(m_recordSingle),
        blockInstrument(m_recordInstrument);

    (v.mode == 1 ? m_multi : m_single)->setChecked(true);
    m_single->setEnabled(v.singleRadioEnabled);
    m_multi->setEnabled(v.multiRadioEnabled);
    m_dualMeasure->setChecked(v.dualMeasure);

    m_singlePanel->setVisible(v.singleShown);
    ShowAll({m_secondSwatch, m_changeSecondColour}, v.singleSecondShown);
    m_saveSingle->setEnabled(v.saveSingleEnabled);
    m_saveSingle->setChecked(v.saveSingleChecked);
    ShowRecord(m_recordSingle, v.recordSingleItem, v.recordSingleEnabled);

    m_settingsGroup->setVisible(v.multiShown);
    m_instruments->clearSelection();
    for (int row : v.listSelection)
        if (QListWidgetItem* item = m_instruments->item(row)) item->setSelected(true);
    for (QWidget* w : std::initializer_list<QWidget*>{m_currentLabel, m_instrumentSwatch,
                                                      m_changeInstrumentColour,
                                                      m_changeInstrumentSecondColour,
                                                      m_instrumentSecondSwatch})
        w->setEnabled(v.instrumentEnabled);
    m_prev->setEnabled(v.prevEnabled);
    m_next->setEnabled(v.nextEnabled);
    m_currentLabel->setText(FromStd(v.currentLabel));
    ShowAll({m_instrumentSecondSwatch, m_changeInstrumentSecondColour}, v.instrumentSecondShown);
    m_saveInstrument->setEnabled(v.saveInstrumentEnabled);
    m_saveInstrument->setChecked(v.saveInstrumentChecked);
    ShowRecord(m_recordInstrument, v.recordInstrumentItem, v.recordInstrumentEnabled);

    if (m_ok) m_ok->setEnabled(v.okEnabled);
    Fill(m_swatch, v.swatches[0]);
    Fill(m_instrumentSwatch, v.swatches[1]);
    Fill(m_secondSwatch, v.swatches[2]);
    Fill(m_instrumentSecondSwatch, v.swatches[3]);
}

void CReadingSettingsDlg::accept() {
    if (!m_settings.OnOK()) {
        ShowView();
        return;
    }
    CPageFrame::accept();
}

void CReadingSettingsDlg::reject() {
    // Closed already (by OK): nothing is left to cancel.
    if (!isVisible()) return;
    m_settings.OnCancel();
    ShowView();
    CPageFrame::reject();
}
