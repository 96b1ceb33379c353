#pragma once

#include <QtGlobal>

// Codes of the module's command/answer scheme. Most answers repeat the code
// of the command they answer.
namespace Code {
constexpr quint8 DeviceInfo = 0x00;
constexpr quint8 Poll = 0x01; // answered by a measurement frame with the same code
constexpr quint8 ReadSensorSettings = 0x02;
constexpr quint8 ReadIoSettings = 0x03;
constexpr quint8 WriteSensorSettings = 0x8A;
constexpr quint8 WriteIoSettings = 0x8B;
constexpr quint8 ZeroInput1 = 0x8C; // 0x8C..0x8F: inputs 1..4
constexpr quint8 ZeroAllInputs = 0x90;
constexpr quint8 TareSum = 0x91;
constexpr quint8 ResetMinMax = 0x93;
constexpr quint8 FactorySensorSettings = 0x9F;
constexpr quint8 FactoryIoSettings = 0xA0;
constexpr quint8 AnalogCalibrationStart = 0xA8;
constexpr quint8 AnalogCalibrationStop = 0xA9;
constexpr quint8 AnalogCalibrationStore = 0xAA;
} // namespace Code

// Report ID of both directions.
constexpr quint8 ModuleReportId = 0x01;

// The payload fields reach offset 62; the long commands carry 63 bytes.
constexpr int LongPayloadSize = 63;
// Reports are decoded from a zero-padded copy at least this long, so a short
// report never reads past what arrived.
constexpr int MinimumReportPayload = 64;
