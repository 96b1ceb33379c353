#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// CRC-32 (IEEE 802.3, as zlib computes it).
quint32 crc32Of(const char *data, qsizetype size);
inline quint32 crc32Of(const QByteArray &bytes) { return crc32Of(bytes.constData(), bytes.size()); }

// One record in a queue segment file, frames back to back:
//   0   uint32  payload length in bytes
//   4   uint32  CRC-32 of the payload
//   8   bytes   payload
// A frame cut short by a crash, or one whose CRC does not match, ends the
// segment's readable part.
struct QueueFrame {
    static constexpr int HeaderSize = 8;
    static constexpr quint32 MaxPayload = 1u << 20;

    QByteArray payload;

    QByteArray encode() const;
    // The header at the start of `header` (HeaderSize bytes): the payload's
    // length, or none for a length past MaxPayload.
    static std::optional<quint32> payloadLength(const QByteArray &header);
    // A whole frame at `offset` of `bytes`; none when it is cut short or
    // its CRC does not match.
    static std::optional<QueueFrame> decode(const QByteArray &bytes, qsizetype offset = 0);
    qsizetype frameSize() const { return HeaderSize + payload.size(); }
};

// The queue's head file: the first record not yet acknowledged.
//   0   uint32  sequence number, low word
//   4   uint32  sequence number, high word
//   8   uint32  CRC-32 of bytes 0..7
struct QueueHead {
    static constexpr int Size = 12;

    quint64 firstUnacknowledged = 0;

    QByteArray encode() const;
    static std::optional<QueueHead> decode(const QByteArray &bytes);
};
