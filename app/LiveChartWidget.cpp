#include "app/LiveChartWidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// Logical pixels around the grid: the marker gutter on the left, a thin
// margin at the top and right, the axis strip below.
constexpr int kGutter = 12;
constexpr int kMargin = 3;
constexpr int kAxisStrip = 15;
constexpr int kMarkerWidth = 10;
constexpr int kMarkerHeight = 9;
constexpr int kDivisions = 10;
constexpr int kSubDivisions = 5;

const QColor kPanel(0xe4, 0xe7, 0xeb);
const QColor kPlot(0xff, 0xff, 0xff);
const QColor kMinorGrid(0xf1, 0xf3, 0xf5);
const QColor kMajorGrid(0xcc, 0xd1, 0xd8);
const QColor kCentreLine(0x8f, 0x97, 0xa3);
const QColor kFrame(0x55, 0x5d, 0x68);
const QColor kAxisText(0x3c, 0x44, 0x4f);

QColor ToQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

// One device pixel wide whatever the painter's scale.
QPen HairlinePen(const QColor& colour) {
    QPen pen(colour, 0);
    pen.setCosmetic(true);
    return pen;
}

}  // namespace

// A zero marker: a small triangle in its line's colour pointing at the
// line's zero level.
class ZeroMarker : public QWidget {
  public:
    explicit ZeroMarker(QWidget* parent) : QWidget(parent) {
        setFixedSize(kMarkerWidth, kMarkerHeight);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    void setColour(const QColor& colour) {
        if (colour == m_colour) return;
        m_colour = colour;
        update();
    }
    QColor colour() const { return m_colour; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal w = width(), h = height();
        const QPointF shape[3] = {{0.5, 0.5}, {w - 0.5, h / 2.0}, {0.5, h - 0.5}};
        p.setPen(QPen(m_colour.darker(170), 1.0));
        p.setBrush(m_colour);
        p.drawPolygon(shape, 3);
    }

  private:
    QColor m_colour = Qt::blue;
};

LiveChartWidget::LiveChartWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(kChartId));
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int line = 0; line < kChartRows; ++line) {
        m_markers[line] = new ZeroMarker(this);
        m_markers[line]->setObjectName(QString::number(kZeroMarkerIds[line]));
        // After start-up only line 1 is on display.
        m_markers[line]->setVisible(line == 0);
    }
}

LiveChartWidget::~LiveChartWidget() = default;

void LiveChartWidget::setModel(ChartModel* model) {
    m_model = model;
    m_rows.clear();
    if (m_model) m_rowsXMax = m_model->xMax();
    render();
    updateMarkers();
    update();
}

void LiveChartWidget::redraw(const std::vector<RowToDraw>& rows) {
    m_rows = rows;
    if (m_model) m_rowsXMax = m_model->xMax();
    render();
    updateMarkers();
    update();
}

void LiveChartWidget::redraw(const ChartDevices& devices) {
    if (!m_model) return clear();
    std::vector<RowToDraw> rows;
    rows.swap(m_rows);  // reuse the buffers of the last redraw
    m_model->rowsToDraw(devices, rows);
    m_rows.swap(rows);
    m_rowsXMax = m_model->xMax();
    render();
    updateMarkers();
    update();
}

void LiveChartWidget::setMarkerVisible(int line, bool visible) {
    if (line < 0 || line >= kChartRows) return;
    m_markers[line]->setVisible(visible);
}

bool LiveChartWidget::isMarkerVisible(int line) const {
    return line >= 0 && line < kChartRows && m_markers[line]->isVisibleTo(this);
}

LiveChartWidget::Layout LiveChartWidget::layoutFor(qreal dpr) const {
    Layout l;
    l.dpr = dpr;
    l.device = QSize(static_cast<int>(std::ceil(width() * dpr)),
                     static_cast<int>(std::ceil(height() * dpr)));
    const int left = static_cast<int>(std::lround(kGutter * dpr));
    const int margin = static_cast<int>(std::lround(kMargin * dpr));
    const int bottom = static_cast<int>(std::lround(kAxisStrip * dpr));
    // Span of the grid in pixels (its last column/row is plot.right()/bottom()).
    // An even height puts the zero line on a whole pixel with exactly five
    // divisions either side.
    const int w = std::max(kDivisions, l.device.width() - left - margin - 1);
    int h = std::max(kDivisions, l.device.height() - margin - bottom - 1);
    h -= h % 2;
    l.plot = QRect(left, margin, w + 1, h + 1);
    return l;
}

ChartViewport LiveChartWidget::viewport(const Layout& layout) const {
    ChartViewport vp;
    vp.xMax = m_rowsXMax;
    vp.width = layout.plot.width() - 1;
    vp.height = layout.plot.height() - 1;
    return vp;
}

QRect LiveChartWidget::plotRect() const {
    return m_layout.plot;
}

QPoint LiveChartWidget::devicePixelFor(ChartPoint point) const {
    const ChartViewport vp = viewport(m_layout);
    return {m_layout.plot.left() + vp.toPixelX(point.x),
            m_layout.plot.top() + vp.toPixelY(point.y)};
}

