#pragma once

#include <QString>
#include <QtGlobal>

// Decimal places of shown and checked values when none is chosen yet: the
// program's stored default.
constexpr int DefaultDecimalPlaces = 1;

// Cb_Decp's item index as decimal places: no selection counts as the default.
constexpr int decimalPlacesOf(int itemIndex)
{
    return itemIndex >= 0 ? itemIndex : DefaultDecimalPlaces;
}

// The value chosen by the radio buttons of the Measurements page: the one
// shown large and the one that "Tara" tares.
enum class DisplayChoice { None, Sum, Input1, Input2, Input3, Input4 };

// The module session's display settings, read by every display tick. The
// session takes the ranges, active inputs and unit from the module's sensor
// settings; the pages change the rest through the session's setters.
// Fields the module's documents name keep their spelling; ours are camelCase.
struct DisplayState {
    int ActiveInputs = 0;                  // 0: input 1 only .. 3: all four
    quint32 SensorRange[4] = {0, 0, 0, 0}; // rated capacity of each input
    QString UnitSuffix;                    // " N", " kN", ...; empty until the first report
    QString AnalogUnitSuffix;              // " V" or " mA"
    float AnalogFullScale = 0.0f;          // 10 or 20
    int decimalPlaces = DefaultDecimalPlaces; // Cb_Decp's item index, 0..4
    DisplayChoice chosen = DisplayChoice::Sum;
};
