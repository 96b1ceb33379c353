#pragma once

#include <QByteArray>
#include <QMetaType>

// Input/output settings. Report code 0x03 from the module and command 0x8B
// to it agree up to offset 39 and differ after it. Floats little-endian
// single precision; one-byte fields carry the item index of their list.
//   0   uint8   code
//   1   uint8   analog mode: 0 0-10 V, 1 0-20 mA, 2 4-20 mA
//   2   uint8   analog control source
//   3   uint8   analog reversed: written 1/0, reported non-zero means yes
//   4   float   value for the lowest output     8  float  value for the highest output
//   12  OUT1 rule: 12 combination, 13 comparison 1, 14 comparison 2, 15 state,
//       16 source, 17 float value 1, 21 float value 2
//   25  OUT2 rule, same layout (25..37)
//   38  uint8   Modbus baud rate index
//   39  uint8   Modbus address 1..247
// Command 0x8B:  40 uint8 parity, 41..62 zero
// Report 0x03:   40 float calibration factor 0-10 V, 44 float calibration
//                factor current output, 48 uint8 parity
struct OutputRule {
    static constexpr int Size = 13;

    quint8 combination = 0; // 0 "---", 1 AND, 2 OR
    quint8 comparison1 = 0; // 0 "<", 1 ">"
    quint8 comparison2 = 0;
    quint8 state = 0;       // 0 inactive, 1 active
    quint8 source = 0;      // 0 inactive, 1..4 input, 5 sum
    float value1 = 0.0f;
    float value2 = 0.0f;
};

struct OtherSettings {
    static constexpr int Out1Offset = 12;
    static constexpr int Out2Offset = 25;

    quint8 analogMode = 0;
    quint8 analogSource = 0;
    quint8 analogReversed = 0;
    float analogMin = 0.0f;
    float analogMax = 0.0f;
    OutputRule outputs[2];
    quint8 modbusBaud = 2;
    quint8 modbusAddress = 1;
    quint8 parity = 0;
    float calibrationFactorVoltage = 0.0f; // reported only
    float calibrationFactorCurrent = 0.0f; // reported only

    static OtherSettings decodeReport(const QByteArray &payload);
    static OtherSettings decodeCommand(const QByteArray &payload);
    QByteArray encodeReport() const;  // code 0x03, 63 bytes
    QByteArray encodeCommand() const; // code 0x8B, 63 bytes
};

Q_DECLARE_METATYPE(OtherSettings)
