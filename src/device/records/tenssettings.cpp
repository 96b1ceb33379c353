#include "tenssettings.h"

#include "littleendian.h"
#include "reportpayload.h"

namespace {
enum Offset { FilterLevel = 53, Speed = 54, Unit = 55, ActiveInputs = 56, SumOffset = 57 };
enum BlockField { Reserved = 0, Capacity = 4, RatedOutput = 8, Sign = 12 };
} // namespace

TensSettings TensSettings::decode(const QByteArray &payload)
{
    const QByteArray data = paddedPayload(payload);
    TensSettings s;
    for (int k = 0; k < 4; ++k) {
        int at = BlockOffset + k * BlockSize;
        s.sensors[k].reserved = GetLE32(data, at + Reserved);
        s.sensors[k].ratedCapacityN = GetLE32(data, at + Capacity);
        s.sensors[k].ratedOutputMvPerV = GetLEFloat(data, at + RatedOutput);
        s.sensors[k].sign = qint8(GetU8(data, at + Sign));
    }
    s.filterLevel = GetU8(data, FilterLevel);
    s.speed = GetU8(data, Speed);
    s.unitIndex = GetU8(data, Unit);
    s.activeInputsIndex = GetU8(data, ActiveInputs);
    s.sumOffset = GetLEFloat(data, SumOffset);
    return s;
}

QByteArray TensSettings::encode(quint8 code) const
{
    QByteArray payload = longPayload(code);
    for (int k = 0; k < 4; ++k) {
        int at = BlockOffset + k * BlockSize;
        PutLE32(payload, at + Reserved, sensors[k].reserved);
        PutLE32(payload, at + Capacity, sensors[k].ratedCapacityN);
        PutLE32(payload, at + RatedOutput, sensors[k].ratedOutputMvPerV);
        PutU8(payload, at + Sign, quint8(sensors[k].sign));
    }
    PutU8(payload, FilterLevel, filterLevel);
    PutU8(payload, Speed, speed);
    PutU8(payload, Unit, unitIndex);
    PutU8(payload, ActiveInputs, activeInputsIndex);
    PutLE32(payload, SumOffset, sumOffset);
    return payload;
}

TensSettings TensSettings::asWritten() const
{
    TensSettings s = *this;
    for (SensorBlock &block : s.sensors) {
        block.reserved = 0;
        block.sign = block.reversed() ? -1 : 1;
    }
    s.speed = speed != 0 ? 1 : 0;
    return s;
}
