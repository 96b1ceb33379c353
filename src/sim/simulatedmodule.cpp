#include "simulatedmodule.h"

#include "analogcalibration.h"
#include "deviceinforeport.h"
#include "protocolcodes.h"
#include "reportpayload.h"

#include <cmath>

namespace {

// Loads on the four cells, in newtons: a base, a swing and its period.
constexpr float BaseN[4] = {250.0f, 180.0f, 320.0f, 140.0f};
constexpr float SwingN[4] = {40.0f, 25.0f, 60.0f, 20.0f};
constexpr double PeriodS[4] = {7.0, 11.0, 5.0, 13.0};
// The cells' true rated outputs, mV/V: near the factory 2.0 but not on it,
// so that a calibration with a known load has something to find.
constexpr float TrueRatedOutput[4] = {2.0125f, 1.9870f, 2.0040f, 1.9935f};

// Newtons to the unit index of the settings: N, kN, g, kg, pounds.
constexpr float PerNewton[5] = {1.0f, 0.001f, 101.97162f, 0.10197162f, 0.22480894f};

constexpr float ForcedVoltage = 9.0f;
constexpr float ForcedCurrent = 18.0f;

} // namespace

SimulatedModule::SimulatedModule(const QString &path, HidReportLengths lengths)
    : SimDevice(HidDeviceInfo{path, 0x16C0, 0x0557, QStringLiteral("KLV57")}, true, lengths),
      m_sensor(factorySensorSettings()), m_io(factoryIoSettings()),
      m_identification("KLV57 simulator"), m_start(std::chrono::steady_clock::now())
{
}

TensSettings SimulatedModule::factorySensorSettings()
{
    TensSettings s;
    for (SensorBlock &block : s.sensors) {
        block.ratedCapacityN = 1000;
        block.ratedOutputMvPerV = 2.0f;
        block.sign = 1;
    }
    s.filterLevel = 10;
    s.speed = 1;
    s.unitIndex = 0;
    s.activeInputsIndex = 3;
    s.sumOffset = 0.0f;
    return s;
}

OtherSettings SimulatedModule::factoryIoSettings()
{
    OtherSettings s;
    s.analogMode = 0;
    s.analogSource = 5; // the sum
    s.analogMin = 0.0f;
    s.analogMax = 2000.0f;
    s.outputs[0] = {0, 1, 0, 1, 5, 900.0f, 0.0f};     // OUT1: sum > 900
    s.outputs[1] = {1, 1, 0, 1, 3, 300.0f, 360.0f};   // OUT2: 300 < input 3 < 360
    s.modbusBaud = 2;
    s.modbusAddress = 1;
    s.parity = 0;
    s.calibrationFactorVoltage = 1.0f;
    s.calibrationFactorCurrent = 1.0f;
    return s;
}

void SimulatedModule::setSilent(bool silent)
{
    std::lock_guard lock(m_mutex);
    m_silent = silent;
}

void SimulatedModule::withholdAnswersTo(std::optional<quint8> code)
{
    std::lock_guard lock(m_mutex);
    m_withheldCode = code;
}

void SimulatedModule::releaseWithheld()
{
    std::lock_guard lock(m_mutex);
    for (const QByteArray &report : m_withheld)
        queueLocked(report);
    m_withheld.clear();
}

int SimulatedModule::withheldAnswers() const
{
    std::lock_guard lock(m_mutex);
    return int(m_withheld.size());
}

void SimulatedModule::setAnalogOutVariant(quint8 variant)
{
    std::lock_guard lock(m_mutex);
    m_analogOutVariant = variant;
}

void SimulatedModule::setLoadScale(float scale)
{
    std::lock_guard lock(m_mutex);
    m_loadScale = scale;
}

void SimulatedModule::setIdentification(const QByteArray &text)
{
    std::lock_guard lock(m_mutex);
    m_identification = text;
}

void SimulatedModule::setFixedFrame(std::optional<LiveValues> frame)
{
    std::lock_guard lock(m_mutex);
    m_fixedFrame = frame;
}

float SimulatedModule::trueRatedOutput(int input)
{
    return input >= 1 && input <= 4 ? TrueRatedOutput[input - 1] : 0.0f;
}

