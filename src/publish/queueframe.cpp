#include "queueframe.h"

#include "littleendian.h"

#include <array>

namespace {

constexpr std::array<quint32, 256> makeCrcTable()
{
    std::array<quint32, 256> table{};
    for (quint32 n = 0; n < 256; ++n) {
        quint32 c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<quint32, 256> CrcTable = makeCrcTable();

quint32 getU32(const QByteArray &bytes, qsizetype offset)
{
    return quint32(GetLE32(bytes, int(offset)));
}

} // namespace

quint32 crc32Of(const char *data, qsizetype size)
{
    quint32 c = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        c = CrcTable[(c ^ quint8(data[i])) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray QueueFrame::encode() const
{
    QByteArray bytes(HeaderSize, '\0');
    PutLE32(bytes, 0, quint32(payload.size()));
    PutLE32(bytes, 4, crc32Of(payload));
    return bytes + payload;
}

std::optional<quint32> QueueFrame::payloadLength(const QByteArray &header)
{
    if (header.size() < HeaderSize)
        return std::nullopt;
    const quint32 length = getU32(header, 0);
    return length <= MaxPayload ? std::optional(length) : std::nullopt;
}

std::optional<QueueFrame> QueueFrame::decode(const QByteArray &bytes, qsizetype offset)
{
    if (offset < 0 || bytes.size() - offset < HeaderSize)
        return std::nullopt;
    const std::optional<quint32> length = payloadLength(bytes.mid(offset, HeaderSize));
    if (!length || bytes.size() - offset - HeaderSize < qsizetype(*length))
        return std::nullopt;
    QueueFrame frame{bytes.mid(offset + HeaderSize, qsizetype(*length))};
    if (crc32Of(frame.payload) != getU32(bytes, offset + 4))
        return std::nullopt;
    return frame;
}

QByteArray QueueHead::encode() const
{
    QByteArray bytes(Size, '\0');
    PutLE32(bytes, 0, quint32(firstUnacknowledged & 0xFFFFFFFFu));
    PutLE32(bytes, 4, quint32(firstUnacknowledged >> 32));
    PutLE32(bytes, 8, crc32Of(bytes.constData(), 8));
    return bytes;
}

std::optional<QueueHead> QueueHead::decode(const QByteArray &bytes)
{
    if (bytes.size() != Size || crc32Of(bytes.constData(), 8) != getU32(bytes, 8))
        return std::nullopt;
    return QueueHead{quint64(getU32(bytes, 0)) | (quint64(getU32(bytes, 4)) << 32)};
}
