#include "replotdecision.h"

#include <cmath>

double ReplotDecision::columnWidth(const ChartView &view)
{
    return view.width > 0 ? (view.time.upper - view.time.lower) / view.width : 0.0;
}

qint64 ReplotDecision::columnOf(double x, double width)
{
    return qint64(std::floor(x / width));
}

// Whether two values lie in different pixel rows; any two differ on an
// axis without height.
bool ReplotDecision::otherRow(float value, float old, const ChartView &view)
{
    const double span = view.value.upper - view.value.lower;
    if (!(span > 0) || view.height <= 0)
        return value != old;
    const double perUnit = view.height / span;
    return std::floor((double(value) - view.value.lower) * perUnit) !=
           std::floor((double(old) - view.value.lower) * perUnit);
}

void ReplotDecision::sampleAdded(double x, const std::array<double, ChartLineCount> &y,
                                 const ChartView &view)
{
    const double width = columnWidth(view);
    if (!(width > 0)) {
        m_changed = true;
        m_inColumn = false;
        return;
    }
    const qint64 column = columnOf(x, width);
    if (!m_inColumn || column != m_column) {
        m_inColumn = true;
        m_column = column;
        for (int k = 0; k < ChartLineCount; ++k) {
            const bool gap = std::isnan(y[k]);
            m_gap[k] = gap;
            m_low[k] = gap ? INFINITY : float(y[k]);
            m_high[k] = gap ? -INFINITY : float(y[k]);
        }
        m_changed = true;
        return;
    }
    for (int k = 0; k < ChartLineCount; ++k) {
        const float v = float(y[k]);
        bool news = false;
        if (std::isnan(v)) {
            news = !m_gap[k];
            m_gap[k] = true;
        } else {
            news = (v < m_low[k] && otherRow(v, m_low[k], view)) ||
                   (v > m_high[k] && otherRow(v, m_high[k], view));
            m_low[k] = std::min(m_low[k], v);
            m_high[k] = std::max(m_high[k], v);
        }
        if (news && view.shown[k])
            m_changed = true;
    }
}

void ReplotDecision::markChanged()
{
    m_changed = true;
    m_inColumn = false;
}

bool ReplotDecision::isDue(const ChartView &view) const
{
    if (m_changed || !m_everDrawn)
        return true;
    const ChartView &d = m_drawn;
    if (!(view.value == d.value) || view.width != d.width || view.height != d.height ||
        view.shown != d.shown)
        return true;
    // A sliding window keeps its length up to rounding and moves its start.
    const double length = view.time.upper - view.time.lower;
    const double drawnLength = d.time.upper - d.time.lower;
    if (std::abs(length - drawnLength) > 1e-9 * std::max(std::abs(length), 1.0))
        return true;
    const double width = columnWidth(view);
    if (!(width > 0))
        return true;
    return columnOf(view.time.lower, width) != columnOf(d.time.lower, width);
}

void ReplotDecision::drawn(const ChartView &view)
{
    m_changed = false;
    m_everDrawn = true;
    m_drawn = view;
}
