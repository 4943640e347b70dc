#include "app/FittedLabelWidget.h"

#include <QEvent>
#include <QFontInfo>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

namespace qm {

FittedLabel::FittedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void FittedLabel::setFloorPixelSize(int pixels) {
    m_floorPixels = std::max(0, pixels);
    m_fitWidth = -1;
    updateGeometry();
    update();
}

void FittedLabel::setLongestTexts(const QStringList& texts) {
    m_longest = texts;
    updateGeometry();
}

int FittedLabel::TextWidth(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text);
}

int FittedLabel::textRoom() const {
    return std::max(0, contentsRect().width() - 2 * margin());
}

// The text's font: the label's own when the text fits, else the largest
// smaller pixel size that fits, not below the floor; at the floor a text
// that still does not fit is elided.
const FittedLabel::Fit& FittedLabel::fit() const {
    const QString current = text();
    const int room = textRoom();
    if (current == m_fitText && room == m_fitWidth && font() == m_fitBase) return m_fit;
    m_fitText = current;
    m_fitWidth = room;
    m_fitBase = font();

    QFont f = font();
    const int full = TextWidth(f, current);
    if (full <= room) {
        m_fit = {f, current};
        return m_fit;
    }
    if (m_floorPixels > 0 && full > 0) {
        const int pixels = QFontInfo(f).pixelSize();
        // Widths grow almost in proportion to the size: start just above the
        // proportional guess and step down.
        const int guess = pixels * room / full + 1;
        for (int p = std::min(pixels - 1, guess); p >= m_floorPixels; --p) {
            f.setPixelSize(p);
            if (TextWidth(f, current) <= room) {
                m_fit = {f, current};
                return m_fit;
            }
        }
        f.setPixelSize(m_floorPixels);
    }
    m_fit = {f, QFontMetrics(f).elidedText(current, m_elide, room)};
    return m_fit;
}

QFont FittedLabel::fittedFont() const {
    return fit().font;
}

bool FittedLabel::isElided() const {
    return fit().shown != text();
}

int FittedLabel::lineHeight() const {
    return QFontMetrics(font()).height();
}

QSize FittedLabel::minimumSizeHint() const {
    const QMargins m = contentsMargins();
    const int frame = m.left() + m.right() + 2 * margin();
    int width = 0;
    if (!m_longest.isEmpty()) {
        QFont floor = font();
        if (m_floorPixels > 0) floor.setPixelSize(m_floorPixels);
        for (const QString& t : m_longest) width = std::max(width, TextWidth(floor, t));
    } else {
        // Nothing promised: an elided text keeps a few characters.
        width = std::min(TextWidth(font(), text()), QFontMetrics(font()).averageCharWidth() * 6);
    }
    return {width + frame, lineHeight() + m.top() + m.bottom() + 2 * margin()};
}

QSize FittedLabel::sizeHint() const {
    const QSize min = minimumSizeHint();
    const QMargins m = contentsMargins();
    return {std::max(min.width(), TextWidth(font(), text()) + m.left() + m.right() + 2 * margin()),
            min.height()};
}

bool FittedLabel::event(QEvent* event) {
    // An elided text shows whole in the tooltip, unless the label has one of its own.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && isElided()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

void FittedLabel::paintEvent(QPaintEvent* event) {
    // Frame and style-sheet background first, then the text in its fitted font.
    QFrame::paintEvent(event);
    const Fit& f = fit();
    QPainter p(this);
    p.setFont(f.font);
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&p, room, static_cast<int>(alignment()), palette(), isEnabled(), f.shown,
                          foregroundRole());
}

void FittedLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_fitWidth = -1;
        updateGeometry();
    }
}

}  // namespace qm
