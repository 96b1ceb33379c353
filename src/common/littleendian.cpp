#include "littleendian.h"

#include <cstring>

namespace {
bool fits(const QByteArray &buffer, int offset, int width)
{
    return offset >= 0 && offset + width <= buffer.size();
}
} // namespace

void PutLE32(QByteArray &buffer, int offset, quint32 value)
{
    if (!fits(buffer, offset, 4))
        return;
    for (int i = 0; i < 4; ++i)
        buffer[offset + i] = char((value >> (8 * i)) & 0xFF);
}

void PutLE32(QByteArray &buffer, int offset, qint32 value)
{
    PutLE32(buffer, offset, quint32(value));
}

void PutLE32(QByteArray &buffer, int offset, float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutLE32(buffer, offset, bits);
}

qint32 GetLE32(const QByteArray &buffer, int offset)
{
    if (!fits(buffer, offset, 4))
        return 0;
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value |= quint32(quint8(buffer[offset + i])) << (8 * i);
    return qint32(value);
}

float GetLEFloat(const QByteArray &buffer, int offset)
{
    quint32 bits = quint32(GetLE32(buffer, offset));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

quint8 GetU8(const QByteArray &buffer, int offset)
{
    return fits(buffer, offset, 1) ? quint8(buffer[offset]) : 0;
}

void PutU8(QByteArray &buffer, int offset, quint8 value)
{
    if (fits(buffer, offset, 1))
        buffer[offset] = char(value);
}
