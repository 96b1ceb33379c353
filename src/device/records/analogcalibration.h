#pragma once

#include <QByteArray>

// Command 0xA8, force a signal on the analog output:
//   0 uint8 0xA8   1 uint8 output: 0 voltage, 1 current   2 uint8 test flag
//   3 float forced value (9.0 V or 18.0 mA)               4..62 zero
struct AnalogCalibrationStart {
    quint8 output = 0;
    quint8 test = 0;
    float forcedValue = 9.0f;

    static AnalogCalibrationStart decode(const QByteArray &payload);
    QByteArray encode() const; // 63 bytes
};

// Command 0xAA, store a measured reading:
//   0 uint8 0xAA   1 uint8 output: 0 the 0-10 V output, 1 the current output
//   2 float measured value, V or mA                       6..62 zero
struct AnalogCalibrationStore {
    quint8 output = 0;
    float measured = 0.0f;

    static AnalogCalibrationStore decode(const QByteArray &payload);
    QByteArray encode() const; // 63 bytes
};
