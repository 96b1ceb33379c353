#include "chartsampler.h"

#include <cmath>
#include <limits>

namespace {
// "80/sek.", "10/sek.", "1/sek.", "1/min.", "10/min.", "10/h."
constexpr double SamplingIntervals[ChartSampler::SamplingCount] = {0.0125, 0.1, 1, 60, 6, 360};
// "1 sek." .. "1 h."
constexpr quint32 WindowLengths[ChartSampler::WindowCount] = {1, 10, 60, 300, 600, 1800, 3600};
// One measurement unit of room above and below the extremes.
constexpr double ValueMargin = 1;
} // namespace

std::optional<double> ChartSampler::samplingInterval(int index)
{
    if (index < 0 || index >= SamplingCount)
        return std::nullopt;
    return SamplingIntervals[index];
}

std::optional<quint32> ChartSampler::windowSeconds(int index)
{
    if (index < 0 || index >= WindowCount)
        return std::nullopt;
    return WindowLengths[index];
}

LineValues ChartSampler::lineValues(const LiveValues &v)
{
    return {v.Input1, v.Input2, v.Input3, v.Input4, v.Sum};
}

ChartTick ChartSampler::tick(const LineValues &values, bool connected, const LineFlags &active,
                             double interval)
{
    ChartTick t;
    if (!m_state.ChartRunning)
        return t;
    if (!connected) {
        m_state.ChartRunning = false;
        t.outcome = ChartTick::Outcome::Paused;
        return t;
    }

    t.outcome = ChartTick::Outcome::Sampled;
    t.x = m_state.ChartTime;
    for (int k = 0; k < ChartLineCount; ++k) {
        // An infinity has no place on the plot; it is drawn as a gap, like NaN.
        t.y[k] = std::isfinite(values[k]) ? double(values[k])
                                          : std::numeric_limits<double>::quiet_NaN();
    }
    const double window = m_state.ChartWindow;
    if (m_state.ChartWindow != 0 && m_state.ChartTime > window)
        t.timeRange = AxisRange{m_state.ChartTime - window, m_state.ChartTime};
    m_state.ChartTime += interval;

    // Non-finite values would leave the value axis without a valid range
    // until the next reset; NaN fails both comparisons anyway.
    for (int k = 0; k < ChartLineCount; ++k) {
        if (active[k] && std::isfinite(values[k]) && values[k] < m_state.ChartMinY)
            m_state.ChartMinY = values[k];
    }
    for (int k = 0; k < ChartLineCount; ++k) {
        if (active[k] && std::isfinite(values[k]) && values[k] > m_state.ChartMaxY)
            m_state.ChartMaxY = values[k];
    }
    t.valueRange = AxisRange{double(m_state.ChartMinY) - ValueMargin,
                             double(m_state.ChartMaxY) + ValueMargin};
    return t;
}

ChartReset ChartSampler::reset()
{
    m_state.ChartMaxY = 0;
    m_state.ChartMinY = 0;
    m_state.ChartTime = 0;
    // Before any window is chosen the axis can't show [0, 0]; it shows [0, 1].
    const double window = m_state.ChartWindow != 0 ? double(m_state.ChartWindow) : 1.0;
    return {AxisRange{0, window}, AxisRange{-ValueMargin, ValueMargin}};
}
