#include "sensorcalibration.h"

#include "messagetable.h"
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

QString proposalProblemText(RatedOutputProposal::Problem problem)
{
    using Problem = RatedOutputProposal::Problem;
    switch (problem) {
    case Problem::None:
        return {};
    case Problem::InactiveSensor:
        return ownText(QStringLiteral("Ten czujnik nie jest aktywny. By go kalibrować, zwiększ liczbę "
                                      "aktywnych wejść i zapisz ustawienia."),
                       QStringLiteral("This sensor is not active. To calibrate it, raise the number of "
                                      "active inputs and save the settings."));
    case Problem::NoKnownLoad:
        return ownText(QStringLiteral("Wpisz znane obciążenie różne od zera."),
                       QStringLiteral("Enter a known load other than zero."));
    case Problem::NoReading:
        return ownText(QStringLiteral("Czujnik nie pokazuje obciążenia (wartość zero lub błędna). "
                                      "Sprawdź podłączenie i obciążenie."),
                       QStringLiteral("The sensor shows no load (zero or an invalid value). Check "
                                      "its connection and the load."));
    case Problem::OppositeSign:
        return ownText(QStringLiteral("Wartość aktualna ma znak przeciwny do znanego obciążenia. "
                                      "Sprawdź kierunek obciążenia lub opcję „Odwróć znak”."),
                       QStringLiteral("The actual value has the opposite sign of the known load. "
                                      "Check the direction of the load or \"Reverse the sign\"."));
    case Problem::OutOfRange:
        return ownText(QStringLiteral("Wyliczona stała czujnika leży poza zakresem od 0.1 do "
                                      "100000000 mV/V. Sprawdź znane obciążenie i jednostkę."),
                       QStringLiteral("The rated output found lies outside 0.1 to 100000000 mV/V. "
                                      "Check the known load and its unit."));
    }
    return {};
}
