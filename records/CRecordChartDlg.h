#pragma once
// The Record Chart page (dialog 146): one record drawn as a line, all of
// it or a range of reading numbers, in a chosen resolution and colour,
// with a slider cursor that reads back each reading. The main window owns
// one instance and shows it modally from its menu; the page only builds
// controls and shows what the core's chart model returns.
#include <QColor>
#include <optional>
#include <vector>

#include "platform/Prompter.h"
#include "records/RecordChartModel.h"
#include "records/RecordLabels.h"
#include "ui/CPageFrame.h"

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class RecordPlotWidget;

class CRecordChartDlg : public CPageFrame {
    Q_OBJECT

  public:
    static constexpr int kDialogId = 146;
    enum : int {
        kPlot = 1003,
        kSwatch = 1035,
        kChangeColour = 1036,
        kRecordCombo = 1053,
        kQuantity = 1071,
        kAllReadings = 1072,
        kRangeReadings = 1073,
        kFrom = 1074,
        kTo = 1075,
        kDraw = 1076,
        kClear = 1077,
        kProgress = 1079,
        kResolution = 1105,
        kDateText = 1112,
        kValueText = 1113,
        kSlider = 1114,
        kNumberText = 1115,
        kQuantityLabel = 1131,
        kSettingsLabel = 1132,
        kColourLabel = 1133,
        kYScaleLabel = 1134,
        kToLabel = 1135,
        kBlankLabel = 1136,
        kExit = 1150,
        kDraw2nd = 1159,
    };

    CRecordChartDlg(qm::Prompter& prompter, const qm::TextSource& texts, QWidget* parent = nullptr);
    ~CRecordChartDlg() override;

    RecordPlotWidget* plot() const { return m_plot; }
    bool drawing() const { return m_drawing.has_value(); }
    bool drawn() const { return m_drawn; }
    QColor lineColour() const { return m_colour; }
    const qm::ChartDrawing* lastDrawing() const { return m_drawing ? &*m_drawing : nullptr; }
    const std::vector<long long>& lastProgress() const { return m_lastProgress; }

  public slots:
    void OnRecordSelect(int index);
    void OnDraw();
    void OnDraw2nd();
    void OnClear();
    void OnChangeColor();
    void OnResolution(int index);
    void OnCursorMove(int position);

  protected:
    void showEvent(QShowEvent* event) override;
    // Labels and buttons, again whenever the language changes.
    void ApplyPageTexts() override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

  private:
    void OnInitDialog();
    void ReserveReadoutRoom();
    void StartDrawing(bool second);
    void StepDrawing();
    void EndDrawing();
    void PaintSwatch();
    void OnModeChange();

    qm::Prompter& m_prompter;
    std::string m_folder;
    std::vector<qm::RecordListEntry> m_entries;
    long long m_quantity = 0;
    double m_gain = 1.0;
    QColor m_colour{0, 255, 255};
    bool m_drawn = false;
    bool m_secondDrawn = false;
    qm::ChartRequest m_request;  // of the last drawing
    long long m_span = 0;
    std::optional<qm::ChartDrawing> m_drawing;
    std::vector<long long> m_lastProgress;

    QComboBox* m_records = nullptr;
    QComboBox* m_resolution = nullptr;
    QLabel* m_quantityText = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_range = nullptr;
    QLineEdit* m_from = nullptr;
    QLineEdit* m_to = nullptr;
    QPushButton* m_draw = nullptr;
    QPushButton* m_draw2nd = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_changeColour = nullptr;
    QFrame* m_swatch = nullptr;
    RecordPlotWidget* m_plot = nullptr;
    QSlider* m_slider = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_dateText = nullptr;
    QLabel* m_valueText = nullptr;
    QLabel* m_numberText = nullptr;
    std::vector<std::pair<int, QLabel*>> m_labels;
};
