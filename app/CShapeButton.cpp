#include "app/CShapeButton.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

using qm::shape::OutlineF;
using qm::shape::PointF;

namespace {

// Shades between the shadow and the light colour of a bevel ring: the colour
// changes in small steps where an outline turns from facing up-left to facing
// down-right, instead of in one hard switch on a curve.
constexpr int kShadeLevels = 6;
// Facing values over which that change happens (see UpLeftFacing).
constexpr double kBlendFrom = -0.3;
constexpr double kBlendTo = 0.3;

int ShadeLevel(PointF a, PointF b) {
    const double f = qm::shape::UpLeftFacing(a, b);
    double t = std::clamp((f - kBlendFrom) / (kBlendTo - kBlendFrom), 0.0, 1.0);
    t = t * t * (3.0 - 2.0 * t);
    return static_cast<int>(std::lround(t * kShadeLevels));
}

QColor Mix(const QColor& dark, const QColor& light, double t) {
    auto lerp = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return QColor(lerp(dark.red(), light.red()), lerp(dark.green(), light.green()),
                  lerp(dark.blue(), light.blue()), lerp(dark.alpha(), light.alpha()));
}

QPolygonF ToPolygon(const OutlineF& path) {
    QPolygonF poly;
    poly.reserve(static_cast<qsizetype>(path.size()));
    for (const PointF& p : path) poly << QPointF(p.x, p.y);
    return poly;
}

// Strokes a closed outline one pixel wide, light on the edges facing up-left
// and dark on those facing down-right. Runs of equal shade go out as one
// polyline so that no joint inside a run is drawn twice.
void StrokeBevel(QPainter& p, const OutlineF& path, const QColor& light, const QColor& dark) {
    const size_t n = path.size();
    if (n < 3 || (light.alpha() == 0 && dark.alpha() == 0)) return;
    std::vector<int> level(n);
    for (size_t i = 0; i < n; ++i) level[i] = ShadeLevel(path[i], path[(i + 1) % n]);
    // Start where the shade changes, so that no run wraps around the end.
    size_t start = 0;
    for (size_t i = 0; i < n; ++i) {
        if (level[i] != level[(i + n - 1) % n]) {
            start = i;
            break;
        }
    }
    auto strokeRun = [&](const QPolygonF& run, int shade, bool closed) {
        QPen pen(Mix(dark, light, double(shade) / kShadeLevels), 1.0);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        if (closed)
            p.drawPolygon(run);
        else
            p.drawPolyline(run);
    };
    QPolygonF run;
    int shade = level[start];
    for (size_t k = 0; k < n; ++k) {
        const size_t i = (start + k) % n;
        if (level[i] != shade) {
            strokeRun(run, shade, false);
            run.clear();
            shade = level[i];
        }
        if (run.isEmpty()) run << QPointF(path[i].x, path[i].y);
        const PointF& next = path[(i + 1) % n];
        run << QPointF(next.x, next.y);
    }
    const bool oneShade =
        std::all_of(level.begin(), level.end(), [&](int l) { return l == shade; });
    if (oneShade) run.removeLast();  // the closing edge comes from drawPolygon
    strokeRun(run, shade, oneShade);
}

// Every pixel of a width x height area that the closed outline covers at all.
QRegion CoveredPixels(const OutlineF& path, QSize size) {
    QRegion region;
    if (path.size() < 3 || size.isEmpty()) return region;
    QImage coverage(size, QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(ToPolygon(path));
    }
    for (int y = 0; y < coverage.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        int x = 0;
        while (x < coverage.width()) {
            if (qAlpha(row[x]) == 0) {
                ++x;
                continue;
            }
            const int from = x;
            while (x < coverage.width() && qAlpha(row[x]) != 0) ++x;
            region += QRect(from, y, x - from, 1);
        }
    }
    return region;
}

QColor WithAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

}  // namespace

CShapeButton::CShapeButton(QWidget* parent) : QPushButton(parent) {}

CShapeButton::CShapeButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

void CShapeButton::SetShape(int kind, int vertices) {
    m_source = Source::Kind;
    m_kind = qm::shape::ShapeKindFromInt(kind);
    m_vertices = std::max(vertices, 0);
    rebuildKindOutlines();
}

void CShapeButton::SetOutline(const std::vector<QPoint>& outer) {
    qm::shape::Outline points;
    points.reserve(outer.size());
    for (const QPoint& p : outer) points.push_back({p.x(), p.y()});
    m_source = Source::CustomOuter;
    m_kind = qm::shape::ShapeKind::Rectangle;
    applyOutlines(qm::shape::OutlineSetFrom(points));
}

