#pragma once
// A label whose text is never cut silently. It draws its text in its own
// font when it fits; otherwise in a smaller one, down to a floor size (a
// value field keeps every digit of its reading, only smaller); and only a
// text that does not fit even at the floor is elided, visibly ("…"), with the
// whole text in the tooltip. Its minimum width is that of the longest text it
// must show at the floor size, so a layout keeps room for it.
#include <QLabel>

namespace qm {

class FittedLabel : public QLabel {
    Q_OBJECT

  public:
    explicit FittedLabel(const QString& text = QString(), QWidget* parent = nullptr);

    // The smallest pixel size the text may shrink to; 0: never shrink.
    void setFloorPixelSize(int pixels);
    int floorPixelSize() const { return m_floorPixels; }
    // The texts this label must show whole: the widest, at the floor size,
    // is its minimum width.
    void setLongestTexts(const QStringList& texts);
    void setElideMode(Qt::TextElideMode mode) { m_elide = mode; }

    // The font the current text is drawn in, whether it had to be elided,
    // and the width the text has to fit in.
    QFont fittedFont() const;
    bool isElided() const;
    int textRoom() const;
    // The width of text in `font`, as this label draws it.
    static int TextWidth(const QFont& font, const QString& text);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    struct Fit {
        QFont font;
        QString shown;
    };
    const Fit& fit() const;
    int lineHeight() const;

    int m_floorPixels = 0;
    QStringList m_longest;
    Qt::TextElideMode m_elide = Qt::ElideRight;
    // The last fit, for the text and width it was made for.
    mutable QString m_fitText;
    mutable int m_fitWidth = -1;
    mutable QFont m_fitBase;
    mutable Fit m_fit;
};

}  // namespace qm
