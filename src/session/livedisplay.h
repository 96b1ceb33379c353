#pragma once

#include "displaystate.h"
#include "livevalues.h"

#include <QLocale>
#include <QString>

#include <array>
#include <optional>

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
    // The big display and Label_ValTens1..4 follow only while connected, so
    // they keep the last values when the module goes away.
    bool connected = false;
};

// Texts of the live values.
inline const QString DashesInactiveChoice = QStringLiteral("------------- "); // DisplaySum
inline const QString DashesInactiveInput = QStringLiteral(" -------------- "); // DisplayTens2..4
inline const QString DashesNoConnection = QStringLiteral("----------");
// Texts of the input/output status fields.
inline const QString IoOn = QStringLiteral("ON");
inline const QString IoOff = QStringLiteral("OFF");

// |value| / range x 500, truncated and held within 0..500: a tared input
// empties its bar, an overloaded one fills it. A range of 0 (no settings
// yet) or a non-finite value keeps the bar where it is.
std::optional<int> inputBarPosition(float value, quint32 range);
// |value| / fullScale x 1000, truncated, at most 1000; 0 and full scale are
// set too. A scale of 0 (no settings yet) or a non-finite value keeps it.
std::optional<int> analogBarPosition(float value, float fullScale);

// One display tick with the choice and decimal places the state holds.
LiveDisplay liveDisplay(const LiveValues &values, const DisplayState &state, bool connected,
                        const QLocale &locale = QLocale());
// One display tick: `decimals` is Cb_Decp's item index, read at every tick.
LiveDisplay liveDisplay(const LiveValues &values, const DisplayState &state, bool connected,
                        DisplayChoice choice, int decimals, const QLocale &locale = QLocale());

// "Tara": the sum is tared, an input is zeroed (active or not).
std::optional<quint8> taraCommand(DisplayChoice choice);
