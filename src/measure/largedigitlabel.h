#pragma once

#include <QHash>
#include <QLabel>
#include <QPixmap>

// A label for digits beyond the raster engine's glyph cache (over 64 px):
// there Qt fills every glyph's outline again at each paint, about a
// millisecond per label and tick. This one renders each character once in
// the label's font and colour and composes the text from those pictures.
// Plain text on one line; alignment as QLabel's. GUI thread only.
class LargeDigitLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LargeDigitLabel(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Glyph {
        QPixmap picture; // the character, `m_overhang` px of room on each side
        qreal advance = 0;
    };
    const Glyph &glyph(QChar c);

    QHash<QChar, Glyph> m_glyphs; // for the current font, colour and scale
    qreal m_ratio = 0;            // device pixel ratio the glyphs were drawn for
    int m_overhang = 0;
};
