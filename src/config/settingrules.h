#pragma once

#include "settingfieldcheck.h"
#include "valueformat.h"

#include <QLocale>

// The rules of the module's settings as the pages check them: the bounds
// and decimals of the numeric fields and the items of the lists. The pages,
// the settings file and the sensor calibration all check against these.
namespace SettingRules {

// Rated capacity, N: a whole number.
constexpr float MinCapacityN = 1.0f;
constexpr float MaxCapacityN = 100000000.0f;

// Rated output, mV/V, always with 4 decimals.
constexpr int RatedOutputDecimals = 4;
constexpr float MinRatedOutput = 0.1f;
constexpr float MaxRatedOutput = 100000000.0f;

// Sum offset, analog output scaling and switching thresholds, with the
// chosen decimal places.
constexpr float ValueLimit = 100000000.0f;

// Items of the lists; the item index is the value on the wire.
constexpr int FilterLevels = 100;
constexpr int Units = 5;
constexpr int ActiveInputChoices = 4;
constexpr int AnalogModes = 3;
constexpr int Sources = 6;      // inactive, inputs 1..4, the sum
constexpr int Combinations = 3; // "---", AND, OR
constexpr int Comparisons = 2;  // "<", ">"
constexpr int States = 2;       // inactive, active
constexpr int BaudRates = 5;
constexpr int Parities = 3;
constexpr int ModbusAddresses = 247; // 1..247

// A value from the module or a file, checked as its field checks it once
// shown there: written in the fixed format with `decimals` places, then
// read back by the field's rule.
inline FloatFieldCheck checkShownValue(float value, int decimals, float min, float max,
                                       const QLocale &locale = QLocale())
{
    return checkFloatText(formatFixed(value, decimals, locale), decimals, min, max, locale);
}

inline bool capacityPasses(qint32 capacity)
{
    return capacity >= MinCapacityN && capacity <= MaxCapacityN;
}

} // namespace SettingRules