void SimulatedModule::setLoad(int input, std::optional<float> newtons)
{
    std::lock_guard lock(m_mutex);
    if (input >= 1 && input <= 4)
        m_steadyLoadN[input - 1] = newtons;
}

TensSettings SimulatedModule::sensorSettings() const
{
    std::lock_guard lock(m_mutex);
    return m_sensor;
}

OtherSettings SimulatedModule::ioSettings() const
{
    std::lock_guard lock(m_mutex);
    return m_io;
}

void SimulatedModule::answer(const QByteArray &payload)
{
    if (m_silent)
        return;
    const HidReportLengths lengths = reportLengths();
    QByteArray report = lengths.numbered ? QByteArray(1, char(ModuleReportId)) : QByteArray();
    report += payload;
    int length = lengths.input > 0 ? lengths.input : report.size();
    report = report.leftJustified(length, '\0', true);
    if (m_withheldCode && !payload.isEmpty() && quint8(payload[0]) == *m_withheldCode)
        m_withheld.push_back(report);
    else
        queueLocked(report);
}

void SimulatedModule::handleOutputReport(const QByteArray &report)
{
    if (report.size() < 2 || quint8(report[0]) != ModuleReportId)
        return;
    const QByteArray payload = paddedPayload(report.mid(1));
    const quint8 code = quint8(payload[0]);
    switch (code) {
    case Code::DeviceInfo: {
        DeviceInfoReport info;
        info.version = VersionHundredths / 100.0f;
        info.identification = m_identification;
        info.AnalogOutVariant = m_analogOutVariant;
        answer(info.encode());
        break;
    }
    case Code::Poll:
        answer(measure().encode());
        break;
    case Code::ReadSensorSettings:
        answer(m_sensor.encode(Code::ReadSensorSettings));
        break;
    case Code::ReadIoSettings:
        answer(m_io.encodeReport());
        break;
    case Code::WriteSensorSettings: {
        TensSettings written = TensSettings::decode(payload);
        for (int k = 0; k < 4; ++k)
            written.sensors[k].reserved = m_sensor.sensors[k].reserved;
        written.speed = written.speed ? 1 : 0;
        m_sensor = written;
        acknowledge(code);
        break;
    }
    case Code::WriteIoSettings: {
        OtherSettings written = OtherSettings::decodeCommand(payload);
        written.calibrationFactorVoltage = m_io.calibrationFactorVoltage;
        written.calibrationFactorCurrent = m_io.calibrationFactorCurrent;
        m_io = written;
        acknowledge(code);
        break;
    }
    case Code::ZeroInput1:
    case Code::ZeroInput1 + 1:
    case Code::ZeroInput1 + 2:
    case Code::ZeroInput1 + 3: {
        int k = code - Code::ZeroInput1;
        m_zeroOffsetN[k] = m_lastRawN[k];
        acknowledge(code);
        break;
    }
    case Code::ZeroAllInputs:
        for (int k = 0; k < 4; ++k)
            m_zeroOffsetN[k] = m_lastRawN[k];
        acknowledge(code);
        break;
    case Code::TareSum:
        m_tare += m_lastSum;
        acknowledge(code);
        break;
    case Code::ResetMinMax:
        m_min.reset();
        m_max.reset();
        acknowledge(code);
        break;
    case Code::FactorySensorSettings:
        m_sensor = factorySensorSettings();
        acknowledge(code);
        break;
    case Code::FactoryIoSettings: {
        OtherSettings factory = factoryIoSettings();
        factory.calibrationFactorVoltage = m_io.calibrationFactorVoltage;
        factory.calibrationFactorCurrent = m_io.calibrationFactorCurrent;
        m_io = factory;
        acknowledge(code);
        break;
    }
    case Code::AnalogCalibrationStart: {
        AnalogCalibrationStart start = AnalogCalibrationStart::decode(payload);
        m_forcedOutput = start.output == 0 ? ForcedVoltage : ForcedCurrent;
        acknowledge(code);
        break;
    }
    case Code::AnalogCalibrationStop:
        m_forcedOutput.reset();
        acknowledge(code);
        break;
    case Code::AnalogCalibrationStore: {
        AnalogCalibrationStore store = AnalogCalibrationStore::decode(payload);
        if (store.measured > 0.0f) {
            if (store.output == 0)
                m_io.calibrationFactorVoltage = ForcedVoltage / store.measured;
            else
                m_io.calibrationFactorCurrent = ForcedCurrent / store.measured;
        }
        acknowledge(code);
        break;
    }
    default:
        break; // unknown commands go unanswered
    }
}

