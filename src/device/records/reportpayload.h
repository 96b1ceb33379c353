#pragma once

#include "protocolcodes.h"

#include <QByteArray>

// A copy of a device report's payload, zero-padded to at least
// MinimumReportPayload bytes.
inline QByteArray paddedPayload(const QByteArray &payload)
{
    QByteArray copy = payload;
    if (copy.size() < MinimumReportPayload)
        copy.append(MinimumReportPayload - copy.size(), '\0');
    return copy;
}

// A zeroed long-command payload starting with its code.
inline QByteArray longPayload(quint8 code)
{
    QByteArray payload(LongPayloadSize, '\0');
    payload[0] = char(code);
    return payload;
}
