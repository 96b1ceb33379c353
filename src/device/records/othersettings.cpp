#include "othersettings.h"

#include "littleendian.h"
#include "protocolcodes.h"
#include "reportpayload.h"

namespace {
enum Offset {
    Mode = 1, Source = 2, Reversed = 3, AnalogMin = 4, AnalogMax = 8,
    Baud = 38, Address = 39,
    CommandParity = 40,
    ReportFactorVoltage = 40, ReportFactorCurrent = 44, ReportParity = 48,
};
enum RuleField { Combination = 0, Compare1 = 1, Compare2 = 2, State = 3, RuleSource = 4,
                 Value1 = 5, Value2 = 9 };
constexpr int RuleOffsets[2] = {OtherSettings::Out1Offset, OtherSettings::Out2Offset};

// The part both directions share, offsets 1 to 39.
OtherSettings decodeCommon(const QByteArray &data)
{
    OtherSettings s;
    s.analogMode = GetU8(data, Mode);
    s.analogSource = GetU8(data, Source);
    s.analogReversed = GetU8(data, Reversed);
    s.analogMin = GetLEFloat(data, AnalogMin);
    s.analogMax = GetLEFloat(data, AnalogMax);
    for (int n = 0; n < 2; ++n) {
        OutputRule &rule = s.outputs[n];
        int at = RuleOffsets[n];
        rule.combination = GetU8(data, at + Combination);
        rule.comparison1 = GetU8(data, at + Compare1);
        rule.comparison2 = GetU8(data, at + Compare2);
        rule.state = GetU8(data, at + State);
        rule.source = GetU8(data, at + RuleSource);
        rule.value1 = GetLEFloat(data, at + Value1);
        rule.value2 = GetLEFloat(data, at + Value2);
    }
    s.modbusBaud = GetU8(data, Baud);
    s.modbusAddress = GetU8(data, Address);
    return s;
}

QByteArray encodeCommon(const OtherSettings &s, quint8 code)
{
    QByteArray payload = longPayload(code);
    PutU8(payload, Mode, s.analogMode);
    PutU8(payload, Source, s.analogSource);
    PutU8(payload, Reversed, s.analogReversed);
    PutLE32(payload, AnalogMin, s.analogMin);
    PutLE32(payload, AnalogMax, s.analogMax);
    for (int n = 0; n < 2; ++n) {
        const OutputRule &rule = s.outputs[n];
        int at = RuleOffsets[n];
        PutU8(payload, at + Combination, rule.combination);
        PutU8(payload, at + Compare1, rule.comparison1);
        PutU8(payload, at + Compare2, rule.comparison2);
        PutU8(payload, at + State, rule.state);
        PutU8(payload, at + RuleSource, rule.source);
        PutLE32(payload, at + Value1, rule.value1);
        PutLE32(payload, at + Value2, rule.value2);
    }
    PutU8(payload, Baud, s.modbusBaud);
    PutU8(payload, Address, s.modbusAddress);
    return payload;
}
} // namespace

OtherSettings OtherSettings::decodeReport(const QByteArray &payload)
{
    const QByteArray data = paddedPayload(payload);
    OtherSettings s = decodeCommon(data);
    s.calibrationFactorVoltage = GetLEFloat(data, ReportFactorVoltage);
    s.calibrationFactorCurrent = GetLEFloat(data, ReportFactorCurrent);
    s.parity = GetU8(data, ReportParity);
    return s;
}

OtherSettings OtherSettings::decodeCommand(const QByteArray &payload)
{
    const QByteArray data = paddedPayload(payload);
    OtherSettings s = decodeCommon(data);
    s.parity = GetU8(data, CommandParity);
    return s;
}

QByteArray OtherSettings::encodeReport() const
{
    QByteArray payload = encodeCommon(*this, Code::ReadIoSettings);
    PutLE32(payload, ReportFactorVoltage, calibrationFactorVoltage);
    PutLE32(payload, ReportFactorCurrent, calibrationFactorCurrent);
    PutU8(payload, ReportParity, parity);
    return payload;
}

QByteArray OtherSettings::encodeCommand() const
{
    QByteArray payload = encodeCommon(*this, Code::WriteIoSettings);
    PutU8(payload, CommandParity, parity);
    return payload;
}
