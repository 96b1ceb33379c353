#pragma once

#include <QByteArray>
#include <QMetaType>

// Sensor settings, the same layout both ways: report code 0x02 from the
// module, command 0x8A to it. Floats little-endian single precision.
//   0        uint8   code
//   1 + 13k  sensor block k = 0..3:
//              +0  int32   reserved (reported, written as zero)
//              +4  int32   rated capacity, N
//              +8  float   rated output, mV/V
//              +12 int8    sign factor: 1 normal; written -1, any other reported value reverses
//   53       uint8   filter level 0..99
//   54       uint8   speed: written 1 fast / 0 slow; reported non-zero means fast
//   55       uint8   unit index 0..4
//   56       uint8   active inputs index 0..3
//   57       float   sum offset
//   61..62   zero
struct SensorBlock {
    qint32 reserved = 0;
    qint32 ratedCapacityN = 0;
    float ratedOutputMvPerV = 0.0f;
    qint8 sign = 1;

    bool reversed() const { return sign != 1; }
};

struct TensSettings {
    static constexpr int BlockOffset = 1;
    static constexpr int BlockSize = 13;

    SensorBlock sensors[4];
    quint8 filterLevel = 0;
    quint8 speed = 1;
    quint8 unitIndex = 0;
    quint8 activeInputsIndex = 0;
    float sumOffset = 0.0f;

    static TensSettings decode(const QByteArray &payload);
    QByteArray encode(quint8 code) const; // 63 bytes

    // What a write carries for these settings as reported: reserved words
    // zero, the speed 1 or 0 and the sign factors +1 or -1.
    TensSettings asWritten() const;
};

Q_DECLARE_METATYPE(TensSettings)