float SimulatedModule::rawLoadN(int input, double seconds)
{
    if (m_steadyLoadN[input])
        return *m_steadyLoadN[input];
    std::uniform_real_distribution<float> noise(-0.4f, 0.4f);
    const double phase = 2.0 * M_PI * seconds / PeriodS[input];
    return (BaseN[input] + SwingN[input] * float(std::sin(phase))) * m_loadScale + noise(m_noise);
}

float SimulatedModule::reading(int input, float loadN) const
{
    // The bridge signal over the rated output set: a rated output set too
    // low reads high.
    const float set = m_sensor.sensors[input].ratedOutputMvPerV;
    return set > 0.0f ? loadN * TrueRatedOutput[input] / set : 0.0f;
}

float SimulatedModule::inUnit(float newtons) const
{
    return newtons * PerNewton[m_sensor.unitIndex < 5 ? m_sensor.unitIndex : 0];
}

LiveValues SimulatedModule::measure()
{
    if (m_fixedFrame)
        return *m_fixedFrame;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    LiveValues v;
    float inputs[4];
    float sum = 0.0f;
    const int active = std::min<int>(m_sensor.activeInputsIndex, 3) + 1;
    for (int k = 0; k < 4; ++k) {
        m_lastRawN[k] = rawLoadN(k, seconds);
        float loadN = reading(k, m_lastRawN[k] - m_zeroOffsetN[k]);
        if (m_sensor.sensors[k].reversed())
            loadN = -loadN;
        inputs[k] = inUnit(loadN);
        if (k < active)
            sum += inputs[k];
    }
    m_lastSum = sum + m_sensor.sumOffset - m_tare;
    v.Input1 = inputs[0];
    v.Input2 = inputs[1];
    v.Input3 = inputs[2];
    v.Input4 = inputs[3];
    v.Sum = m_lastSum;
    m_min = m_min ? std::min(*m_min, v.Sum) : v.Sum;
    m_max = m_max ? std::max(*m_max, v.Sum) : v.Sum;
    v.Min = *m_min;
    v.Max = *m_max;
    // Digital inputs toggle slowly, as switches would.
    v.Inputs = quint8((int(seconds / 3.0) % 2) | ((int(seconds / 5.0) % 2) << 1));
    v.Outputs = quint8((outputOn(m_io.outputs[0], v) ? 1 : 0) | (outputOn(m_io.outputs[1], v) ? 2 : 0));
    v.AnalogOut = m_forcedOutput ? *m_forcedOutput : analogOutput(v);
    return v;
}

namespace {
float sourceValue(quint8 source, const LiveValues &values)
{
    return source == 5 ? values.Sum : values.input(source);
}
} // namespace

bool SimulatedModule::outputOn(const OutputRule &rule, const LiveValues &values) const
{
    if (rule.source == 0 || rule.source > 5)
        return false;
    const float v = sourceValue(rule.source, values);
    auto compare = [v](quint8 comparison, float limit) {
        return comparison == 0 ? v < limit : v > limit;
    };
    bool holds = compare(rule.comparison1, rule.value1);
    if (rule.combination == 1)
        holds = holds && compare(rule.comparison2, rule.value2);
    else if (rule.combination == 2)
        holds = holds || compare(rule.comparison2, rule.value2);
    return rule.state == 1 ? holds : !holds;
}

float SimulatedModule::analogOutput(const LiveValues &values) const
{
    if (m_io.analogSource == 0 || m_io.analogSource > 5)
        return m_io.analogMode == 2 ? 4.0f : 0.0f;
    const float low = m_io.analogMode == 2 ? 4.0f : 0.0f;
    const float high = m_io.analogMode == 0 ? 10.0f : 20.0f;
    const float span = m_io.analogMax - m_io.analogMin;
    float fraction = span != 0.0f ? (sourceValue(m_io.analogSource, values) - m_io.analogMin) / span : 0.0f;
    fraction = std::clamp(fraction, 0.0f, 1.0f);
    if (m_io.analogReversed)
        fraction = 1.0f - fraction;
    return low + fraction * (high - low);
}
