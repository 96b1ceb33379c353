#include "chartline.h"

#include "samplestore.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// pixel = offset + scale * coordinate, for a linear axis at its current range.
struct AxisMap {
    double offset;
    double scale;
    explicit AxisMap(const QCPAxis *axis)
    {
        const QCPRange r = axis->range();
        const double lower = axis->coordToPixel(r.lower);
        scale = (axis->coordToPixel(r.upper) - lower) / r.size();
        offset = lower - scale * r.lower;
    }
    double operator()(double coordinate) const { return offset + scale * coordinate; }
};

bool isGap(const QPointF &p)
{
    return std::isnan(p.y());
}

} // namespace

ChartLine::ChartLine(QCPAxis *keyAxis, QCPAxis *valueAxis, const SampleStore *samples, int line)
    : QCPAbstractPlottable(keyAxis, valueAxis), m_samples(samples), m_line(line)
{
}

QVector<QPointF> ChartLine::linePoints() const
{
    QVector<QPointF> out;
    const QCPAxis *keyAxis = mKeyAxis.data();
    const QCPAxis *valueAxis = mValueAxis.data();
    if (!keyAxis || !valueAxis || m_samples->size() == 0)
        return out;

    // One sample beyond each edge, so the line runs on to the border.
    const QCPRange keys = keyAxis->range();
    qsizetype begin = m_samples->lowerBound(keys.lower);
    qsizetype end = m_samples->upperBound(keys.upper);
    if (begin > 0)
        --begin;
    if (end < m_samples->size())
        ++end;
    const AxisMap px(keyAxis);
    const AxisMap py(valueAxis);
    const int columns = std::max(1, keyAxis->axisRect()->width());

    if (end - begin <= 2 * qsizetype(columns)) {
        out.reserve(end - begin);
        m_samples->forEach(m_line, begin, end, [&](double sampleX, float y) {
            out.append(std::isnan(y) ? QPointF(NaN, NaN) : QPointF(px(sampleX), py(y)));
        });
        return out;
    }

    // Each pixel column's samples, found by x, drawn as the span from the
    // end nearer their first value to the other; a gap in a column breaks
    // the line before it when the column starts with it, else after it.
    out.reserve(2 * qsizetype(columns) + 16);
    auto breakLine = [&out] {
        if (!out.isEmpty() && !isGap(out.last()))
            out.append(QPointF(NaN, NaN));
    };
    qsizetype i = begin;
    while (i < end) {
        const double p = px(m_samples->x(i));
        int column = int(p); // floor, without a library call
        if (p < column)
            --column;
        const double nextColumnAt = (column + 1 - px.offset) / px.scale;
        const qsizetype next = m_samples->lowerBoundNear(nextColumnAt, i + 1, end);

        const auto [low, high, gap] = m_samples->span(m_line, i, next);
        const bool gapFirst = gap && std::isnan(m_samples->value(m_line, i));
        if (gapFirst)
            breakLine();
        if (low <= high) {
            const double x = column + 0.5;
            const bool falling = m_samples->value(m_line, next - 1) < m_samples->value(m_line, i);
            out.append(QPointF(x, py(falling ? high : low)));
            if (low != high)
                out.append(QPointF(x, py(falling ? low : high)));
        }
        if (gap && !gapFirst)
            breakLine();
        i = next;
    }
    return out;
}

