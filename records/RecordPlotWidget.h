#pragma once
// The plot of the Record Chart (control 1003): a dark grid of 10 columns and
// 20 rows (one row per unit of the chosen resolution, zero in the middle)
// that keeps what was drawn on it until cleared. Drawings accumulate, each
// in the colour it was drawn with; a repaint blits the kept picture and,
// over it, the cursor marker.
#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <vector>

#include "records/RecordChartModel.h"

class RecordPlotWidget : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kControlId = 1003;

    explicit RecordPlotWidget(QWidget* parent = nullptr);

    // The plot's size in pixels, for the chart's coordinates.
    qm::PlotGeometry geometryInPixels() const;
    // Strokes the lines, computed for a plot of `geometry`, onto the kept
    // picture (scaled when the plot has changed size since).
    void drawLines(const std::vector<qm::PlotPolyline>& lines, const QColor& colour,
                   const qm::PlotGeometry& geometry);
    // Back to the empty grid; the marker goes too.
    void clear();
    void setMarker(const qm::CursorReadout& readout);
    void clearMarker();
    bool hasMarker() const { return m_hasMarker; }
    const QPixmap& picture() const { return m_picture; }

    QSize sizeHint() const override { return {560, 300}; }
    QSize minimumSizeHint() const override { return {320, 200}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    QPixmap Background() const;

    QPixmap m_picture;
    bool m_hasMarker = false;
    QRect m_marker;
};
