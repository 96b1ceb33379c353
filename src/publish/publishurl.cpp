#include "publishurl.h"

#include <QUrl>

QString PublishUrl::shown() const
{
    return QStringLiteral("%1://%2:%3/%4")
        .arg(tls ? QStringLiteral("mqtts") : QStringLiteral("mqtt"), host)
        .arg(port)
        .arg(prefix);
}

ParsedPublishUrl parsePublishUrl(const QString &text)
{
    ParsedPublishUrl parsed;
    auto invalid = [&](const QString &why) {
        parsed.error = QStringLiteral("--publish: \"%1\": %2").arg(text, why);
        return parsed;
    };
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return invalid(QStringLiteral("not a URL (%1)").arg(url.errorString()));
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))
        return invalid(QStringLiteral("the URL starts with mqtt:// or mqtts://"));
    PublishUrl &result = parsed.url;
    result.tls = scheme == QLatin1String("mqtts");
    // A password in the URL would sit in the shell's history and in ps.
    if (!url.password().isEmpty())
        return invalid(QStringLiteral("no password in the URL; give it with --password-file or "
                                      "in KLV57_MQTT_PASSWORD"));
    result.user = url.userName();
    result.host = url.host();
    if (result.host.isEmpty())
        return invalid(QStringLiteral("no host name"));
    result.port = url.port(result.tls ? PublishUrl::TlsPort : PublishUrl::PlainPort);
    if (result.port <= 0)
        return invalid(QStringLiteral("the port is a number from 1 to 65535"));
    if (url.hasQuery() || url.hasFragment())
        return invalid(QStringLiteral("no \"?\" or \"#\" after the prefix"));

    QString prefix = url.path(QUrl::FullyDecoded);
    while (prefix.startsWith(QLatin1Char('/')))
        prefix.remove(0, 1);
    while (prefix.endsWith(QLatin1Char('/')))
        prefix.chop(1);
    if (prefix.isEmpty())
        return invalid(
            QStringLiteral("no topic prefix; e.g. mqtt://%1/plant/bench3").arg(result.host));
    if (prefix.contains(QLatin1Char('+')) || prefix.contains(QLatin1Char('#')))
        return invalid(QStringLiteral("the prefix is a topic to publish to; \"+\" and \"#\" are "
                                      "wildcards"));
    if (prefix.contains(QLatin1String("//")))
        return invalid(QStringLiteral("an empty level in the prefix"));
    result.prefix = prefix;
    return parsed;
}
