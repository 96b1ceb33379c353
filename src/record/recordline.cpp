#include "recordline.h"

#include "filefilters.h"
#include "valueformat.h"

#include <cmath>

namespace {

QString dateField(const QDate &date)
{
    if (!date.isValid())
        return UnmadeField;
    return QStringLiteral("%1-%2-%3").arg(date.day()).arg(date.month()).arg(date.year());
}

QString timeField(const QTime &time)
{
    if (!time.isValid())
        return UnmadeField;
    return QStringLiteral("%1:%2:%3:%4")
        .arg(time.hour())
        .arg(time.minute())
        .arg(time.second())
        .arg(time.msec());
}

// A value that is not finite has no fixed form; "NaN" in a column of
// numbers would pass for data where "---" says that none was made.
QString valueField(float value, int decimals, const QLocale &locale)
{
    if (!std::isfinite(value))
        return UnmadeField;
    return formatFixed(double(value), decimals, locale);
}

} // namespace

QString buildRecordHeader(const RecordColumns &columns)
{
    QString line;
    for (int c = 0; c < RecordColumnCount; ++c) {
        if (columns[std::size_t(c)])
            line += QLatin1String(RecordHeaderNames[std::size_t(c)]) + QLatin1Char(';');
    }
    return line + RecordLineEnd;
}

QString BuildRecordLine(const RecordColumns &columns, const LiveValues &values, qint32 recordNumber,
                        const QDateTime &now, int decimals, const QLocale &locale)
{
    auto ticked = [&](RecordColumn c) { return columns[std::size_t(c)]; };
    QString line;
    line.reserve(96);
    auto add = [&](const QString &field) {
        line += field;
        line += QLatin1Char(';');
    };
    if (ticked(RecordColumn::Date))
        add(dateField(now.date()));
    if (ticked(RecordColumn::Time))
        add(timeField(now.time()));
    if (ticked(RecordColumn::Number))
        add(QString::number(recordNumber));
    if (ticked(RecordColumn::Sum))
        add(valueField(values.Sum, decimals, locale));
    for (int k = 1; k <= 4; ++k) {
        if (ticked(RecordColumn(int(RecordColumn::Sensor1) + k - 1)))
            add(valueField(values.input(k), decimals, locale));
    }
    return line + RecordLineEnd;
}

int RecordingStep::listedRateItem(int rateItem)
{
    return rateItem >= 0 && rateItem < int(RecordRateThresholds.size()) ? rateItem : 0;
}

void RecordingStep::setRateItem(int rateItem)
{
    m_threshold = RecordRateThresholds[std::size_t(listedRateItem(rateItem))];
}

bool RecordingStep::frameArrived()
{
    ++m_count;
    if (m_count < m_threshold)
        return false;
    m_count = 0;
    return true;
}

QString recordFileNameFor(const QString &chosenName, const QString &chosenFilter)
{
    return nameWithExtension(chosenName, RecordFileFilters, chosenFilter);
}