void CShapeButton::SetOutline(const qm::shape::OutlineSet& outlines) {
    m_source = Source::CustomSet;
    m_kind = qm::shape::ShapeKind::Rectangle;
    applyOutlines(outlines);
}

void CShapeButton::rebuildKindOutlines() {
    m_outlineSize = size();
    applyOutlines(qm::shape::MakeOutlineSet(m_kind, width(), height(), m_vertices));
}

void CShapeButton::followSize() {
    // Layouts really resize buttons here (fonts, scaling, window size), so a
    // shape built from a kind follows the new size. A hidden button hears of
    // its resize only when shown, hence the check before every use as well.
    // A caller-given outline stays as it was given.
    if (m_shapeApplied && m_source == Source::Kind && size() != m_outlineSize)
        rebuildKindOutlines();
}

void CShapeButton::applyOutlines(qm::shape::OutlineSet outlines) {
    m_outlines = std::move(outlines);
    QPolygon polygon;
    for (const qm::shape::Point& p : m_outlines[0]) polygon << QPoint(p.x, p.y);
    m_region = polygon.size() >= 3 ? QRegion(polygon, Qt::WindingFill) : QRegion();
    // A polygon region keeps only the pixels whose centres lie inside, which
    // would cut the smoothed rim of the pictures into steps; the pixels the
    // outline merely crosses belong to the button as well.
    if (!m_region.isEmpty()) m_region += CoveredPixels(ringPath(0, 0.0, 2.0), size());
    // An empty region would mean "no mask" to Qt; an outline without area
    // (a button of no size) simply keeps the plain rectangle.
    if (m_region.isEmpty())
        clearMask();
    else
        setMask(m_region);
    m_shapeApplied = true;
    ++m_shapeSerial;
    update();
}

CShapeButton::Picture CShapeButton::currentPicture() const {
    if (isDown()) return kPressedPicture;
    if (hasFocus()) return kFocusedPicture;
    return kNormalPicture;
}

CShapeButton::RenderKey CShapeButton::currentKey() const {
    RenderKey key;
    key.enabled = isEnabled();
    key.size = size();
    key.dpr = devicePixelRatioF();
    key.palette = palette().cacheKey();
    key.text = text();
    key.font = font().key();
    key.shapeSerial = m_shapeSerial;
    return key;
}

const QPixmap& CShapeButton::picture(Picture which) {
    followSize();
    const RenderKey key = currentKey();
    if (!m_picturesValid || key != m_renderedKey) {
        m_renderedKey = key;
        renderPictures();
    }
    return m_pictures[std::clamp(int(which), 0, 2)];
}

void CShapeButton::renderPictures() {
    const qreal dpr = m_renderedKey.dpr;
    for (int i = 0; i < 3; ++i) m_pictures[i] = renderPicture(static_cast<Picture>(i), dpr);
    m_picturesValid = true;
    ++m_renderCount;
}

void CShapeButton::paintEvent(QPaintEvent*) {
    if (!m_shapeApplied) SetShape(0);  // nobody chose a shape: a plain rectangle
    const QPixmap& pm = picture(currentPicture());
    QPainter p(this);
    p.drawPixmap(0, 0, pm);
}

void CShapeButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    followSize();  // the pictures notice the new size themselves
}

bool CShapeButton::hitButton(const QPoint& pos) const {
    if (m_shapeApplied && !m_region.isEmpty()) return m_region.contains(pos);
    return QPushButton::hitButton(pos);
}

OutlineF CShapeButton::ringPath(size_t ring, double extraInset, qreal dpr) const {
    using namespace qm::shape;
    switch (m_source) {
        case Source::Kind: {
            // Drawn from the exact curve, with as many vertices as the pixel
            // density needs, so edges stay smooth at 200 %.
            const int n = m_vertices > 0
                              ? m_vertices
                              : VertexCountForRadius(std::min(width(), height()) / 2.0 * dpr);
            return OutlinePath(m_kind, width(), height(), kInsets[ring] + extraInset, n);
        }
        case Source::CustomOuter:
            return InsetPath(ToPath(m_outlines[0]), kInsets[ring] + extraInset);
        case Source::CustomSet:
            break;
    }
    return InsetPath(ToPath(m_outlines[ring]), extraInset);
}

