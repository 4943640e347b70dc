#include "records/RecordPlotWidget.h"

#include <QPainter>
#include <QPolygon>

namespace {

const QColor kPlot(0x10, 0x14, 0x18);
const QColor kGrid(0x38, 0x40, 0x48);
const QColor kCentre(0x78, 0x82, 0x8c);
constexpr int kColumns = 10;
constexpr int kRows = 20;

}  // namespace

RecordPlotWidget::RecordPlotWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(kControlId));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

qm::PlotGeometry RecordPlotWidget::geometryInPixels() const {
    return {std::max(1, width()), std::max(1, height())};
}

QPixmap RecordPlotWidget::Background() const {
    QPixmap p(size().expandedTo(QSize(1, 1)));
    p.fill(kPlot);
    QPainter painter(&p);
    const int w = p.width(), h = p.height();
    painter.setPen(kGrid);
    for (int i = 1; i < kColumns; ++i) painter.drawLine(i * (w - 1) / kColumns, 0, i * (w - 1) / kColumns, h);
    for (int i = 1; i < kRows; ++i) painter.drawLine(0, i * (h - 1) / kRows, w, i * (h - 1) / kRows);
    painter.setPen(kCentre);
    painter.drawLine(0, (h - 1) / 2, w, (h - 1) / 2);
    painter.drawRect(0, 0, w - 1, h - 1);
    return p;
}

void RecordPlotWidget::clear() {
    m_picture = Background();
    m_hasMarker = false;
    update();
}

void RecordPlotWidget::drawLines(const std::vector<qm::PlotPolyline>& lines, const QColor& colour,
                                 const qm::PlotGeometry& geometry) {
    if (m_picture.size() != size()) m_picture = m_picture.isNull() ? Background() : m_picture.scaled(size());
    QPainter painter(&m_picture);
    if (geometry.width != m_picture.width() || geometry.height != m_picture.height())
        painter.scale(static_cast<double>(m_picture.width()) / geometry.width,
                      static_cast<double>(m_picture.height()) / geometry.height);
    painter.setPen(QPen(colour, 0));
    QPolygon polygon;
    for (const qm::PlotPolyline& line : lines) {
        polygon.resize(static_cast<int>(line.size()));
        for (std::size_t i = 0; i < line.size(); ++i)
            polygon[static_cast<int>(i)] = QPoint(line[i].x, line[i].y);
        if (polygon.size() == 1)
            painter.drawPoint(polygon[0]);
        else
            painter.drawPolyline(polygon);
    }
    update();
}

void RecordPlotWidget::setMarker(const qm::CursorReadout& readout) {
    m_hasMarker = readout.marker;
    m_marker = QRect(QPoint(readout.x - readout.halfWidth, readout.y - readout.halfHeight),
                     QPoint(readout.x + readout.halfWidth, readout.y + readout.halfHeight));
    update();
}

void RecordPlotWidget::clearMarker() {
    m_hasMarker = false;
    update();
}

void RecordPlotWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_picture.isNull()) m_picture = Background();
    painter.drawPixmap(0, 0, m_picture);
    if (m_hasMarker) {
        painter.setPen(QPen(Qt::white, 1));
        painter.setBrush(Qt::black);
        painter.drawRect(m_marker);
    }
}

void RecordPlotWidget::resizeEvent(QResizeEvent* event) {
    // What was drawn stays, stretched to the new size; the next drawing or
    // cursor move uses the new size.
    QWidget::resizeEvent(event);
    m_picture = m_picture.isNull() ? Background() : m_picture.scaled(size().expandedTo(QSize(1, 1)));
    m_hasMarker = false;
}
