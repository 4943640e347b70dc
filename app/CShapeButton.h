#pragma once
// A push button with a non-rectangular outline and a bevelled 3-D face: the
// main window's measurement-function keys are capsules of this kind.
//
// The button keeps four nested outlines (outer, and inset by 1, 2 and 4
// pixels). The outer one becomes the widget's mask, so the button neither
// shows nor takes clicks outside its shape. Three pictures (normal, focused,
// pressed) are rendered once into pixmaps and shown as they are; they are
// rendered again only when something they show has changed.
#include <QPixmap>
#include <QPushButton>
#include <QRegion>
#include <vector>

#include "app/ShapeOutline.h"

class CShapeButton : public QPushButton {
    Q_OBJECT

  public:
    enum Picture : int { kNormalPicture = 0, kFocusedPicture = 1, kPressedPicture = 2 };

    explicit CShapeButton(QWidget* parent = nullptr);
    explicit CShapeButton(const QString& text, QWidget* parent = nullptr);

    // 0 rectangle, 1 diamond, 2 circle, 3 capsule (anything else: rectangle).
    // `vertices` sets the vertex count of a full turn for the curved kinds;
    // 0 derives it from the radius. The outlines follow later resizes.
    void SetShape(int kind, int vertices = 0);
    // A caller-given outer outline (widget coordinates); the inner outlines
    // are derived from it. It stays as given when the button is resized.
    void SetOutline(const std::vector<QPoint>& outer);
    // All four outlines given by the caller, outside in.
    void SetOutline(const qm::shape::OutlineSet& outlines);

    bool hasShape() const { return m_shapeApplied; }
    qm::shape::ShapeKind shapeKind() const { return m_kind; }
    const qm::shape::OutlineSet& outlines() const { return m_outlines; }

    // The picture for a state, rendered first when missing or stale.
    const QPixmap& picture(Picture which);
    // The picture a paint would show now: pressed while down, else focused
    // while it has the focus, else normal.
    Picture currentPicture() const;
    // How many times the three pictures have been rendered (for tests and
    // for keeping an eye on needless work).
    int renderCount() const { return m_renderCount; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

  private:
    enum class Source { Kind, CustomOuter, CustomSet };

    // Everything the pictures depend on; a difference means render again.
    // Besides the enabled state and the colours this includes the size (a
    // resize is real under a layout), the pixel density (a window moved to
    // another screen) and the caption with its font (a relabelled key must
    // not keep showing its old caption).
    struct RenderKey {
        bool enabled = true;
        QSize size;
        qreal dpr = 1.0;
        qint64 palette = 0;
        QString text;
        QString font;
        int shapeSerial = 0;
        bool operator==(const RenderKey&) const = default;
    };

    void applyOutlines(qm::shape::OutlineSet outlines);
    void rebuildKindOutlines();
    void followSize();
    RenderKey currentKey() const;
    void renderPictures();
    QPixmap renderPicture(Picture which, qreal dpr) const;
    qm::shape::OutlineF ringPath(size_t ring, double extraInset, qreal dpr) const;

    Source m_source = Source::Kind;
    qm::shape::ShapeKind m_kind = qm::shape::ShapeKind::Rectangle;
    int m_vertices = 0;
    qm::shape::OutlineSet m_outlines;
    QSize m_outlineSize;  // the size the kind's outlines were built for
    QRegion m_region;
    bool m_shapeApplied = false;  // outlines exist and the mask is applied

    QPixmap m_pictures[3];
    bool m_picturesValid = false;
    RenderKey m_renderedKey;
    int m_shapeSerial = 0;
    int m_renderCount = 0;
};