QPixmap CShapeButton::renderPicture(Picture which, qreal dpr) const {
    const QSize sz = size();
    QPixmap pm(QSize(std::max(1, int(std::ceil(sz.width() * dpr))),
                     std::max(1, int(std::ceil(sz.height() * dpr)))));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    // Every ring is stroked along its centre line: half a pixel inside it.
    const OutlineF face = ringPath(0, 0.5, dpr);
    if (face.size() < 3) return pm;

    const bool enabled = isEnabled();
    const bool pressed = which == kPressedPicture;
    const QPalette::ColorGroup group = enabled ? QPalette::Active : QPalette::Disabled;
    const QPalette& pal = palette();
    auto role = [&](QPalette::ColorRole r) { return pal.color(group, r); };
    const QColor button = role(QPalette::Button);
    const QColor highlight = role(QPalette::Light);  // 3-D highlight
    const QColor light = role(QPalette::Midlight);   // 3-D light
    const QColor shadow = role(QPalette::Dark);      // button shadow
    const QColor darkShadow = role(QPalette::Shadow);

    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    // The face: a gentle vertical shade, convex when up, dished when pressed.
    QLinearGradient shade(0, 0, 0, sz.height());
    if (!enabled) {
        shade.setColorAt(0, button);
        shade.setColorAt(1, button);
    } else if (pressed) {
        shade.setColorAt(0, button.darker(112));
        shade.setColorAt(1, button.darker(103));
    } else {
        shade.setColorAt(0, button.lighter(107));
        shade.setColorAt(0.55, button);
        shade.setColorAt(1, button.darker(106));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPolygon(ToPolygon(face));

    // The bevel, outside in: the outer ring in 3-D light / dark shadow, the
    // next in highlight / button shadow, the third a soft sheen; pressed swaps
    // light and dark so the key looks pushed in.
    if (!pressed) {
        StrokeBevel(p, ringPath(2, 0.5, dpr), WithAlpha(highlight, 150), WithAlpha(shadow, 60));
        StrokeBevel(p, ringPath(1, 0.5, dpr), highlight, shadow);
        StrokeBevel(p, face, light, darkShadow);
    } else {
        StrokeBevel(p, ringPath(2, 0.5, dpr), WithAlpha(shadow, 70), WithAlpha(button, 0));
        StrokeBevel(p, ringPath(1, 0.5, dpr), shadow, highlight);
        StrokeBevel(p, face, darkShadow, light);
    }

    // Keyboard focus: a ring on the innermost outline.
    if (which == kFocusedPicture) {
        const OutlineF focus = ringPath(3, 0.5, dpr);
        if (focus.size() >= 3) {
            p.setPen(QPen(WithAlpha(role(QPalette::Highlight), 210), 1.0));
            p.setBrush(Qt::NoBrush);
            p.drawPolygon(ToPolygon(focus));
        }
    }

    // The caption, centred in the part of the face clear of the curves.
    QFont captionFont = font();
    if (captionFont.weight() < QFont::DemiBold) captionFont.setWeight(QFont::DemiBold);
    p.setFont(captionFont);
    const double side = std::min(sz.width(), sz.height());
    double padX = 4.0, padY = 2.0;
    switch (m_source == Source::Kind ? m_kind : qm::shape::ShapeKind::Rectangle) {
        case qm::shape::ShapeKind::Capsule:
            padX = side / 4.0;
            break;
        case qm::shape::ShapeKind::Circle:
        case qm::shape::ShapeKind::Diamond:
            padX = (sz.width() - side * 0.7) / 2.0;
            padY = (sz.height() - side * 0.7) / 2.0;
            break;
        case qm::shape::ShapeKind::Rectangle:
            break;
    }
    QRectF textRect = QRectF(QPointF(0, 0), QSizeF(sz)).adjusted(padX, padY, -padX, -padY);
    if (pressed) textRect.translate(1.0, 1.0);
    const QString caption =
        QFontMetricsF(captionFont)
            .elidedText(text(), Qt::ElideRight, textRect.width(), Qt::TextShowMnemonic);
    const int flags = Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
    if (enabled) {
        p.setPen(role(QPalette::ButtonText));
    } else {
        // Embossed, as disabled captions always were: a light copy one pixel
        // down-right under a shadow-coloured one.
        p.setPen(pal.color(QPalette::Active, QPalette::Light));
        p.drawText(textRect.translated(1.0, 1.0), flags, caption);
        p.setPen(pal.color(QPalette::Active, QPalette::Dark));
    }
    p.drawText(textRect, flags, caption);
    return pm;
}
