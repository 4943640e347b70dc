// The reading side of the main window: timer 1, what a run changes on the
// window, the value fields, and the chart controls (Y-scale, line choice,
// Shift Graph, Data Offset, Reading Speed and X-Max). The loop and every
// chart rule live in the core; this file passes the user's input on and
// shows the outcome.
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QRadioButton>
#include <QStyle>

#include "app/CMeterToolDlg.h"
#include "app/CShapeButton.h"
#include "app/FittedLabelWidget.h"
#include "app/LiveChartWidget.h"
#include "app/MainWindowIds.h"

using namespace qm::mainwindow;

namespace {

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A style-sheet property changed: the label takes its new look.
void Restyle(QWidget* widget) {
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

}  // namespace

// --- timer 1 and the reading view -------------------------------------------------

void CMeterToolDlg::OnTimer() {
    m_tool.loop().OnTimer();
}

void CMeterToolDlg::SetReadingControlsEnabled(bool enabled) {
    m_readingControlsEnabled = enabled;
    ApplyControlStates();
}

void CMeterToolDlg::ShowRunState(bool reading) {
    action(kCmdToolbarStart)->setEnabled(!reading);
    action(kCmdToolbarStop)->setEnabled(reading);
    action(kCmdSetDevice)->setEnabled(!reading);
    action(kCmdStopReading)->setEnabled(reading);
    for (int id : kIdleOnlyCommands) action(id)->setEnabled(!reading);
    ApplyControlStates();
}

void CMeterToolDlg::StartTimer(int periodMs) {
    m_readTimer.start(periodMs);
}

void CMeterToolDlg::StopTimer() {
    m_readTimer.stop();
}

void CMeterToolDlg::LineUpdated(const qm::LineReading& reading) {
    if (reading.line < 0 || reading.line >= 4) return;
    DeviceLine& line = m_lines[static_cast<std::size_t>(reading.line)];
    // A meter that did not answer keeps its last value, greyed, so that an
    // old number is never taken for a fresh one.
    const bool silent = !reading.answered;
    for (qm::FittedLabel* field : {line.value, line.secondValue}) {
        if (field->property("silent").toBool() != silent) {
            field->setProperty("silent", silent);
            Restyle(field);
        }
        field->setToolTip(silent ? QStringLiteral("No answer") : QString());
    }
    if (silent) return;
    line.value->setText(FromStd(reading.mainText));
    line.secondValue->setText(FromStd(reading.secondText));
}

void CMeterToolDlg::ChartChanged() {
    RedrawChart();
}

void CMeterToolDlg::FunctionDisplayChanged(const qm::FunctionDisplayUpdate& update) {
    ApplyDisplayUpdate(update);
}

void CMeterToolDlg::SelectionChanged(const qm::SelectionView& selection) {
    ApplySelection(selection);
}

// --- chart ------------------------------------------------------------------------------

void CMeterToolDlg::RedrawChart() {
    m_chart->redraw(m_tool.loop().chartDevices());
}

void CMeterToolDlg::DrawColourLamps() {
    auto fill = [this](QFrame* lamp, int colourIndex) {
        const qm::Rgb c = m_tool.chart().colour(colourIndex);
        QPalette palette = lamp->palette();
        palette.setColor(QPalette::Window, QColor(c.r, c.g, c.b));
        palette.setColor(QPalette::WindowText, QColor(0x10, 0x14, 0x18));
        lamp->setPalette(palette);
        lamp->update();
    };
    for (int line = 0; line < 4; ++line) {
        fill(m_lines[static_cast<std::size_t>(line)].lamp, line);
        fill(m_lines[static_cast<std::size_t>(line)].secondLamp, qm::kChartSlots + line);
    }
    m_chart->updateMarkers();
}

void CMeterToolDlg::ShowChartLineFields(const std::string& offsetText) {
    m_yScaleEdit->setText(FromView(m_tool.chart().yScaleText()));
    m_dataOffsetEdit->setText(FromStd(offsetText));
}

void CMeterToolDlg::OnYScaleUp() {
    if (m_tool.chart().yScaleUp(m_dataOffsetEdit->text().toStdString())) {
        m_yScaleEdit->setText(FromView(m_tool.chart().yScaleText()));
        RedrawChart();
    }
}

void CMeterToolDlg::OnYScaleDown() {
    if (m_tool.chart().yScaleDown(m_dataOffsetEdit->text().toStdString())) {
        m_yScaleEdit->setText(FromView(m_tool.chart().yScaleText()));
        RedrawChart();
    }
}

void CMeterToolDlg::OnLineRadio(int line) {
    ShowChartLineFields(m_tool.chart().selectLine(line));
}

void CMeterToolDlg::ResetTraceSelection() {
    for (QRadioButton* radio : m_lineRadios) radio->setChecked(false);
    m_lineRadios[0]->setChecked(true);
    OnLineRadio(0);
}

void CMeterToolDlg::OnShiftGraphUp() {
    if (m_tool.chart().shiftGraphUp(m_dataOffsetEdit->text().toStdString())) RedrawChart();
}

void CMeterToolDlg::OnShiftGraphDown() {
    if (m_tool.chart().shiftGraphDown(m_dataOffsetEdit->text().toStdString())) RedrawChart();
}

void CMeterToolDlg::OnDataOffsetSet() {
    const std::string shown =
        m_tool.chart().setDataOffset(m_dataOffsetEdit->text().toStdString(), m_prompter);
    m_dataOffsetEdit->setText(FromStd(shown));
    RedrawChart();
}

void CMeterToolDlg::OnDataOffsetEnter() {
    const std::string shown =
        m_tool.chart().enterDataOffset(m_dataOffsetEdit->text().toStdString(), m_prompter);
    m_dataOffsetEdit->setText(FromStd(shown));
    RedrawChart();
}

void CMeterToolDlg::OnReadingSpeedSelChange(int index) {
    if (index < 0) return;
    if (!m_tool.function().OnReadingSpeedSelChange(m_readingSpeed->itemText(index).toStdString()))
        return;
    m_triggerInterval->setText(FromStd(m_tool.function().triggerIntervalText()));
    m_tool.loop().OnReadingSpeedChanged();
}

void CMeterToolDlg::OnXMaxSelChange(int index) {
    if (index < 0) return;
    if (!m_tool.OnXMaxSelChange(m_xMax->itemText(index).toStdString())) return;
    m_xAxisLabel->setText(FromStd(m_tool.function().xAxisLabel()));
    RedrawChart();
}
