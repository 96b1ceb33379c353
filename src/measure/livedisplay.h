#pragma once

#include "displaystate.h"
#include "livevalues.h"

#include <QLocale>
#include <QString>

#include <array>
#include <optional>

// The value chosen by the radio buttons of the Measurements page: the one
// shown large and the one that "Tara" tares.
enum class DisplayChoice { None, Sum, Input1, Input2, Input3, Input4 };

// What one display tick writes. std::nullopt leaves the control as it is.
struct LiveDisplay {
    static constexpr int InputBarMax = 500;   // PBTens1..4
    static constexpr int AnalogBarMax = 1000; // PBVout

    std::optional<QString> sumText; // DisplaySum; none when nothing is chosen
    QString maxText;                // DisplayMax
    QString minText;                // DisplayMin
    std::array<QString, 4> inputTexts;                 // DisplayTens1..4
    std::array<std::optional<bool>, 4> inputEnabled;   // DisplayTens1..4
    std::array<std::optional<int>, 4> inputBars;       // PBTens1..4
    std::optional<QString> analogText;                 // Lab_VoutVal
    std::optional<int> analogBar;                      // PBVout
    std::optional<std::array<bool, 4>> ioStates;       // IN1, IN2, OUT1, OUT2
    // Label_ValTens1..4 and the big display take the page's texts; only
    // while connected, so they freeze when the module goes away.
    bool copyToMirrors = false;
};

// Texts of the live values.
inline const QString DashesInactiveChoice = QStringLiteral("------------- "); // DisplaySum
inline const QString DashesInactiveInput = QStringLiteral(" -------------- "); // DisplayTens2..4
inline const QString DashesNoConnection = QStringLiteral("----------");

// |value| / range x 500, truncated; set only strictly between 1 and 500, so
// an idle or overloaded input keeps its bar. Non-finite values keep it too.
std::optional<int> inputBarPosition(float value, quint32 range);
// |value| / fullScale x 1000, truncated, at most 1000; 0 and full scale are
// set too. A scale of 0 (no settings yet) or a non-finite value keeps it.
std::optional<int> analogBarPosition(float value, float fullScale);

// One display tick: `decimals` is Cb_Decp's item index, read at every tick.
LiveDisplay liveDisplay(const LiveValues &values, const DisplayState &state, bool connected,
                        DisplayChoice choice, int decimals, const QLocale &locale = QLocale());

// "Tara": the sum is tared, an input is zeroed (active or not).
std::optional<quint8> taraCommand(DisplayChoice choice);
