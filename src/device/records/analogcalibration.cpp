#include "analogcalibration.h"

#include "littleendian.h"
#include "reportpayload.h"

AnalogCalibrationStart AnalogCalibrationStart::decode(const QByteArray &payload)
{
    const QByteArray data = paddedPayload(payload);
    return {GetU8(data, 1), GetU8(data, 2), GetLEFloat(data, 3)};
}

QByteArray AnalogCalibrationStart::encode() const
{
    QByteArray payload = longPayload(Code::AnalogCalibrationStart);
    PutU8(payload, 1, output);
    PutU8(payload, 2, test);
    PutLE32(payload, 3, forcedValue);
    return payload;
}

AnalogCalibrationStore AnalogCalibrationStore::decode(const QByteArray &payload)
{
    const QByteArray data = paddedPayload(payload);
    return {GetU8(data, 1), GetLEFloat(data, 2)};
}

QByteArray AnalogCalibrationStore::encode() const
{
    QByteArray payload = longPayload(Code::AnalogCalibrationStore);
    PutU8(payload, 1, output);
    PutLE32(payload, 2, measured);
    return payload;
}
