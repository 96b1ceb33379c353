#include "largedigitlabel.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>

#include <algorithm>
#include <cmath>

LargeDigitLabel::LargeDigitLabel(QWidget *parent) : QLabel(parent)
{
}

void LargeDigitLabel::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
        m_glyphs.clear();
        break;
    default:
        break;
    }
    QLabel::changeEvent(event);
}

namespace {
QFont withPixelSize(QFont font, int pixelSize)
{
    font.setPixelSize(pixelSize);
    return font;
}
} // namespace

const LargeDigitLabel::Glyph &LargeDigitLabel::glyph(QChar c, int pixelSize)
{
    auto found = m_glyphs.constFind({pixelSize, c});
    if (found != m_glyphs.constEnd())
        return *found;

    const QFont sized = withPixelSize(font(), pixelSize);
    const QFontMetricsF metrics(sized);
    Glyph g;
    g.overhang = int(std::ceil(metrics.height() / 4));
    g.advance = metrics.horizontalAdvance(c);
    const QSizeF size(g.advance + 2 * g.overhang, metrics.height());
    g.picture = QPixmap((size * m_ratio).toSize() + QSize(1, 1));
    g.picture.setDevicePixelRatio(m_ratio);
    g.picture.fill(Qt::transparent);
    QPainter painter(&g.picture);
    painter.setFont(sized);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   foregroundRole()));
    painter.drawText(QPointF(g.overhang, metrics.ascent()), QString(c));
    return *m_glyphs.insert({pixelSize, c}, g);
}

qreal LargeDigitLabel::textWidth(const QString &text, int pixelSize)
{
    qreal width = 0;
    for (QChar c : text)
        width += glyph(c, pixelSize).advance;
    return width;
}

int LargeDigitLabel::shownPixelSize()
{
    if (devicePixelRatioF() != m_ratio) { // moved to a screen of another scale
        m_glyphs.clear();
        m_ratio = devicePixelRatioF();
    }
    const int full = font().pixelSize() > 0 ? font().pixelSize() : QFontInfo(font()).pixelSize();
    const qreal room = contentsRect().width() - 2 * margin();
    const QString shown = text();
    int size = full;
    qreal width = textWidth(shown, size);
    // Proportional first, then a pixel at a time: advances do not scale exactly.
    if (width > room && width > 0)
        size = std::max(1, int(size * room / width));
    while (size > 1 && textWidth(shown, size) > room)
        --size;
    return size;
}

void LargeDigitLabel::paintEvent(QPaintEvent *)
{
    // The style sheet's background is painted before this, as for any widget.
    QPainter painter(this);
    drawFrame(&painter);
    const QString shown = text();
    if (shown.isEmpty())
        return;

    const int pixelSize = shownPixelSize();
    const qreal width = textWidth(shown, pixelSize);
    const QRectF area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    qreal x = area.left();
    if (align & Qt::AlignRight)
        x = area.right() + 1 - width;
    else if (align & Qt::AlignHCenter)
        x = area.left() + (area.width() - width) / 2;
    const qreal height = QFontMetricsF(withPixelSize(font(), pixelSize)).height();
    qreal y = area.top();
    if (align & Qt::AlignBottom)
        y = area.bottom() + 1 - height;
    else if (align & Qt::AlignVCenter)
        y = area.top() + (area.height() - height) / 2;

    painter.setClipRect(contentsRect());
    for (QChar c : shown) {
        const Glyph &g = glyph(c, pixelSize);
        painter.drawPixmap(QPointF(std::round(x) - g.overhang, std::round(y)), g.picture);
        x += g.advance;
    }
}
