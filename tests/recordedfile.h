#pragma once

// What a recording file holds, for the tests of whatever writes one: the
// record numbers in order and the shape of a record line.
#include "recordline.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

// The "No." field of each line, -1 for a header line. `numberField` counts
// the fields before it: date and time unless fewer columns are recorded.
inline QList<int> recordNumbers(const QStringList &recorded, int numberField = 2)
{
    QList<int> found;
    for (const QString &line : recorded) {
        const QString first = line.section(';', 0, 0);
        const bool header =
            std::any_of(RecordHeaderNames.begin(), RecordHeaderNames.end(),
                        [&](const char *name) { return first == QLatin1String(name); });
        found << (header ? -1 : line.section(';', numberField, numberField).toInt());
    }
    return found;
}

// A record line of these columns with `decimals` places after the locale's
// `decimalPoint`; the number, when recorded, is the first capture.
inline QRegularExpression recordLinePattern(const RecordColumns &columns, int decimals,
                                            QChar decimalPoint = QLatin1Char('.'))
{
    const QString value = decimals > 0 ? QStringLiteral("-?\\d+%1\\d{%2}")
                                             .arg(QRegularExpression::escape(decimalPoint))
                                             .arg(decimals)
                                       : QStringLiteral("-?\\d+");
    const QString fields[RecordColumnCount] = {
        QStringLiteral("\\d{1,2}-\\d{1,2}-\\d{4}"),
        QStringLiteral("\\d{1,2}:\\d{1,2}:\\d{1,2}:\\d{1,3}"),
        QStringLiteral("(\\d+)"),
        value,
        value,
        value,
        value,
        value};
    QString pattern = QStringLiteral("^");
    for (int c = 0; c < RecordColumnCount; ++c)
        if (columns[std::size_t(c)])
            pattern += fields[c] + QLatin1Char(';');
    return QRegularExpression(pattern + QLatin1Char('$'));
}
