#include "ui/QtIcons.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <algorithm>
#include <memory>

// The resources live in a static library: nothing would pull them into the
// program unless something asks for them by name.
static void InitIconResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)done;
}

namespace {

// Small sizes use a simplified drawing when there is one: a detailed picture
// shrunk to 16 pixels turns to mush.
constexpr int kSmallDrawingMax = 20;

// Draws an SVG at the exact size asked for, so that a 16-pixel menu icon and
// a 256-pixel window icon are both sharp. Disabled and selected looks come
// from the style, as they would for a bitmap icon.
class SvgIconEngine final : public QIconEngine {
  public:
    SvgIconEngine(const QString& path, const QString& smallPath)
        : m_renderer(std::make_shared<QSvgRenderer>(path)) {
        if (QFile::exists(smallPath)) m_small = std::make_shared<QSvgRenderer>(smallPath);
    }

    QIconEngine* clone() const override { return new SvgIconEngine(*this); }
    QString key() const override { return QStringLiteral("qm_svg"); }
    bool isNull() override { return !m_renderer->isValid(); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        (void)state;
        if (size.isEmpty() || !m_renderer->isValid()) return {};
        const QString cacheKey =
            QStringLiteral("%1x%2:%3").arg(size.width()).arg(size.height()).arg(int(mode));
        if (auto it = m_cache.constFind(cacheKey); it != m_cache.constEnd()) return *it;
        QSvgRenderer* renderer = m_renderer.get();
        if (m_small && m_small->isValid() &&
            std::max(size.width(), size.height()) <= kSmallDrawingMax)
            renderer = m_small.get();
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        {
            QPainter p(&pm);
            // Keep the drawing's proportions, centred in a request of another shape.
            const QSizeF drawn =
                QSizeF(renderer->defaultSize()).scaled(QSizeF(size), Qt::KeepAspectRatio);
            const QPointF at((size.width() - drawn.width()) / 2.0,
                             (size.height() - drawn.height()) / 2.0);
            renderer->render(&p, QRectF(at, drawn));
        }
        if (mode != QIcon::Normal && mode != QIcon::Active) {
            if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
                QStyleOption opt;
                opt.palette = QApplication::palette();
                pm = app->style()->generatedIconPixmap(mode, pm, &opt);
            }
        }
        if (m_cache.size() > 32) m_cache.clear();  // sizes in use are few; never grow unbounded
        m_cache.insert(cacheKey, pm);
        return pm;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pm = pixmap(rect.size() * dpr, mode, state);
        pm.setDevicePixelRatio(dpr);
        painter->drawPixmap(rect.topLeft(), pm);
    }

  private:
    std::shared_ptr<QSvgRenderer> m_renderer;
    std::shared_ptr<QSvgRenderer> m_small;
    QHash<QString, QPixmap> m_cache;
};

}  // namespace

QString qmIconPath(const char* name) {
    return QStringLiteral(":/icons/%1.svg").arg(QString::fromUtf8(name ? name : ""));
}

QIcon qmIcon(const char* name) {
    InitIconResources();
    static QHash<QString, QIcon> cache;
    const QString path = qmIconPath(name);
    if (auto it = cache.constFind(path); it != cache.constEnd()) return *it;
    QIcon icon;
    if (name && *name && QFile::exists(path))
        icon = QIcon(new SvgIconEngine(
            path, QStringLiteral(":/icons/%1_16.svg").arg(QString::fromUtf8(name))));
    cache.insert(path, icon);
    return icon;
}
