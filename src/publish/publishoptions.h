#pragma once

#include "publishurl.h"

#include <QProcessEnvironment>
#include <QString>

#include <optional>

// The environment variable a password may come from.
inline const QString PasswordVariable = QStringLiteral("KLV57_MQTT_PASSWORD");

// What the command line gave --publish; an option left out is empty.
struct PublishArguments {
    QString url;
    std::optional<QString> queueLimit;
    std::optional<QString> passwordFile;
    std::optional<QString> caFile;
};

// What --publish runs with.
struct PublishOptions {
    PublishUrl url;
    std::optional<QString> password;
    QString caFile;
    qint64 queueLimitBytes = 0;
    QString queueDirectory;
};

struct ParsedPublishOptions {
    PublishOptions options;
    QString error; // empty when the arguments are valid
};

// The password comes from --password-file (its first line) or else from
// the environment; the queue's directory from the prefix. A queue limit is
// a number of bytes, with k, M or G (powers of 1000) after it.
ParsedPublishOptions parsePublishOptions(const PublishArguments &arguments,
                                         const QProcessEnvironment &environment);

std::optional<qint64> parseByteCount(const QString &text);
