#pragma once

#include <QByteArray>
#include <QString>

// Device information, report code 0x00:
//   0   uint8   code 0x00
//   1   int8    firmware version in hundredths (110 = 1.10)
//   2   text    identification, ended by the first zero byte, at most to offset 61
//   62  uint8   analog output variant: 0 voltage output, other values current output
struct DeviceInfoReport {
    static constexpr int IdentificationOffset = 2;
    static constexpr int IdentificationEnd = 62; // exclusive
    static constexpr int AnalogOutVariantOffset = 62;

    float version = 0.0f;       // single precision, byte 1 x 0.01
    QByteArray identification;  // 8-bit characters
    quint8 AnalogOutVariant = 0;

    static DeviceInfoReport decode(const QByteArray &payload);
    QByteArray encode() const; // 63 bytes; identification cut to fit
};
