#include "deviceinforeport.h"

#include "littleendian.h"
#include "protocolcodes.h"
#include "reportpayload.h"

#include <cmath>

DeviceInfoReport DeviceInfoReport::decode(const QByteArray &payload)
{
    const QByteArray data = paddedPayload(payload);
    DeviceInfoReport info;
    info.version = float(qint8(GetU8(data, 1))) * 0.01f;
    QByteArray text = data.mid(IdentificationOffset, IdentificationEnd - IdentificationOffset);
    int end = text.indexOf('\0');
    info.identification = end < 0 ? text : text.left(end);
    info.AnalogOutVariant = GetU8(data, AnalogOutVariantOffset);
    return info;
}

QByteArray DeviceInfoReport::encode() const
{
    QByteArray payload = longPayload(Code::DeviceInfo);
    PutU8(payload, 1, quint8(qint8(std::lround(version * 100.0f))));
    // The text may fill its field: decoding ends it at offset 61 without a zero.
    QByteArray text = identification.left(IdentificationEnd - IdentificationOffset);
    payload.replace(IdentificationOffset, text.size(), text);
    PutU8(payload, AnalogOutVariantOffset, AnalogOutVariant);
    return payload;
}
