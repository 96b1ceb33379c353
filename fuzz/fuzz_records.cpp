// Every record of the protocol on arbitrary bytes. Byte 0 picks the record,
// the rest is its payload. Decoding must take anything; a decoded record
// must survive encode and decode unchanged (floats by their bits), and its
// encoding must carry exactly the bytes it was decoded from.
#include "fuzzcheck.h"

#include "analogcalibration.h"
#include "commandreport.h"
#include "deviceinforeport.h"
#include "livevalues.h"
#include "othersettings.h"
#include "protocolcodes.h"
#include "reportpayload.h"
#include "sessionpresenter.h"
#include "tenssettings.h"

#include <QByteArray>

#include <cstdint>
#include <initializer_list>
#include <utility>

namespace {

using Range = std::pair<int, int>; // [first, last) byte offsets

// The padded payload with only the bytes in `fields` kept and `code` first,
// as a 63-byte long command.
QByteArray keptBytes(const QByteArray &payload, quint8 code, std::initializer_list<Range> fields)
{
    const QByteArray padded = paddedPayload(payload);
    QByteArray expected = longPayload(code);
    for (const Range &field : fields)
        for (int i = field.first; i < field.second; ++i)
            expected[i] = padded[i];
    return expected;
}

bool sameLive(const LiveValues &a, const LiveValues &b)
{
    return a.Inputs == b.Inputs && a.Outputs == b.Outputs && sameBits(a.Sum, b.Sum) &&
           sameBits(a.Min, b.Min) && sameBits(a.Max, b.Max) && sameBits(a.Input1, b.Input1) &&
           sameBits(a.Input2, b.Input2) && sameBits(a.Input3, b.Input3) &&
           sameBits(a.Input4, b.Input4) && sameBits(a.AnalogOut, b.AnalogOut);
}

bool sameTens(const TensSettings &a, const TensSettings &b)
{
    for (int k = 0; k < 4; ++k) {
        const SensorBlock &x = a.sensors[k], &y = b.sensors[k];
        if (x.reserved != y.reserved || x.ratedCapacityN != y.ratedCapacityN ||
            !sameBits(x.ratedOutputMvPerV, y.ratedOutputMvPerV) || x.sign != y.sign)
            return false;
    }
    return a.filterLevel == b.filterLevel && a.speed == b.speed && a.unitIndex == b.unitIndex &&
           a.activeInputsIndex == b.activeInputsIndex && sameBits(a.sumOffset, b.sumOffset);
}

bool sameRule(const OutputRule &a, const OutputRule &b)
{
    return a.combination == b.combination && a.comparison1 == b.comparison1 &&
           a.comparison2 == b.comparison2 && a.state == b.state && a.source == b.source &&
           sameBits(a.value1, b.value1) && sameBits(a.value2, b.value2);
}

// The fields both directions carry.
bool sameCommon(const OtherSettings &a, const OtherSettings &b)
{
    return a.analogMode == b.analogMode && a.analogSource == b.analogSource &&
           a.analogReversed == b.analogReversed && sameBits(a.analogMin, b.analogMin) &&
           sameBits(a.analogMax, b.analogMax) && sameRule(a.outputs[0], b.outputs[0]) &&
           sameRule(a.outputs[1], b.outputs[1]) && a.modbusBaud == b.modbusBaud &&
           a.modbusAddress == b.modbusAddress && a.parity == b.parity;
}

bool sameOther(const OtherSettings &a, const OtherSettings &b)
{
    return sameCommon(a, b) && sameBits(a.calibrationFactorVoltage, b.calibrationFactorVoltage) &&
           sameBits(a.calibrationFactorCurrent, b.calibrationFactorCurrent);
}

void liveValues(const QByteArray &p)
{
    const LiveValues x = LiveValues::decode(p);
    FUZZ_CHECK(x.Inputs <= 3 && x.Outputs <= 3);
    const QByteArray bytes = x.encode();
    FUZZ_CHECK(sameLive(LiveValues::decode(bytes), x));
    QByteArray expected = keptBytes(p, Code::Poll, {{1, 2}, {2, 34}});
    expected[1] = char(quint8(expected[1]) & 0x0F); // the upper four bits carry nothing
    FUZZ_CHECK(bytes == expected);
    for (int k = 1; k <= 4; ++k) {
        const float fields[] = {x.Input1, x.Input2, x.Input3, x.Input4};
        FUZZ_CHECK(sameBits(x.input(k), fields[k - 1]));
    }
}

void deviceInfo(const QByteArray &p)
{
    const DeviceInfoReport x = DeviceInfoReport::decode(p);
    const int room = DeviceInfoReport::IdentificationEnd - DeviceInfoReport::IdentificationOffset;
    FUZZ_CHECK(x.identification.size() <= room && !x.identification.contains('\0'));
    const QByteArray bytes = x.encode();
    FUZZ_CHECK(bytes.size() == LongPayloadSize && quint8(bytes[0]) == Code::DeviceInfo);
    const DeviceInfoReport y = DeviceInfoReport::decode(bytes);
    FUZZ_CHECK(sameBits(y.version, x.version));
    FUZZ_CHECK(y.identification == x.identification);
    FUZZ_CHECK(y.AnalogOutVariant == x.AnalogOutVariant);
    const QByteArray padded = paddedPayload(p);
    FUZZ_CHECK(bytes[1] == padded[1]);
    FUZZ_CHECK(bytes[DeviceInfoReport::AnalogOutVariantOffset] ==
               padded[DeviceInfoReport::AnalogOutVariantOffset]);
    (void)SessionPresenter::identityText(x); // the connection field words any identity
}

void tensSettings(const QByteArray &p)
{
    const TensSettings x = TensSettings::decode(p);
    for (quint8 code : {Code::ReadSensorSettings, Code::WriteSensorSettings}) {
        const QByteArray bytes = x.encode(code);
        FUZZ_CHECK(sameTens(TensSettings::decode(bytes), x));
        FUZZ_CHECK(bytes == keptBytes(p, code, {{1, 61}}));
    }
}

void otherSettings(const QByteArray &p)
{
    // From the module: everything comes back, and written back to it the
    // settings keep every field the command carries.
    const OtherSettings reported = OtherSettings::decodeReport(p);
    const QByteArray report = reported.encodeReport();
    FUZZ_CHECK(sameOther(OtherSettings::decodeReport(report), reported));
    FUZZ_CHECK(report == keptBytes(p, Code::ReadIoSettings, {{1, 49}}));
    const OtherSettings written = OtherSettings::decodeCommand(reported.encodeCommand());
    FUZZ_CHECK(sameCommon(written, reported));

    // To the module.
    const OtherSettings command = OtherSettings::decodeCommand(p);
    const QByteArray bytes = command.encodeCommand();
    FUZZ_CHECK(sameOther(OtherSettings::decodeCommand(bytes), command));
    FUZZ_CHECK(bytes == keptBytes(p, Code::WriteIoSettings, {{1, 41}}));
    FUZZ_CHECK(sameCommon(OtherSettings::decodeReport(command.encodeReport()), command));
}

void calibration(const QByteArray &p)
{
    const AnalogCalibrationStart start = AnalogCalibrationStart::decode(p);
    const QByteArray startBytes = start.encode();
    const AnalogCalibrationStart startBack = AnalogCalibrationStart::decode(startBytes);
    FUZZ_CHECK(startBack.output == start.output && startBack.test == start.test &&
               sameBits(startBack.forcedValue, start.forcedValue));
    FUZZ_CHECK(startBytes == keptBytes(p, Code::AnalogCalibrationStart, {{1, 7}}));

    const AnalogCalibrationStore store = AnalogCalibrationStore::decode(p);
    const QByteArray storeBytes = store.encode();
    const AnalogCalibrationStore storeBack = AnalogCalibrationStore::decode(storeBytes);
    FUZZ_CHECK(storeBack.output == store.output && sameBits(storeBack.measured, store.measured));
    FUZZ_CHECK(storeBytes == keptBytes(p, Code::AnalogCalibrationStore, {{1, 6}}));
}

// Bytes 0..1 of the payload pick the output report length, which may be
// anything a descriptor gives and more; the rest is the command.
void commandReport(const QByteArray &p)
{
    const int length = p.size() >= 2 ? qint16(quint8(p[0]) | quint8(p[1]) << 8) : int(p.size());
    const QByteArray payload = p.mid(2);
    const QByteArray report = buildCommandReport(payload, length);
    if (length < 2) {
        FUZZ_CHECK(report.isEmpty());
        return;
    }
    FUZZ_CHECK(report.size() == length);
    FUZZ_CHECK(quint8(report[0]) == ModuleReportId);
    const int carried = std::min<int>(int(payload.size()), length - 1);
    FUZZ_CHECK(report.mid(1, carried) == payload.left(carried));
    for (int i = 1 + carried; i < length; ++i)
        FUZZ_CHECK(report[i] == '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray payload(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    switch (data[0] % 6) {
    case 0: liveValues(payload); break;
    case 1: deviceInfo(payload); break;
    case 2: tensSettings(payload); break;
    case 3: otherSettings(payload); break;
    case 4: calibration(payload); break;
    case 5: commandReport(payload); break;
    }
    return 0;
}
