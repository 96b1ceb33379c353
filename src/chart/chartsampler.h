#pragma once

#include "livevalues.h"

#include <QtGlobal>

#include <array>
#include <optional>

// The five chart lines, always in this order: Input1..Input4, then Sum.
constexpr int ChartLineCount = 5;
using LineValues = std::array<float, ChartLineCount>;
using LineFlags = std::array<bool, ChartLineCount>;

struct AxisRange {
    double lower = 0;
    double upper = 0;
    bool operator==(const AxisRange &o) const { return lower == o.lower && upper == o.upper; }
};

// The chart's state, held once by the page.
struct ChartState {
    bool ChartRunning = false;
    double ChartTime = 0; // s; the sum of the nominal intervals of the ticks taken
    quint32 ChartWindow = 0; // s; 0 until a window is chosen
    float ChartMinY = 0;  // over the active lines since the last reset
    float ChartMaxY = 0;
};

// What one sampling tick asks of the plot.
struct ChartTick {
    enum class Outcome { Idle, Paused, Sampled };
    Outcome outcome = Outcome::Idle;
    // Sampled only:
    double x = 0;
    std::array<double, ChartLineCount> y{}; // NaN where a value can't be drawn
    std::optional<AxisRange> timeRange;     // once the window slides
    AxisRange valueRange;
};

struct ChartReset {
    AxisRange timeRange;
    AxisRange valueRange;
};

// The sampling rules of the live chart, without widgets: time, window,
// the value trackers and the two choice tables. GUI thread only.
class ChartSampler
{
public:
    static constexpr int SamplingCount = 6;
    static constexpr int WindowCount = 7;

    // Seconds between samples of the ComboB_ChartSampling item; none for an
    // index outside the list.
    static std::optional<double> samplingInterval(int index);
    // ChartWindow of the Cb_ChartTimeWindow item; none outside the list.
    static std::optional<quint32> windowSeconds(int index);
    // The values of the five lines in a measurement frame.
    static LineValues lineValues(const LiveValues &values);

    const ChartState &state() const { return m_state; }

    void start() { m_state.ChartRunning = true; }
    void pause() { m_state.ChartRunning = false; }
    void setWindow(quint32 seconds) { m_state.ChartWindow = seconds; }

    // `active` are the lines shown; `interval` the timer's current interval.
    ChartTick tick(const LineValues &values, bool connected, const LineFlags &active,
                   double interval);
    ChartReset reset();

private:
    ChartState m_state;
};
