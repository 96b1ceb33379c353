#pragma once

#include <QString>

// Where --publish sends the records: mqtt://[user@]host[:port]/PREFIX, or
// mqtts:// for TLS. The prefix is the topic the messages go under
// (PREFIX/values, PREFIX/status); it may have levels ("plant/bench3").
struct PublishUrl {
    static constexpr int PlainPort = 1883;
    static constexpr int TlsPort = 8883;

    bool tls = false;
    QString user; // empty: no user name is sent
    QString host;
    int port = PlainPort;
    QString prefix;

    QString valuesTopic() const { return prefix + QStringLiteral("/values"); }
    QString statusTopic() const { return prefix + QStringLiteral("/status"); }
    // "mqtt://host:port/prefix", without the user, for messages.
    QString shown() const;
};

struct ParsedPublishUrl {
    PublishUrl url;
    QString error; // empty when the text is a valid URL
};

ParsedPublishUrl parsePublishUrl(const QString &text);
