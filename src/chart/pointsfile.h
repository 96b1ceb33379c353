#pragma once

#include "chartsampler.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class SampleStore;

// The chart's kept points as a CSV file: a header, then one line per sample
// with the time and the five values, fields separated by ';'. Numbers carry
// the locale's decimal separator and no group separator; a value that
// can't be drawn (NaN) is an empty field. No widgets.
namespace PointsFile {

inline const QString TimeTitle = QStringLiteral("Time [s]");

// "Time [s];" and the five line names.
QString header(const QStringList &lineNames);
// The time as the time axis writes it: up to five decimals, no trailing zeros.
QString timeText(double seconds, const QLocale &locale);
// One sample; values with `decimals` places.
QString line(double x, const std::array<float, ChartLineCount> &values, int decimals,
             const QLocale &locale);
// Writes every kept sample through QSaveFile, replacing a file of that
// name; on failure nothing is replaced and the system's reason is returned.
std::optional<QString> write(const QString &fileName, const SampleStore &samples,
                             const QStringList &lineNames, int decimals, const QLocale &locale);

} // namespace PointsFile
