#include "records/CRecordChartDlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "config/NumberText.h"
#include "platform/TextSource.h"
#include "ui/PageControls.h"
#include "records/RecordPlotWidget.h"
#include "records/RecordQuery.h"

namespace {

// Readings drawn between two passes of the event loop.
constexpr long long kPointsPerStep = 50000;

constexpr PageControlText kLabelTexts[] = {
    {CRecordChartDlg::kSettingsLabel, "85", "Settings"},
    {CRecordChartDlg::kColourLabel, "123", "Color Print"},
    {CRecordChartDlg::kQuantityLabel, "150", "Data Quantity："},
    {CRecordChartDlg::kYScaleLabel, "51", "Y-Scale"},
    {CRecordChartDlg::kToLabel, "155", "to"},
    {CRecordChartDlg::kBlankLabel, "156", ""},
};

}  // namespace

CRecordChartDlg::CRecordChartDlg(qm::Prompter& prompter, const qm::TextSource& texts,
                                 QWidget* parent)
    : CPageFrame(kDialogId, {"12", "Chart Record", "09", "Exit"}, texts, parent),
      m_prompter(prompter) {
    auto label = [&](int id) { return AddLabel(body(), id, m_labels); };
    auto button = [&](int id) { return AddButton(body(), id); };
    m_records = Named(new QComboBox(body()), kRecordCombo);
    m_records->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_resolution = Named(new QComboBox(body()), kResolution);
    for (int k = 0; k < qm::kResolutionCount; ++k) m_resolution->addItem(FromStd(qm::ResolutionLabel(k)));
    m_quantityText = Named(new QLabel(body()), kQuantity);
    m_all = Named(new QRadioButton(body()), kAllReadings);
    m_range = Named(new QRadioButton(body()), kRangeReadings);
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_all, 0);
    modes->addButton(m_range, 1);
    m_from = Named(new QLineEdit(body()), kFrom);
    m_to = Named(new QLineEdit(body()), kTo);
    for (QLineEdit* e : {m_from, m_to}) e->setMaximumWidth(90);
    m_draw = button(kDraw);
    m_draw2nd = button(kDraw2nd);
    m_clear = button(kClear);
    m_changeColour = button(kChangeColour);
    m_swatch = Named(new QFrame(body()), kSwatch);
    m_swatch->setFixedSize(40, 18);
    m_swatch->setFrameShape(QFrame::Box);
    m_swatch->setAutoFillBackground(true);
    m_plot = new RecordPlotWidget(body());
    m_slider = Named(new QSlider(Qt::Horizontal, body()), kSlider);
    m_slider->setRange(0, 0);
    m_progress = Named(new QProgressBar(body()), kProgress);
    m_dateText = Named(new QLabel(body()), kDateText);
    m_valueText = Named(new QLabel(body()), kValueText);
    m_numberText = Named(new QLabel(body()), kNumberText);
    for (QLabel* l : {m_dateText, m_valueText, m_numberText})
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ReserveReadoutRoom();

    // Left: settings. Right: the plot, the slider, the readout.
    auto* root = new QHBoxLayout(body());
    auto* settings = new QGridLayout;
    int row = 0;
    settings->addWidget(label(kSettingsLabel), row++, 0, 1, 4);
    settings->addWidget(m_records, row++, 0, 1, 4);
    settings->addWidget(label(kQuantityLabel), row, 0, 1, 2);
    settings->addWidget(m_quantityText, row++, 2, 1, 2);
    settings->addWidget(label(kYScaleLabel), row, 0, 1, 2);
    settings->addWidget(m_resolution, row++, 2, 1, 2);
    settings->addWidget(label(kColourLabel), row, 0, 1, 2);
    settings->addWidget(m_swatch, row, 2);
    settings->addWidget(m_changeColour, row++, 3);
    settings->addWidget(m_all, row++, 0, 1, 4);
    settings->addWidget(m_range, row++, 0, 1, 4);
    auto* rangeRow = new QHBoxLayout;
    rangeRow->addWidget(m_from);
    rangeRow->addWidget(label(kToLabel));
    rangeRow->addWidget(m_to);
    rangeRow->addWidget(label(kBlankLabel));
    rangeRow->addStretch(1);
    settings->addLayout(rangeRow, row++, 0, 1, 4);
    auto* drawRow = new QHBoxLayout;
    drawRow->addWidget(m_draw);
    drawRow->addWidget(m_draw2nd);
    drawRow->addWidget(m_clear);
    settings->addLayout(drawRow, row++, 0, 1, 4);
    settings->setRowStretch(row, 1);
    root->addLayout(settings);

    auto* right = new QVBoxLayout;
    right->addWidget(m_plot, 1);
    right->addWidget(m_slider);
    right->addWidget(m_progress);
    auto* readout = new QHBoxLayout;
    readout->addWidget(m_numberText);
    readout->addWidget(m_valueText, 1);
    readout->addWidget(m_dateText);
    right->addLayout(readout);
    root->addLayout(right, 1);

    // The page is as small as its controls allow, no smaller.
    body()->setMinimumSize(0, 0);

    NameExitButton(this, kExit);

    connect(m_records, qOverload<int>(&QComboBox::activated), this, &CRecordChartDlg::OnRecordSelect);
    connect(m_resolution, qOverload<int>(&QComboBox::activated), this, &CRecordChartDlg::OnResolution);
    connect(m_draw, &QPushButton::clicked, this, &CRecordChartDlg::OnDraw);
    connect(m_draw2nd, &QPushButton::clicked, this, &CRecordChartDlg::OnDraw2nd);
    connect(m_clear, &QPushButton::clicked, this, &CRecordChartDlg::OnClear);
    connect(m_changeColour, &QPushButton::clicked, this, &CRecordChartDlg::OnChangeColor);
    connect(m_all, &QRadioButton::clicked, this, &CRecordChartDlg::OnModeChange);
    connect(m_range, &QRadioButton::clicked, this, &CRecordChartDlg::OnModeChange);
    connect(m_slider, &QSlider::valueChanged, this, &CRecordChartDlg::OnCursorMove);

    ApplyPageTexts();
    m_all->setChecked(true);
    OnModeChange();
    m_draw->setEnabled(false);
    m_draw2nd->setEnabled(false);
    m_progress->hide();
    m_resolution->setCurrentIndex(qm::kDefaultResolution);
    PaintSwatch();
}

