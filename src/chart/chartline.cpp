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

bool ChartLine::Grid::operator==(const Grid &o) const
{
    return origin == o.origin && left == o.left &&
           std::abs(width - o.width) <= 1e-9 * std::max(std::abs(width), 1e-300);
}

bool ChartLine::PictureKey::operator==(const PictureKey &o) const
{
    return area == o.area && values == o.values && grid == o.grid && pen == o.pen &&
           generation == o.generation;
}

bool ChartLine::visibleRange(qsizetype *begin, qsizetype *end) const
{
    const QCPAxis *keyAxis = mKeyAxis.data();
    if (!keyAxis || !mValueAxis || m_samples->size() == 0)
        return false;
    // One sample beyond each edge, so the line runs on to the border.
    const QCPRange keys = keyAxis->range();
    *begin = m_samples->lowerBound(keys.lower);
    *end = m_samples->upperBound(keys.upper);
    if (*begin > 0)
        --*begin;
    if (*end < m_samples->size())
        ++*end;
    return true;
}

std::optional<ChartLine::Grid> ChartLine::denseGrid(qsizetype *begin, qsizetype end) const
{
    const QCPAxis *keyAxis = mKeyAxis.data();
    const int columns = std::max(1, keyAxis->axisRect()->width());
    const QCPRange keys = keyAxis->range();
    if (end - *begin <= 2 * qsizetype(columns) || !(keys.size() > 0))
        return std::nullopt;
    Grid grid;
    grid.width = keys.size() / columns;
    // The column whose left edge is the first at or right of the plot's.
    grid.origin = qint64(std::ceil(keys.lower / grid.width));
    grid.left = keyAxis->axisRect()->left();
    // The first column whole, however far the window has slid into it.
    *begin = m_samples->lowerBound(double(columnOf(m_samples->x(*begin), grid)) * grid.width, 0,
                                   *begin + 1);
    return grid;
}

qint64 ChartLine::columnOf(double x, const Grid &grid) const
{
    return qint64(std::floor(x / grid.width));
}

QVector<QPointF> ChartLine::linePoints() const
{
    QVector<QPointF> out;
    qsizetype begin = 0, end = 0;
    if (!visibleRange(&begin, &end))
        return out;
    if (const std::optional<Grid> grid = denseGrid(&begin, end))
        return densePoints(begin, end, *grid);

    const AxisMap px(mKeyAxis.data());
    const AxisMap py(mValueAxis.data());
    out.reserve(end - begin);
    m_samples->forEach(m_line, begin, end, [&](double sampleX, float y) {
        out.append(std::isnan(y) ? QPointF(NaN, NaN) : QPointF(px(sampleX), py(y)));
    });
    return out;
}

// Each pixel column's samples, found by x, drawn as the span from the end
// nearer their first value to the other; a gap in a column breaks the line
// before it when the column starts with it, else after it.
QVector<QPointF> ChartLine::densePoints(qsizetype from, qsizetype end, const Grid &grid) const
{
    const AxisMap py(mValueAxis.data());
    QVector<QPointF> out;
    out.reserve(2 * qsizetype(mKeyAxis->axisRect()->width()) + 16);
    auto breakLine = [&out] {
        if (!out.isEmpty() && !isGap(out.last()))
            out.append(QPointF(NaN, NaN));
    };
    qsizetype i = from;
    while (i < end) {
        const qint64 column = columnOf(m_samples->x(i), grid);
        const qsizetype next = m_samples->lowerBoundNear(double(column + 1) * grid.width, i + 1, end);

        const auto [low, high, gap] = m_samples->span(m_line, i, next);
        const bool gapFirst = gap && std::isnan(m_samples->value(m_line, i));
        if (gapFirst)
            breakLine();
        if (low <= high) {
            const double x = grid.left + double(column - grid.origin) + 0.5;
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
    // Exports draw every time: they are rare and want vectors.
    const bool exporting = painter->modes().testFlag(QCPPainter::pmVectorized) ||
                           painter->modes().testFlag(QCPPainter::pmNoCaching);
    qsizetype begin = 0, end = 0;
    if (!visibleRange(&begin, &end))
        return;
    applyDefaultAntialiasingHint(painter);
    const std::optional<Grid> grid = exporting ? std::nullopt : denseGrid(&begin, end);
    if (grid) {
        drawPicture(painter, begin, end, *grid);
        return;
    }
    drawPoints(painter, linePoints(), exporting);
}

// The kept picture brought up to date, then put on the plot. When the
// area, ranges, grid and pen are those it was drawn with and samples were
// only added, the pixel columns from the newest one drawn on are cleared
// and drawn again, from two columns before it so that the steps into
// them are right; anything else draws it afresh.
void ChartLine::drawPicture(QCPPainter *painter, qsizetype begin, qsizetype end, const Grid &grid)
{
    const QRect area = mKeyAxis->axisRect()->rect();
    const PictureKey key{area, mValueAxis->range(), grid, mPen, m_samples->generation()};
    const bool update = !m_picture.isNull() && key == m_pictureKey && end >= m_pictureEnd &&
                        end == m_samples->size() && m_pictureEnd > begin;
    if (m_picture.size() != area.size())
        m_picture = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);

    QCPPainter picture(&m_picture);
    picture.translate(-area.topLeft());
    qsizetype from = begin;
    if (update) {
        const int firstPixel = grid.left + int(m_pictureLastColumn - grid.origin);
        const QRect cleared(firstPixel, area.top(), area.right() + 1 - firstPixel, area.height());
        picture.setCompositionMode(QPainter::CompositionMode_Source);
        picture.fillRect(cleared, Qt::transparent);
        picture.setCompositionMode(QPainter::CompositionMode_SourceOver);
        picture.setClipRect(cleared);
        from = std::max(begin, m_samples->lowerBound(double(m_pictureLastColumn - 2) * grid.width,
                                                     begin, end));
    } else {
        m_picture.fill(Qt::transparent);
    }
    picture.setAntialiasing(painter->antialiasing());
    drawPoints(&picture, densePoints(from, end, grid), false);
    picture.end();

    m_pictureKey = key;
    m_pictureEnd = end;
    m_pictureLastColumn = columnOf(m_samples->x(end - 1), grid);
    const bool antialiased = painter->antialiasing();
    painter->setAntialiasing(false); // whole pixels: QCPPainter shifts by half of one while on
    painter->drawImage(area.topLeft(), m_picture);
    painter->setAntialiasing(antialiased);
}

void ChartLine::drawPoints(QCPPainter *painter, const QVector<QPointF> &points,
                           bool exporting) const
{
    if (points.size() < 2)
        return;
    painter->setPen(mPen);
    painter->setBrush(Qt::NoBrush);
    // Exports keep the polyline's joins. On screen, a segment less than two
    // pixels wide (a column's span and the step to the next column: nearly
    // all of a dense window) is filled as the pixels its 2 px stroke
    // covers, each pixel column once; stroking thousands of short wide
    // segments took most of a replot. Longer segments are stroked, each on
    // its own: the raster engine strokes a wide polyline of thousands of
    // points many times slower.
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
