#pragma once

#include <qcustomplot.h>

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
    // gap in the line.
    QVector<QPointF> linePoints() const;

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
    const SampleStore *m_samples;
    int m_line;
};