CRecordChartDlg::~CRecordChartDlg() = default;

void CRecordChartDlg::ReserveReadoutRoom() {
    // The readout keeps its room, so moving the cursor never moves the page
    // or shrinks the plot (which would take the marker away): each label is
    // at least as large as it would be for its longest text, written in the
    // widest digit of the font.
    const QFontMetrics fm = m_numberText->fontMetrics();
    QChar widest('0');
    for (QChar d = '1'; d <= '9'; d = QChar(d.unicode() + 1))
        if (fm.horizontalAdvance(d) > fm.horizontalAdvance(widest)) widest = d;
    auto reserve = [&](QLabel* label, QString longest) {
        longest.replace('0', widest);
        const QString shown = label->text();
        label->setText(longest);
        label->setMinimumSize(label->sizeHint());
        label->setText(shown);
    };
    reserve(m_numberText, "00000000");
    reserve(m_valueText, "-00000.000000000000000");
    reserve(m_dateText, "00 / 00 / 00 -- 00 : 00 : 00");
}

void CRecordChartDlg::changeEvent(QEvent* event) {
    CPageFrame::changeEvent(event);
    // The page takes the main window's fonts, which follow the language.
    if (event->type() == QEvent::FontChange && m_numberText) ReserveReadoutRoom();
}

