#pragma once

#include <QByteArray>
#include <QMetaType>

// Measurement frame, report code 0x01 (floats little-endian single precision):
//   0   uint8   code 0x01
//   1   bits    0 IN1, 1 IN2, 2 OUT1, 3 OUT2
//   2   float   sum (active inputs plus the sum offset)
//   6   float   minimum kept by the module
//   10  float   maximum kept by the module
//   14  float   input 1      18 input 2      22 input 3      26 input 4
//   30  float   analog output, V or mA by the output mode
struct LiveValues {
    quint8 Inputs = 0;  // bit 0 IN1, bit 1 IN2
    quint8 Outputs = 0; // bit 0 OUT1, bit 1 OUT2
    float Sum = 0, Min = 0, Max = 0;
    float Input1 = 0, Input2 = 0, Input3 = 0, Input4 = 0;
    float AnalogOut = 0;

    float input(int k) const; // k = 1..4

    static LiveValues decode(const QByteArray &payload);
    QByteArray encode() const; // 63 bytes
};

Q_DECLARE_METATYPE(LiveValues)
