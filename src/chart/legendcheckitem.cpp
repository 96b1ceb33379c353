#include "legendcheckitem.h"

LegendCheckItem::LegendCheckItem(QCPLegend *legend, QCPAbstractPlottable *line)
    : QCPPlottableLegendItem(legend, line)
{
}

bool LegendCheckItem::isChecked() const
{
    return mPlottable && mPlottable->visible();
}

void LegendCheckItem::draw(QCPPainter *painter)
{
    const int rowHeight = mParentLegend->iconSize().height();
    const QRect box(mRect.left(), mRect.top() + (rowHeight - BoxSize) / 2, BoxSize, BoxSize);

    painter->save();
    painter->setAntialiasing(true);
    painter->setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    painter->setBrush(Qt::white);
    painter->drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    if (isChecked()) {
        QPen tick(Qt::black, 2);
        tick.setCapStyle(Qt::RoundCap);
        tick.setJoinStyle(Qt::RoundJoin);
        painter->setPen(tick);
        const QPointF mark[3] = {{box.left() + 2.5, box.top() + 6.0},
                                 {box.left() + 5.0, box.top() + 9.0},
                                 {box.left() + 9.5, box.top() + 3.0}};
        painter->drawPolyline(mark, 3);
    }
    painter->restore();

    // The symbol and the text go right of the box.
    const QRect whole = mRect;
    mRect.setLeft(mRect.left() + BoxSize + BoxPadding);
    QCPPlottableLegendItem::draw(painter);
    mRect = whole;
}

QSize LegendCheckItem::minimumOuterSizeHint() const
{
    return QCPPlottableLegendItem::minimumOuterSizeHint() + QSize(BoxSize + BoxPadding, 0);
}
