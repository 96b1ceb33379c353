#pragma once

#include <qcustomplot.h>

#include <optional>

class SampleStore;

// One of the five chart lines, drawn from the shared sample store. Where
// the window holds more samples than the plot has pixel columns, each
// column is drawn as the span from its lowest to its highest value, which
// looks the same as every sample drawn. The spans come from the store's
// group summaries, so a replot reads a few values per column at any fill.
class ChartLine : public QCPAbstractPlottable
{
    Q_OBJECT
public:
    ChartLine(QCPAxis *keyAxis, QCPAxis *valueAxis, const SampleStore *samples, int line);

    // The pixel points drawn for the current axis ranges; a NaN point is a
    // gap in the line. A dense window's pixel columns are counted from x = 0,
    // so that a window sliding by less than a column draws the same picture.
    QVector<QPointF> linePoints() const;
    // Drops the kept picture; the next replot draws the line afresh.
    void forgetPicture() { m_picture = QImage(); }

    double selectTest(const QPointF &pos, bool onlySelectable,
                      QVariant *details = nullptr) const override;
    QCPRange getKeyRange(bool &foundRange,
                         QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool &foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange &inKeyRange = QCPRange()) const override;

protected:
    void draw(QCPPainter *painter) override;
    void drawLegendIcon(QCPPainter *painter, const QRectF &rect) const override;

private:
    // Dense windows only: the pixel column grid of the current ranges.
    struct Grid {
        double width = 0;  // s per pixel column
        qint64 origin = 0; // the absolute column drawn at the plot's left edge
        int left = 0;      // that edge, pixels
        bool operator==(const Grid &o) const;
    };
    // The visible samples [begin, end), one beyond each edge included.
    bool visibleRange(qsizetype *begin, qsizetype *end) const;
    // The grid when the window is denser than the pixel columns; moves
    // `begin` back to the start of its column.
    std::optional<Grid> denseGrid(qsizetype *begin, qsizetype end) const;
    // Points of the samples [from, end), a span per pixel column.
    QVector<QPointF> densePoints(qsizetype from, qsizetype end, const Grid &grid) const;
    qint64 columnOf(double x, const Grid &grid) const;
    void drawPoints(QCPPainter *painter, const QVector<QPointF> &points, bool exporting) const;
    void drawPicture(QCPPainter *painter, qsizetype begin, qsizetype end, const Grid &grid);

    const SampleStore *m_samples;
    int m_line;
    // On screen, a dense window's line is kept as a picture: when only
    // samples were added since, just the newest columns are drawn again.
    QImage m_picture;
    struct PictureKey {
        QRect area;
        QCPRange values;
        Grid grid;
        QPen pen;
        quint64 generation = 0;
        bool operator==(const PictureKey &o) const;
    } m_pictureKey;
    qsizetype m_pictureEnd = 0;     // samples drawn into it
    qint64 m_pictureLastColumn = 0; // the newest column drawn
};