void ChartLine::draw(QCPPainter *painter)
{
    const QVector<QPointF> points = linePoints();
    if (points.size() < 2)
        return;
    applyDefaultAntialiasingHint(painter);
    painter->setPen(mPen);
    painter->setBrush(Qt::NoBrush);
    // Exports keep the polyline's joins. On screen, a segment less than two
    // pixels wide (a column's span and the step to the next column: nearly
    // all of a dense window) is filled as the pixels its 2 px stroke
    // covers, each pixel column once; stroking thousands of short wide
    // segments took most of a replot. Longer segments are stroked, each on
    // its own: the raster engine strokes a wide polyline of thousands of
    // points many times slower.
    const bool exporting = painter->modes().testFlag(QCPPainter::pmVectorized) ||
                           painter->modes().testFlag(QCPPainter::pmNoCaching);
    const double half = mPen.widthF() / 2;
    // What the strokes starting at pixel column x cover, rows [top, bottom)
    // of the columns x and x + 1. Each pixel column is filled once with
    // what covers it: the right half of one cover with the left of the next.
    struct Cover {
        int x = 0, top = 0, bottom = 0;
    };
    std::optional<Cover> pending, previous;
    // Whole pixels, without antialiasing: QCPPainter shifts by half a pixel
    // while antialiasing, which would blur every filled column into two.
    const bool antialiased = painter->antialiasing();
    QVector<QRect> columns; // filled together: one call, not one per column
    auto fillColumn = [&](int x, int top, int bottom) {
        columns.append(QRect(x, top, 1, bottom - top));
    };
    auto closePrevious = [&] { // its right column, when nothing follows on
        if (previous)
            fillColumn(previous->x + 1, previous->top, previous->bottom);
        previous.reset();
    };
    auto flush = [&] {
        if (!pending)
            return;
        const Cover c = *pending;
        pending.reset();
        if (previous && previous->x + 1 == c.x) {
            fillColumn(c.x, std::min(c.top, previous->top), std::max(c.bottom, previous->bottom));
        } else {
            closePrevious();
            fillColumn(c.x, c.top, c.bottom);
        }
        previous = c;
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i <= points.size(); ++i) {
        if (i < points.size() && !isGap(points[i]))
            continue;
        if (i - start >= 2 && exporting) {
            painter->drawPolyline(points.constData() + start, int(i - start));
        } else if (i - start >= 2 && mPen.widthF() != 2) {
            for (qsizetype j = start + 1; j < i; ++j)
                painter->drawLine(QLineF(points[j - 1], points[j]));
        } else if (i - start >= 2) {
            painter->setAntialiasing(false);
            for (qsizetype j = start + 1; j < i; ++j) {
                const QPointF &a = points[j - 1], &b = points[j];
                if (std::abs(b.x() - a.x()) >= 1.5) {
                    painter->setAntialiasing(antialiased);
                    painter->drawLine(QLineF(a, b));
                    painter->setAntialiasing(false);
                    continue;
                }
                const int x = int(std::floor(std::max(a.x(), b.x())));
                const int top = int(std::floor(std::min(a.y(), b.y()) - half));
                const int bottom = std::max(top + 1, int(std::ceil(std::max(a.y(), b.y()) + half)));
                if (pending && pending->x == x) {
                    pending->top = std::min(pending->top, top);
                    pending->bottom = std::max(pending->bottom, bottom);
                } else {
                    flush();
                    pending = Cover{x, top, bottom};
                }
            }
            flush();
            closePrevious();
            painter->setPen(Qt::NoPen);
            painter->setBrush(mPen.color());
            painter->drawRects(columns.constData(), int(columns.size()));
            columns.clear();
            painter->setPen(mPen);
            painter->setBrush(Qt::NoBrush);
            painter->setAntialiasing(antialiased);
        }
        start = i + 1;
    }
}

void ChartLine::drawLegendIcon(QCPPainter *painter, const QRectF &rect) const
{
    applyDefaultAntialiasingHint(painter);
    painter->setPen(mPen);
    painter->drawLine(QLineF(rect.left(), rect.center().y(), rect.right(), rect.center().y()));
}

double ChartLine::selectTest(const QPointF &, bool, QVariant *) const
{
    return -1; // lines are not selectable
}

QCPRange ChartLine::getKeyRange(bool &foundRange, QCP::SignDomain) const
{
    foundRange = m_samples->size() > 0;
    if (!foundRange)
        return QCPRange();
    return QCPRange(m_samples->x(0), m_samples->x(m_samples->size() - 1));
}

QCPRange ChartLine::getValueRange(bool &foundRange, QCP::SignDomain,
                                  const QCPRange &inKeyRange) const
{
    const bool whole = inKeyRange == QCPRange();
    const qsizetype begin = whole ? 0 : m_samples->lowerBound(inKeyRange.lower);
    const qsizetype end = whole ? m_samples->size() : m_samples->upperBound(inKeyRange.upper);
    const SampleStore::Span s = m_samples->span(m_line, begin, end);
    foundRange = s.low <= s.high;
    return foundRange ? QCPRange(s.low, s.high) : QCPRange();
}
