#pragma once

#include <array>

// The chart's own preferences as the settings file keeps them; the member
// initialisers are the file's defaults. An index of -1 is a list without a
// selection.
struct ChartPreferences {
    int Sampling = 2; // ComboB_ChartSampling item: "1/sek."
    int TimeSize = 1; // Cb_ChartTimeWindow item: "10 sek."
    std::array<bool, 5> ChartSeries{true, false, false, false, false}; // lines shown

    bool operator==(const ChartPreferences &o) const
    {
        return Sampling == o.Sampling && TimeSize == o.TimeSize && ChartSeries == o.ChartSeries;
    }
};
