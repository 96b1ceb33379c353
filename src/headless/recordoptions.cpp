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

std::optional<RecordColumns> parseColumns(const QString &text, RecordOptionsProblem *problem)
{
    RecordColumns columns{};
    for (const QString &given : text.split(QLatin1Char(','))) {
        const QString name = given.trimmed().toLower();
        std::size_t c = 0;
        while (c < RecordColumnOptionNames.size() &&
               name != QLatin1String(RecordColumnOptionNames[c]))
            ++c;
        if (c == RecordColumnOptionNames.size()) {
            *problem = name.isEmpty() ? RecordOptionsProblem{RecordOptionsProblem::Code::EmptyColumnName, text}
                                      : RecordOptionsProblem{RecordOptionsProblem::Code::UnknownColumn,
                                                             given.trimmed()};
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
    using Code = RecordOptionsProblem::Code;
    auto invalid = [&](Code code, const QString &given = QString()) {
        parsed.problem = {code, given};
        return parsed;
    };

    if (arguments.file.trimmed().isEmpty() && !arguments.withoutFile)
        return invalid(Code::NoFileName);
    parsed.options.choices.path = arguments.file;

    if (arguments.rate) {
        const std::optional<int> item = parseRate(*arguments.rate);
        if (!item)
            return invalid(Code::UnknownRate, *arguments.rate);
        parsed.options.choices.rateItem = *item;
    }

    if (arguments.columns) {
        RecordOptionsProblem problem;
        const std::optional<RecordColumns> columns = parseColumns(*arguments.columns, &problem);
        if (!columns) {
            parsed.problem = problem;
            return parsed;
        }
        parsed.options.choices.columns = *columns;
    }
    if (std::none_of(parsed.options.choices.columns.begin(), parsed.options.choices.columns.end(),
                     [](bool ticked) { return ticked; }))
        return invalid(Code::NoColumn);

    if (arguments.duration) {
        parsed.options.duration = parseDuration(*arguments.duration);
        if (!parsed.options.duration)
            return invalid(Code::BadDuration, *arguments.duration);
    }
    return parsed;
}
