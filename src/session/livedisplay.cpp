#include "livedisplay.h"

#include "protocolcodes.h"
#include "valueformat.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int AnalogDecimals = 2; // V and mA, whatever Cb_Decp says

// Input 1 is always active; input k > 1 when ActiveInputs >= k - 1.
bool inputActive(int k, int activeInputs)
{
    return k == 1 || activeInputs >= k - 1;
}

// |value| / scale x max, truncated toward zero and capped at max. The cap
// comes before the conversion, so no out-of-range double reaches int.
std::optional<int> scaledPosition(double value, double scale, int max)
{
    const double p = std::fabs(value) / scale * max;
    if (!std::isfinite(p))
        return std::nullopt;
    return int(std::min(p, double(max)));
}

} // namespace

std::optional<int> inputBarPosition(float value, quint32 range)
{
    if (range == 0)
        return std::nullopt;
    return scaledPosition(value, range, LiveDisplay::InputBarMax);
}

std::optional<int> analogBarPosition(float value, float fullScale)
{
    if (!(fullScale > 0.0f))
        return std::nullopt;
    return scaledPosition(value, fullScale, LiveDisplay::AnalogBarMax);
}

LiveDisplay liveDisplay(const LiveValues &values, const DisplayState &state, bool connected,
                        DisplayChoice choice, int decimals, const QLocale &locale)
{
    LiveDisplay d;
    if (!connected) {
        d.sumText = DashesNoConnection;
        d.maxText = DashesNoConnection;
        d.minText = DashesNoConnection;
        d.inputTexts.fill(DashesNoConnection);
        return d;
    }

    auto withUnit = [&](float value) {
        return formatGrouped(value, decimals, locale) + state.UnitSuffix;
    };

    switch (choice) {
    case DisplayChoice::None:
        break;
    case DisplayChoice::Sum:
        d.sumText = withUnit(values.Sum);
        break;
    default: {
        const int k = int(choice) - int(DisplayChoice::Input1) + 1;
        d.sumText = inputActive(k, state.ActiveInputs) ? withUnit(values.input(k))
                                                       : DashesInactiveChoice;
        break;
    }
    }
    d.maxText = formatGrouped(values.Max, decimals, locale);
    d.minText = formatGrouped(values.Min, decimals, locale);

    for (int k = 1; k <= 4; ++k) {
        const bool active = inputActive(k, state.ActiveInputs);
        d.inputEnabled[k - 1] = active;
        if (active) {
            d.inputTexts[k - 1] = withUnit(values.input(k));
            d.inputBars[k - 1] = inputBarPosition(values.input(k), state.SensorRange[k - 1]);
        } else {
            d.inputTexts[k - 1] = DashesInactiveInput;
        }
    }

    d.analogText = formatGrouped(values.AnalogOut, AnalogDecimals, locale) + state.AnalogUnitSuffix;
    d.analogBar = analogBarPosition(values.AnalogOut, state.AnalogFullScale);
    d.ioStates = std::array<bool, 4>{bool(values.Inputs & 1), bool(values.Inputs & 2),
                                     bool(values.Outputs & 1), bool(values.Outputs & 2)};
    d.connected = true;
    return d;
}

LiveDisplay liveDisplay(const LiveValues &values, const DisplayState &state, bool connected,
                        const QLocale &locale)
{
    return liveDisplay(values, state, connected, state.chosen, state.decimalPlaces, locale);
}

std::optional<quint8> taraCommand(DisplayChoice choice)
{
    switch (choice) {
    case DisplayChoice::None:
        return std::nullopt;
    case DisplayChoice::Sum:
        return Code::TareSum;
    default:
        return quint8(Code::ZeroInput1 + int(choice) - int(DisplayChoice::Input1));
    }
}
