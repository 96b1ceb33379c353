#include "sensorcalibration.h"

#include "settingrules.h"

#include <cmath>

RatedOutputProposal proposeRatedOutput(int input, int activeInputsIndex, float ratedOutputNow,
                                       float reading, float knownLoad)
{
    using Problem = RatedOutputProposal::Problem;
    if (input < 1 || input > activeInputsIndex + 1)
        return {Problem::InactiveSensor};
    if (!std::isfinite(knownLoad) || knownLoad == 0.0f)
        return {Problem::NoKnownLoad};
    if (!std::isfinite(reading) || reading == 0.0f)
        return {Problem::NoReading};
    if ((reading < 0.0f) != (knownLoad < 0.0f))
        return {Problem::OppositeSign};
    const double proposed = double(ratedOutputNow) * double(reading) / double(knownLoad);
    const float value = float(proposed);
    if (!std::isfinite(proposed) ||
        !SettingRules::checkShownValue(value, SettingRules::RatedOutputDecimals,
                                       SettingRules::MinRatedOutput, SettingRules::MaxRatedOutput)
             .ok)
        return {Problem::OutOfRange, value};
    return {Problem::None, value};
}
