#pragma once

#include "chartsampler.h"
#include "replotdecision.h"
#include "samplestore.h"

#include <qcustomplot.h>

#include <array>

class ChartLine;
class LegendCheckItem;

// Chart1: the five chart lines over time, with a legend of check boxes
// below the plot. The mouse zooms and scrolls: dragging with the left
// button from upper left to lower right zooms into the rectangle, any other
// direction goes back to the ranges last set from code; dragging with the
// right button scrolls the time axis. Nothing here replots on its own
// except for the user's mouse work. GUI thread only.
class ChartPlot : public QCustomPlot
{
    Q_OBJECT
public:
    explicit ChartPlot(QWidget *parent = nullptr);

    // Time axis labels: up to five decimals, no trailing zeros.
    static QString axisLabel(double value, const QLocale &locale);
    // Legend texts of the five lines, from the translation store's rows.
    static QStringList lineTitles(int language);
    void setLineTitles(const QStringList &titles);
    void setAxisTitles(const QString &time, const QString &value);

    // One point for each line at x, in line order.
    void appendSample(double x, const std::array<double, ChartLineCount> &y);
    // Empties every line and gives its memory back.
    void clearPoints();
    // Points per line: every line has one at each sample.
    qsizetype sampleCount() const { return m_samples.size(); }
    const SampleStore &samples() const { return m_samples; }

    void setLineVisible(int line, bool visible);
    bool isLineVisible(int line) const;
    LineFlags lineVisibility() const;
    ChartLine *line(int k) const { return m_lines[k]; }
    LegendCheckItem *legendItem(int k) const { return m_legendItems[k]; }

    // Ranges set from code; a zoom the other way returns to them.
    void setTimeRange(const AxisRange &range);
    void setValueRange(const AxisRange &range);
    AxisRange timeRange() const;
    AxisRange valueRange() const;
    void undoZoom();
    // What a replot would show besides the points.
    ChartView view() const;

signals:
    // The user ticked or cleared a line's box in the legend.
    void lineVisibilityChanged(int line, bool visible);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void processRectZoom(QRect rect, QMouseEvent *event) override;

private:
    void toggleLine(QCPAbstractLegendItem *item);

    SampleStore m_samples;
    std::array<ChartLine *, ChartLineCount> m_lines{};
    std::array<LegendCheckItem *, ChartLineCount> m_legendItems{};
    QCPRange m_homeTime{0, 1};
    QCPRange m_homeValue{-1, 1};

    QPoint m_zoomFrom;
    bool m_scrolling = false;
    int m_scrollFromX = 0;
    QCPRange m_scrollRange;
};
