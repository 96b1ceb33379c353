#include "largedigitlabel.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>

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

const LargeDigitLabel::Glyph &LargeDigitLabel::glyph(QChar c)
{
    auto found = m_glyphs.constFind(c);
    if (found != m_glyphs.constEnd())
        return *found;

    const QFontMetricsF metrics(font());
    m_overhang = int(std::ceil(metrics.height() / 4));
    Glyph g;
    g.advance = metrics.horizontalAdvance(c);
    const QSizeF size(g.advance + 2 * m_overhang, metrics.height());
    g.picture = QPixmap((size * m_ratio).toSize() + QSize(1, 1));
    g.picture.setDevicePixelRatio(m_ratio);
    g.picture.fill(Qt::transparent);
    QPainter painter(&g.picture);
    painter.setFont(font());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   foregroundRole()));
    painter.drawText(QPointF(m_overhang, metrics.ascent()), QString(c));
    return *m_glyphs.insert(c, g);
}

void LargeDigitLabel::paintEvent(QPaintEvent *)
{
    // The style sheet's background is painted before this, as for any widget.
    QPainter painter(this);
    drawFrame(&painter);
    const QString shown = text();
    if (shown.isEmpty())
        return;
    if (devicePixelRatioF() != m_ratio) { // moved to a screen of another scale
        m_glyphs.clear();
        m_ratio = devicePixelRatioF();
    }

    qreal width = 0;
    for (QChar c : shown)
        width += glyph(c).advance;
    const QRectF area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    qreal x = area.left();
    if (align & Qt::AlignRight)
        x = area.right() + 1 - width;
    else if (align & Qt::AlignHCenter)
        x = area.left() + (area.width() - width) / 2;
    const qreal height = QFontMetricsF(font()).height();
    qreal y = area.top();
    if (align & Qt::AlignBottom)
        y = area.bottom() + 1 - height;
    else if (align & Qt::AlignVCenter)
        y = area.top() + (area.height() - height) / 2;

    painter.setClipRect(contentsRect());
    for (QChar c : shown) {
        const Glyph &g = glyph(c);
        painter.drawPixmap(QPointF(std::round(x) - m_overhang, std::round(y)), g.picture);
        x += g.advance;
    }
}
