#pragma once

#include <QHash>
#include <QLabel>
#include <QPixmap>

// A label for digits beyond the raster engine's glyph cache (over 64 px):
// there Qt fills every glyph's outline again at each paint, about a
// millisecond per label and tick. This one renders each character once in
// the label's font and colour and composes the text from those pictures.
// Plain text on one line; alignment as QLabel's. A text wider than the
// label is drawn in a smaller font until it fits whole: a reading with a
// digit cut off would be a wrong reading. GUI thread only.
class LargeDigitLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LargeDigitLabel(QWidget *parent = nullptr);

    // The pixel size the current text is drawn in: the font's own unless
    // the text would not fit.
    int shownPixelSize();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Glyph {
        QPixmap picture; // the character, `overhang` px of room on each side
        qreal advance = 0;
        int overhang = 0;
    };
    const Glyph &glyph(QChar c, int pixelSize);
    qreal textWidth(const QString &text, int pixelSize);

    // For the current font family, colour and scale; by pixel size, as a
    // value near the fitting limit may alternate between two sizes.
    QHash<QPair<int, QChar>, Glyph> m_glyphs;
    qreal m_ratio = 0; // device pixel ratio the glyphs were drawn for
};