void CRecordChartDlg::ApplyPageTexts() {
    const qm::TextSource& t = texts();
    ApplyLabelTexts(m_labels, kLabelTexts, t);
    m_changeColour->setText(FromStd(t.GetText("124", "Change Color")));
    m_draw->setText(FromStd(t.GetText("151", "Draw")));
    m_draw2nd->setText(FromStd("2ND" + t.GetText("151", "Draw")));
    m_clear->setText(FromStd(t.GetText("152", "Clear")));
    m_all->setText(FromStd(t.GetText("153", "Drawing with all")));
    m_range->setText(FromStd(t.GetText("154", "Drawing data from")));
}

void CRecordChartDlg::showEvent(QShowEvent* event) {
    CPageFrame::showEvent(event);
    OnInitDialog();
}

void CRecordChartDlg::OnInitDialog() {
    m_draw2nd->setEnabled(false);
    m_draw->setEnabled(false);
    m_records->clear();
    m_entries.clear();
    m_quantity = 0;
    const auto folder = qm::ResolveDatabaseFolder(m_prompter, qm::kSettingsFolderCaption);
    m_folder = folder.value_or(std::string());
    if (folder) m_entries = qm::RecordChartEntries(m_folder);
    for (const qm::RecordListEntry& e : m_entries) m_records->addItem(FromStd(e.label));
    m_records->setMinimumWidth(m_records->sizeHint().width());
    m_records->setPlaceholderText(
        m_entries.empty() ? FromStd(texts().GetText("1024", "No records were found."))
                          : FromStd(texts().GetText("1013", "Please select a record.")));
    m_records->setCurrentIndex(-1);
    m_quantityText->clear();
    m_from->clear();
    m_to->clear();
    m_dateText->clear();
    m_valueText->clear();
    m_numberText->clear();
    m_resolution->setCurrentIndex(qm::kDefaultResolution);
    m_gain = 1.0;
    m_colour = QColor(0, 255, 255);
    PaintSwatch();
    OnClear();
}

void CRecordChartDlg::OnModeChange() {
    const bool range = m_range->isChecked();
    m_from->setEnabled(range);
    m_to->setEnabled(range);
}

void CRecordChartDlg::OnRecordSelect(int index) {
    if (index < 0 || index >= static_cast<int>(m_entries.size())) return;
    if (!qm::ResolveDatabaseFolder(m_prompter, qm::kChartDrawingFolderCaption)) return;
    qm::WaitCursor wait(m_prompter);
    // Nothing of an earlier choice may be drawn while this one cannot be.
    m_draw->setEnabled(false);
    m_draw2nd->setEnabled(false);
    m_quantity = 0;
    m_quantityText->clear();
    const auto count = qm::CountEntryReadings(m_folder, m_entries[static_cast<std::size_t>(index)]);
    if (!count) {
        m_prompter.message({count.error().message, "", qm::PromptIcon::Warning});
        return;
    }
    m_quantity = *count;
    m_quantityText->setText(QString::number(m_quantity));
    if (m_quantity == 0)
        m_prompter.message({texts().GetText("1020", "No data in file"), ""});
    else
        m_draw2nd->setEnabled(true);
    m_draw->setEnabled(true);
}

void CRecordChartDlg::OnResolution(int index) {
    m_gain = qm::ResolutionGain(index);
}

void CRecordChartDlg::OnDraw() {
    StartDrawing(false);
}

void CRecordChartDlg::OnDraw2nd() {
    StartDrawing(true);
}

void CRecordChartDlg::StartDrawing(bool second) {
    const int index = m_records->currentIndex();
    if (m_drawing || index < 0 || index >= static_cast<int>(m_entries.size())) return;
    const qm::RecordListEntry& e = m_entries[static_cast<std::size_t>(index)];
    qm::ChartRequest request;
    request.path = qm::RecordFilePath(m_folder, e.recordNo, e.format);
    request.format = e.format;
    request.secondValues = second;
    request.quantity = m_quantity;
    request.gain = m_gain;
    request.plot = m_plot->geometryInPixels();
    request.drawRange = m_range->isChecked();
    if (request.drawRange) {
        if (auto message = qm::CheckDrawRange(m_from->text().toStdString(),
                                              m_to->text().toStdString(), m_quantity, texts(),
                                              request.range)) {
            m_prompter.message(*message);
            return;
        }
    }
    m_drawn = false;
    m_drawing.emplace();
    const qm::DbStatus st = m_drawing->Begin(request);
    if (!st) {
        m_drawing.reset();
        m_prompter.message({st.message(), "", qm::PromptIcon::Warning});
        return;
    }
    m_prompter.beginWait();
    m_request = request;
    m_clear->setEnabled(false);
    m_draw->setEnabled(false);
    m_draw2nd->setEnabled(false);
    if (!request.drawRange) m_progress->setRange(0, static_cast<int>(std::min<long long>(m_quantity, INT32_MAX)));
    m_progress->setValue(0);
    m_progress->show();
    QTimer::singleShot(0, this, &CRecordChartDlg::StepDrawing);
}