void LiveChartWidget::renderBackground() {
    const QRect plot = m_layout.plot;
    m_background = QPixmap(m_layout.device);
    m_background.fill(kPanel);
    QPainter p(&m_background);
    p.fillRect(plot, kPlot);

    // The grid follows the chart mapping, so traces and lines agree to the pixel.
    ChartViewport vp = viewport(m_layout);
    vp.xMax = kDivisions * kSubDivisions;
    const int steps = kDivisions * kSubDivisions;
    auto xAt = [&](int i) { return plot.left() + vp.toPixelX(i); };
    auto yAt = [&](int i) {
        return plot.top() + vp.toPixelY(kHalfHeightUnits - i * 2 * kHalfHeightUnits / steps);
    };
    auto drawGrid = [&](const QColor& colour, bool major) {
        p.setPen(HairlinePen(colour));
        for (int i = 1; i < steps; ++i) {
            if ((i % kSubDivisions == 0) != major) continue;
            p.drawLine(xAt(i), plot.top(), xAt(i), plot.bottom());
            p.drawLine(plot.left(), yAt(i), plot.right(), yAt(i));
        }
    };
    drawGrid(kMinorGrid, false);
    drawGrid(kMajorGrid, true);

    // Centre cross with sub-division ticks, as on an instrument screen.
    const int cx = xAt(steps / 2), cy = yAt(steps / 2);
    const int tick = std::max(2, static_cast<int>(std::lround(3 * m_layout.dpr)));
    p.setPen(HairlinePen(kCentreLine));
    p.drawLine(cx, plot.top(), cx, plot.bottom());
    p.drawLine(plot.left(), cy, plot.right(), cy);
    for (int i = 1; i < steps; ++i) {
        p.drawLine(xAt(i), cy - tick, xAt(i), cy + tick);
        p.drawLine(cx - tick, yAt(i), cx + tick, yAt(i));
    }

    p.setPen(HairlinePen(kFrame));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot.adjusted(0, 0, -1, -1));
}

void LiveChartWidget::render() {
    const Layout layout = layoutFor(devicePixelRatioF());
    if (layout.device.isEmpty()) return;
    if (m_background.isNull() || layout.device != m_layout.device || layout.plot != m_layout.plot) {
        m_layout = layout;
        renderBackground();
    }
    m_layout = layout;

    // Painted in device pixels; the ratio is set afterwards so that the blit
    // in paintEvent copies pixel for pixel.
    m_chart = QPixmap(m_layout.device);
    QPainter p(&m_chart);
    p.drawPixmap(0, 0, m_background);
    if (m_model && !m_rows.empty()) {
        const ChartViewport vp = viewport(m_layout);
        const QPoint origin = m_layout.plot.topLeft();
        // The newest point lies on the right-hand frame column: traces may
        // cover the frame but never the gutter or the axis strip.
        p.setClipRect(m_layout.plot);
        for (const RowToDraw& row : m_rows) {
            p.setPen(HairlinePen(ToQColor(m_model->colour(row.pen))));
            m_pixels.resize(row.points.size());
            std::transform(
                row.points.begin(), row.points.end(), m_pixels.begin(), [&](ChartPoint c) {
                    return QPoint(origin.x() + vp.toPixelX(c.x), origin.y() + vp.toPixelY(c.y));
                });
            for (auto [first, count] : row.runs) {
                if (first < 0 || count <= 0 || first + count > static_cast<int>(m_pixels.size()))
                    continue;
                if (count == 1)
                    p.drawPoint(m_pixels[first]);
                else
                    p.drawPolyline(m_pixels.data() + first, count);
            }
        }
    }
    p.end();
    m_chart.setDevicePixelRatio(m_layout.dpr);
}

void LiveChartWidget::updateMarkers() {
    if (m_layout.device.isEmpty()) m_layout = layoutFor(devicePixelRatioF());
    ChartViewport vp = viewport(m_layout);
    for (int line = 0; line < kChartRows; ++line) {
        ZeroMarker* marker = m_markers[line];
        const int level = m_model ? m_model->zeroMarkerLevel(line) : 0;
        const qreal yDevice = m_layout.plot.top() + vp.toPixelY(level) + 0.5;
        const int y = static_cast<int>(std::floor(yDevice / m_layout.dpr)) - kMarkerHeight / 2;
        const int x = static_cast<int>(m_layout.plot.left() / m_layout.dpr) - kMarkerWidth;
        marker->move(std::max(0, x), y);
        if (m_model) marker->setColour(ToQColor(m_model->colour(line)));
    }
}

void LiveChartWidget::drawAxisLabels(QPainter& p) const {
    const int xMax = m_model ? m_model->xMax() : m_rowsXMax;
    QFont f = font();
    f.setPixelSize(10);
    p.setFont(f);
    p.setPen(kAxisText);
    const QFontMetrics fm(f);
    const qreal dpr = m_layout.dpr;
    const qreal left = m_layout.plot.left() / dpr;
    const qreal span = (m_layout.plot.width() - 1) / dpr;
    const qreal top = (m_layout.plot.bottom() + 1) / dpr;
    const int labelWidth = fm.horizontalAdvance(QString::number(xMax)) + 8;
    // Every division when the labels fit, else every second one.
    const int step = span / kDivisions >= labelWidth ? 1 : 2;
    for (int i = 0; i <= kDivisions; i += step) {
        const QString text = QString::number(xMax / kDivisions * i);
        const int w = fm.horizontalAdvance(text);
        qreal x = left + span * i / kDivisions - w / 2.0;
        x = std::clamp(x, 0.0, width() - w - 1.0);
        p.drawText(QPointF(x, top + fm.ascent() + 1), text);
    }
}

void LiveChartWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // A new size or screen needs the picture at its pixel size: drawn again
    // from the rows it already shows, never from the reading buffers.
    if (m_chart.isNull() || layoutFor(devicePixelRatioF()).device != m_layout.device) {
        render();
        updateMarkers();
    }
    p.drawPixmap(0, 0, m_chart);
    drawAxisLabels(p);
}

void LiveChartWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    render();
    updateMarkers();
}

}  // namespace qm
