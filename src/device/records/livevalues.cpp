#include "livevalues.h"

#include "littleendian.h"
#include "reportpayload.h"

namespace {
enum Offset { Bits = 1, SumAt = 2, MinAt = 6, MaxAt = 10, Input1At = 14, AnalogOutAt = 30 };
}

float LiveValues::input(int k) const
{
    switch (k) {
    case 1: return Input1;
    case 2: return Input2;
    case 3: return Input3;
    case 4: return Input4;
    }
    return 0.0f;
}

LiveValues LiveValues::decode(const QByteArray &payload)
{
    const QByteArray data = paddedPayload(payload);
    LiveValues v;
    quint8 bits = GetU8(data, Bits);
    v.Inputs = bits & 3;
    v.Outputs = (bits >> 2) & 3;
    v.Sum = GetLEFloat(data, SumAt);
    v.Min = GetLEFloat(data, MinAt);
    v.Max = GetLEFloat(data, MaxAt);
    v.Input1 = GetLEFloat(data, Input1At);
    v.Input2 = GetLEFloat(data, Input1At + 4);
    v.Input3 = GetLEFloat(data, Input1At + 8);
    v.Input4 = GetLEFloat(data, Input1At + 12);
    v.AnalogOut = GetLEFloat(data, AnalogOutAt);
    return v;
}

QByteArray LiveValues::encode() const
{
    QByteArray payload = longPayload(Code::Poll);
    PutU8(payload, Bits, quint8((Inputs & 3) | ((Outputs & 3) << 2)));
    PutLE32(payload, SumAt, Sum);
    PutLE32(payload, MinAt, Min);
    PutLE32(payload, MaxAt, Max);
    PutLE32(payload, Input1At, Input1);
    PutLE32(payload, Input1At + 4, Input2);
    PutLE32(payload, Input1At + 8, Input3);
    PutLE32(payload, Input1At + 12, Input4);
    PutLE32(payload, AnalogOutAt, AnalogOut);
    return payload;
}
