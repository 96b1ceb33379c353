#include "publishoptions.h"

#include "recordqueue.h"

#include <QFile>
#include <QLocale>

#include <cmath>

std::optional<qint64> parseByteCount(const QString &text)
{
    QString number = text.trimmed();
    double factor = 1;
    if (number.endsWith(QLatin1Char('B'), Qt::CaseInsensitive))
        number.chop(1);
    if (!number.isEmpty()) {
        const QChar unit = number.back().toLower();
        const double factors[] = {1e3, 1e6, 1e9};
        const int index = QStringLiteral("kmg").indexOf(unit);
        if (index >= 0) {
            factor = factors[index];
            number.chop(1);
        }
    }
    bool isNumber = false;
    const double value = QLocale::c().toDouble(number.trimmed(), &isNumber) * factor;
    if (!isNumber || !std::isfinite(value) || value < 1 || value > 1e15)
        return std::nullopt;
    return qint64(std::llround(value));
}

ParsedPublishOptions parsePublishOptions(const PublishArguments &arguments,
                                         const QProcessEnvironment &environment)
{
    ParsedPublishOptions parsed;
    auto invalid = [&](const QString &error) {
        parsed.error = error;
        return parsed;
    };
    const ParsedPublishUrl url = parsePublishUrl(arguments.url);
    if (!url.error.isEmpty())
        return invalid(url.error);
    PublishOptions &options = parsed.options;
    options.url = url.url;

    options.queueLimitBytes = RecordQueue::DefaultLimitBytes;
    if (arguments.queueLimit) {
        const std::optional<qint64> limit = parseByteCount(*arguments.queueLimit);
        if (!limit || *limit < RecordQueue::MinimumLimitBytes)
            return invalid(QStringLiteral("--queue-limit: \"%1\" is no size of at least %2 bytes "
                                          "(e.g. 500k, 100M, 2G)")
                               .arg(*arguments.queueLimit)
                               .arg(RecordQueue::MinimumLimitBytes));
        options.queueLimitBytes = *limit;
    }

    if (arguments.passwordFile) {
        QFile file(*arguments.passwordFile);
        if (!file.open(QIODevice::ReadOnly))
            return invalid(QStringLiteral("--password-file: %1: %2")
                               .arg(*arguments.passwordFile, file.errorString()));
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        options.password = QString::fromUtf8(line);
    } else if (environment.contains(PasswordVariable)) {
        options.password = environment.value(PasswordVariable);
    }
    if (options.password && options.url.user.isEmpty())
        return invalid(QStringLiteral("--publish: a password needs a user name in the URL "
                                      "(mqtt://user@host/prefix)"));

    if (arguments.caFile) {
        if (!options.url.tls)
            return invalid(QStringLiteral("--cafile goes with an mqtts:// URL"));
        if (!QFile::exists(*arguments.caFile))
            return invalid(QStringLiteral("--cafile: no file %1").arg(*arguments.caFile));
        options.caFile = *arguments.caFile;
    }
    options.queueDirectory = RecordQueue::directoryFor(options.url.prefix);
    return parsed;
}
