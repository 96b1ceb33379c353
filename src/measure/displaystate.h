#pragma once

#include <QString>
#include <QtGlobal>

// Decimal places of shown and checked values when none is chosen yet: the
// program's stored default.
constexpr int DefaultDecimalPlaces = 1;

// What the settings pages keep for the live display: written when the
// module's settings reports arrive, read by every display tick.
struct DisplayState {
    int ActiveInputs = 0;                  // 0: input 1 only .. 3: all four
    quint32 SensorRange[4] = {0, 0, 0, 0}; // rated capacity of each input
    QString UnitSuffix;                    // " N", " kN", ...; empty until the first report
    QString AnalogUnitSuffix;              // " V" or " mA"
    float AnalogFullScale = 0.0f;          // 10 or 20
};