void CRecordChartDlg::StepDrawing() {
    if (!m_drawing) return;
    const qm::DbStatus st = m_drawing->Step(kPointsPerStep);
    if (!m_drawing->progressPositions().empty())
        m_progress->setValue(static_cast<int>(
            std::min<long long>(m_drawing->progressPositions().back(), INT32_MAX)));
    if (!st) {
        m_prompter.message({st.message(), "", qm::PromptIcon::Warning});
        return EndDrawing();
    }
    if (!m_drawing->done()) {
        QTimer::singleShot(0, this, &CRecordChartDlg::StepDrawing);
        return;
    }
    m_plot->drawLines(m_drawing->polylines(), m_colour, m_request.plot);
    m_span = m_drawing->span();
    m_secondDrawn = m_request.secondValues;
    m_drawn = true;
    {
        const QSignalBlocker block(m_slider);
        m_slider->setRange(0, static_cast<int>(std::min<long long>(m_span, INT32_MAX)));
        m_slider->setValue(0);
    }
    EndDrawing();
}

void CRecordChartDlg::EndDrawing() {
    if (m_drawing) m_lastProgress = m_drawing->progressPositions();
    m_drawing.reset();
    m_prompter.endWait();
    m_clear->setEnabled(true);
    m_draw->setEnabled(m_records->currentIndex() >= 0);
    m_draw2nd->setEnabled(m_records->currentIndex() >= 0 && m_quantity > 0);
    m_progress->hide();
}

void CRecordChartDlg::OnCursorMove(int position) {
    if (!m_drawn) return;
    m_plot->clearMarker();
    // The picture follows the plot's size; so does the marker.
    qm::ChartRequest request = m_request;
    request.plot = m_plot->geometryInPixels();
    auto readout = qm::ReadChartCursor(request, m_span, position);
    if (!readout) return;
    m_numberText->setText(FromStd(readout->numberText));
    m_valueText->setText(FromStd(readout->valueText));
    m_dateText->setText(FromStd(readout->dateText));
    m_plot->setMarker(*readout);
}

void CRecordChartDlg::OnChangeColor() {
    const QColor c = m_colour;
    const auto chosen = m_prompter.chooseColour(
        {static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
         static_cast<std::uint8_t>(c.blue())});
    if (!chosen) return;
    m_colour = QColor(chosen->r, chosen->g, chosen->b);
    PaintSwatch();
}

void CRecordChartDlg::PaintSwatch() {
    QPalette palette = m_swatch->palette();
    palette.setColor(QPalette::Window, m_colour);
    m_swatch->setPalette(palette);
}

void CRecordChartDlg::OnClear() {
    m_plot->clear();
    m_drawn = false;
}

void CRecordChartDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter tidies the range edits; it never closes the page.
        auto tidy = [](QLineEdit* e) {
            e->setText(QString::number(qm::LeadingInteger(e->text().toStdString())));
        };
        if (focusWidget() == m_from) {
            m_to->setFocus();
            tidy(m_from);
        } else if (focusWidget() == m_to) {
            tidy(m_to);
        }
        return;
    }
    CPageFrame::keyPressEvent(event);
}

void CRecordChartDlg::reject() {
    if (m_drawing) EndDrawing();
    OnClear();
    CPageFrame::reject();
}
