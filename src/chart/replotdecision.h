#pragma once

#include "chartsampler.h"

#include <QtGlobal>

#include <array>

// What a replot shows besides the points.
struct ChartView {
    AxisRange time;
    AxisRange value;
    int width = 0; // of the plot area, pixels
    int height = 0;
    LineFlags shown{};
};

// Whether the chart needs a replot: only when something visible changed
// since the last one. That is a sample in a new pixel column, a new lowest
// or highest value of a shown line in the newest column that reaches
// another pixel row (or a gap there), another
// value range, plot size or set of shown lines, a time axis that slid by a
// pixel column or more, or a change the caller marks (legend texts, points
// cleared). Columns are counted from x = 0, so that a sliding window and a
// filling one open them at the same samples. No widgets; GUI thread only.
class ReplotDecision
{
public:
    // After a sample was appended, with the view that shows it.
    void sampleAdded(double x, const std::array<double, ChartLineCount> &y, const ChartView &view);
    // Something visible changed that the view does not tell.
    void markChanged();
    bool isDue(const ChartView &view) const;
    // The chart was drawn showing `view`.
    void drawn(const ChartView &view);

private:
    static double columnWidth(const ChartView &view);
    static qint64 columnOf(double x, double width);
    static bool otherRow(float value, float old, const ChartView &view);

    bool m_changed = true;
    bool m_everDrawn = false;
    ChartView m_drawn;
    // The newest sample's column and what it holds so far.
    bool m_inColumn = false;
    qint64 m_column = 0;
    std::array<float, ChartLineCount> m_low{};
    std::array<float, ChartLineCount> m_high{};
    LineFlags m_gap{};
};
