#include "pointsfile.h"

#include "samplestore.h"
#include "valueformat.h"

#include <QSaveFile>

#include <cmath>

namespace PointsFile {

namespace {

constexpr int TimeDecimals = 5;
constexpr QChar Separator = u';';
constexpr qsizetype ChunkBytes = 1 << 20; // written in pieces, not a day at once

QLocale plain(const QLocale &locale)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

} // namespace

QString header(const QStringList &lineNames)
{
    return TimeTitle + Separator + lineNames.join(Separator);
}

QString timeText(double seconds, const QLocale &locale)
{
    return formatShortest(seconds, TimeDecimals, locale);
}

QString line(double x, const std::array<float, ChartLineCount> &values, int decimals,
             const QLocale &locale)
{
    const QLocale l = plain(locale);
    QString text = timeText(x, l);
    for (float v : values) {
        text += Separator;
        if (!std::isnan(v))
            text += l.toString(double(v), 'f', decimals);
    }
    return text;
}

std::optional<QString> write(const QString &fileName, const SampleStore &samples,
                             const QStringList &lineNames, int decimals, const QLocale &locale)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true); // a writable file in a directory that isn't
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const QLocale l = plain(locale);
    QByteArray chunk = (header(lineNames) + QStringLiteral("\r\n")).toUtf8();
    std::array<float, ChartLineCount> values{};
    for (qsizetype i = 0; i < samples.size(); ++i) {
        for (int k = 0; k < ChartLineCount; ++k)
            values[k] = samples.value(k, i);
        chunk += line(samples.x(i), values, decimals, l).toUtf8();
        chunk += "\r\n";
        if (chunk.size() >= ChunkBytes || i + 1 == samples.size()) {
            if (file.write(chunk) != chunk.size())
                break;
            chunk.clear();
        }
    }
    if (!chunk.isEmpty() && file.error() == QFileDevice::NoError)
        file.write(chunk);
    if (file.error() != QFileDevice::NoError) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace PointsFile
