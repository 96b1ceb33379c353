#pragma once

#include <QLocale>
#include <QString>

// The number formats of setting fields, live values and recorded lines.
// Values are rounded to `significant` digits or to `decimals` places,
// whichever leaves fewer digits, and padded with zeros to `decimals` places.
// An integer part of more than `significant` digits switches to exponent
// notation. Non-finite values come out as "NaN", "INF" or "-INF".

// No thousands separator; used by setting fields and the recorder.
QString formatFixed(double value, int decimals, const QLocale &locale = QLocale(),
                    int significant = 8);

// As formatFixed, with the locale's thousands separator; used by live values.
QString formatGrouped(double value, int decimals, const QLocale &locale = QLocale());

// Firmware version: 3 significant digits, 2 decimals.
QString formatVersion(double version, const QLocale &locale = QLocale());

// At most `maxDecimals` places with trailing zeros (and a bare decimal
// separator) left out, no thousands separator, and never "-0": the chart's
// axis labels and the times of its points file.
QString formatShortest(double value, int maxDecimals, const QLocale &locale = QLocale());
