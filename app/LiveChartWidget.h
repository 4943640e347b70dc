#pragma once
// The chart area of the main window (control 1003). It strokes the
// polylines that ChartModel computes into an off-screen pixmap over a drawn
// 10 x 10 division grid, and a repaint only blits that pixmap. Beside the
// chart sit the zero markers of the eight lines (child widgets named by
// their control numbers) and, below it, the X axis up to X-Max.
#include <QPixmap>
#include <QWidget>
#include <array>
#include <vector>

#include "app/ChartModel.h"

namespace qm {

class ZeroMarker;

class LiveChartWidget : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kChartId = 1003;
    // Zero markers, in line order: main lines 1-4, then second lines 1-4.
    static constexpr std::array<int, kChartRows> kZeroMarkerIds = {1052, 1060, 1062, 1065,
                                                                   1058, 1061, 1063, 1066};

    explicit LiveChartWidget(QWidget* parent = nullptr);
    ~LiveChartWidget() override;

    // The model stays owned by the caller and must outlive its use here.
    void setModel(ChartModel* model);
    ChartModel* model() const { return m_model; }

    // Draws these rows (chart coordinates from ChartModel::rowsToDraw) over
    // an empty grid, keeps the picture, and schedules a repaint.
    void redraw(const std::vector<RowToDraw>& rows);
    // The same, taking the rows from the model.
    void redraw(const ChartDevices& devices);
    // An empty grid (Start clears the chart at once).
    void clear() { redraw(std::vector<RowToDraw>{}); }

    // Zero markers: only the markers of the lines on display are shown.
    void setMarkerVisible(int line, bool visible);
    bool isMarkerVisible(int line) const;
    // Moves and recolours the markers after Shift Graph or new colours.
    void updateMarkers();

    // The last picture, and where chart coordinates land in it (device pixels).
    const QPixmap& chartPixmap() const { return m_chart; }
    QRect plotRect() const;
    QPoint devicePixelFor(ChartPoint point) const;

    QSize sizeHint() const override { return {520, 330}; }
    QSize minimumSizeHint() const override { return {160, 100}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Layout {
        qreal dpr = 1.0;
        QSize device;  // the whole widget in device pixels
        QRect plot;    // grid lines from plot.left() to plot.right() inclusive
    };
    Layout layoutFor(qreal dpr) const;
    ChartViewport viewport(const Layout& layout) const;
    void render();
    void renderBackground();
    void drawAxisLabels(QPainter& painter) const;

    ChartModel* m_model = nullptr;
    std::vector<RowToDraw> m_rows;  // what the picture shows, in chart coordinates
    int m_rowsXMax = kXMaxDefault;  // the X-Max those rows were computed for
    Layout m_layout;
    QPixmap m_background;  // the grid, device pixels
    QPixmap m_chart;       // grid and traces, device pixel ratio set
    std::vector<QPoint> m_pixels;
    std::array<ZeroMarker*, kChartRows> m_markers{};
};

}  // namespace qm
