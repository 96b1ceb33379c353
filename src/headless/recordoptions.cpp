#include "recordoptions.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// "~ 10 / min." -> "10/min"
QString bareRate(const QString &text)
{
    QString bare = text.toLower();
    bare.remove(QLatin1Char(' ')).remove(QLatin1Char('~'));
    if (bare.endsWith(QLatin1Char('.')))
        bare.chop(1);
    return bare;
}

std::optional<int> parseRate(const QString &text)
{
    bool isNumber = false;
    const int item = text.trimmed().toInt(&isNumber);
    if (isNumber)
        return item >= 0 && item < int(RecordRateItems.size()) ? std::optional<int>(item)
                                                               : std::nullopt;
    for (std::size_t i = 0; i < RecordRateItems.size(); ++i)
        if (bareRate(text) == bareRate(QString::fromUtf8(RecordRateItems[i])))
            return int(i);
    return std::nullopt;
}

std::optional<RecordColumns> parseColumns(const QString &text, QString *error)
{
    RecordColumns columns{};
    for (const QString &given : text.split(QLatin1Char(','))) {
        const QString name = given.trimmed().toLower();
        std::size_t c = 0;
        while (c < RecordColumnOptionNames.size() &&
               name != QLatin1String(RecordColumnOptionNames[c]))
            ++c;
        if (c == RecordColumnOptionNames.size()) {
            *error = name.isEmpty()
                         ? QStringLiteral("--columns: an empty column name in \"%1\"").arg(text)
                         : QStringLiteral("--columns: no column \"%1\"").arg(given.trimmed());
            return std::nullopt;
        }
        columns[c] = true;
    }
    return columns;
}

std::optional<std::chrono::milliseconds> parseDuration(const QString &text)
{
    bool isNumber = false;
    const double seconds = QLocale::c().toDouble(text.trimmed(), &isNumber);
    if (!isNumber || !std::isfinite(seconds) || seconds <= 0 || seconds > MaxRecordSeconds)
        return std::nullopt;
    const auto ms = std::chrono::milliseconds(std::llround(seconds * 1000));
    return ms.count() > 0 ? std::optional(ms) : std::nullopt;
}

} // namespace

QString rateItemList()
{
    QStringList items;
    for (std::size_t i = 0; i < RecordRateItems.size(); ++i)
        items << QStringLiteral("%1 \"%2\"").arg(i).arg(QString::fromUtf8(RecordRateItems[i]));
    return items.join(QStringLiteral(", "));
}

QString columnNameList()
{
    QStringList names;
    for (const char *name : RecordColumnOptionNames)
        names << QString::fromLatin1(name);
    return names.join(QStringLiteral(", "));
}

ParsedRecordOptions parseRecordOptions(const RecordArguments &arguments,
                                       const RecordingChoices &stored)
{
    ParsedRecordOptions parsed;
    parsed.options.choices = stored;
    auto invalid = [&](const QString &error) {
        parsed.error = error;
        return parsed;
    };

    if (arguments.file.trimmed().isEmpty() && !arguments.withoutFile)
        return invalid(QStringLiteral("--record needs a file name"));
    parsed.options.choices.path = arguments.file;

    if (arguments.rate) {
        const std::optional<int> item = parseRate(*arguments.rate);
        if (!item)
            return invalid(QStringLiteral("--rate: \"%1\" is no rate item; one of %2")
                               .arg(*arguments.rate, rateItemList()));
        parsed.options.choices.rateItem = *item;
    }

    if (arguments.columns) {
        QString error;
        const std::optional<RecordColumns> columns = parseColumns(*arguments.columns, &error);
        if (!columns)
            return invalid(error + QStringLiteral("; the columns are %1").arg(columnNameList()));
        parsed.options.choices.columns = *columns;
    }
    if (std::none_of(parsed.options.choices.columns.begin(), parsed.options.choices.columns.end(),
                     [](bool ticked) { return ticked; }))
        return invalid(
            QStringLiteral("no column to record; --columns takes %1").arg(columnNameList()));

    if (arguments.duration) {
        parsed.options.duration = parseDuration(*arguments.duration);
        if (!parsed.options.duration)
            return invalid(QStringLiteral("--duration: \"%1\" is no number of seconds above 0 and "
                                          "up to %2")
                               .arg(*arguments.duration)
                               .arg(MaxRecordSeconds));
    }
    return parsed;
}
