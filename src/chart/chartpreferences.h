#pragma once

#include "preferencerows.h"

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

// Their rows of config.ini, in the file's order.
inline constexpr std::array<PreferenceRow<ChartPreferences>, 7> ChartPreferenceRows{{
    {"ChartSeries1", &PreferenceAccess::element<&ChartPreferences::ChartSeries, 0>, 0, true},
    {"ChartSeries2", &PreferenceAccess::element<&ChartPreferences::ChartSeries, 1>, 0, true},
    {"ChartSeries3", &PreferenceAccess::element<&ChartPreferences::ChartSeries, 2>, 0, true},
    {"ChartSeries4", &PreferenceAccess::element<&ChartPreferences::ChartSeries, 3>, 0, true},
    {"ChartSeries5", &PreferenceAccess::element<&ChartPreferences::ChartSeries, 4>, 0, true},
    // Items of Cb_ChartTimeWindow and of ComboB_ChartSampling.
    {"TimeSize", &PreferenceAccess::member<&ChartPreferences::TimeSize>, 7, true},
    {"Sampling", &PreferenceAccess::member<&ChartPreferences::Sampling>, 6, true},
}};
