#include "modulesettingsfile.h"

#include "protocolcodes.h"
#include "settingrules.h"

#include <QHash>
#include <QLocale>
#include <QStringList>

#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using namespace SettingRules;

const QByteArray FormatName = "KLV57 settings";
const QByteArray FormatLine = FormatName + " 1";
constexpr int RecordSize = 63;

// How a field is written, read and checked.
enum class Kind {
    Capacity,    // whole newtons, the capacity rule
    RatedOutput, // mV/V, 4 decimals and its bounds
    Value,       // the chosen decimal places, +-ValueLimit
    Factor,      // reported only: any number
    Item,        // a name of `items`, or the item index
    Number,      // a whole number from `first`, `count` of them
};

struct Field {
    QString key;
    Kind kind;
    std::function<double(const ModuleSettings &)> get; // as the page reads the record
    QStringList items = {};
    int first = 0;
    int count = 0;
};

const QStringList SourceItems{"inactive", "input1", "input2", "input3", "input4", "sum"};

QString keyOf(const char *prefix, int n, const char *name)
{
    return QString::fromLatin1(prefix) + QString::number(n) + QLatin1Char('.') + QLatin1String(name);
}

// The named fields, in file order.
const std::vector<Field> &sensorFields()
{
    static const std::vector<Field> fields = [] {
        std::vector<Field> f;
        for (int k = 0; k < 4; ++k) {
            f.push_back({keyOf("sensor", k + 1, "rated_capacity_N"), Kind::Capacity,
                         [k](const ModuleSettings &s) { return double(s.sensors.sensors[k].ratedCapacityN); }});
            f.push_back({keyOf("sensor", k + 1, "rated_output_mV/V"), Kind::RatedOutput,
                         [k](const ModuleSettings &s) { return double(s.sensors.sensors[k].ratedOutputMvPerV); }});
            f.push_back({keyOf("sensor", k + 1, "sign"), Kind::Item,
                         [k](const ModuleSettings &s) { return s.sensors.sensors[k].reversed() ? 1.0 : 0.0; },
                         {"normal", "reversed"}});
        }
        f.push_back({"active_inputs", Kind::Item,
                     [](const ModuleSettings &s) { return double(s.sensors.activeInputsIndex); },
                     {"1", "1+2", "1+2+3", "1+2+3+4"}});
        f.push_back({"unit", Kind::Item, [](const ModuleSettings &s) { return double(s.sensors.unitIndex); },
                     {"N", "kN", "g", "kg", "F"}});
        f.push_back({"sum_offset", Kind::Value, [](const ModuleSettings &s) { return double(s.sensors.sumOffset); }});
        f.push_back({"speed", Kind::Item, [](const ModuleSettings &s) { return s.sensors.speed != 0 ? 1.0 : 0.0; },
                     {"slow", "fast"}});
        f.push_back({"filter_level", Kind::Number,
                     [](const ModuleSettings &s) { return double(s.sensors.filterLevel); }, {}, 0, FilterLevels});
        return f;
    }();
    return fields;
}

const std::vector<Field> &ioFields()
{
    static const std::vector<Field> fields = [] {
        std::vector<Field> f;
        f.push_back({"analog.mode", Kind::Item, [](const ModuleSettings &s) { return double(s.io.analogMode); },
                     {"0-10V", "0-20mA", "4-20mA"}});
        f.push_back({"analog.source", Kind::Item,
                     [](const ModuleSettings &s) { return double(s.io.analogSource); }, SourceItems});
        f.push_back({"analog.reversed", Kind::Item,
                     [](const ModuleSettings &s) { return s.io.analogReversed != 0 ? 1.0 : 0.0; }, {"no", "yes"}});
        f.push_back({"analog.value_for_lowest_output", Kind::Value,
                     [](const ModuleSettings &s) { return double(s.io.analogMin); }});
        f.push_back({"analog.value_for_highest_output", Kind::Value,
                     [](const ModuleSettings &s) { return double(s.io.analogMax); }});
        for (int n = 0; n < 2; ++n) {
            auto rule = [n](const ModuleSettings &s) -> const OutputRule & { return s.io.outputs[n]; };
            f.push_back({keyOf("out", n + 1, "source"), Kind::Item,
                         [rule](const ModuleSettings &s) { return double(rule(s).source); }, SourceItems});
            f.push_back({keyOf("out", n + 1, "condition1"), Kind::Item,
                         [rule](const ModuleSettings &s) { return double(rule(s).comparison1); }, {"<", ">"}});
            f.push_back({keyOf("out", n + 1, "value1"), Kind::Value,
                         [rule](const ModuleSettings &s) { return double(rule(s).value1); }});
            f.push_back({keyOf("out", n + 1, "combination"), Kind::Item,
                         [rule](const ModuleSettings &s) { return double(rule(s).combination); },
                         {"---", "and", "or"}});
            f.push_back({keyOf("out", n + 1, "condition2"), Kind::Item,
                         [rule](const ModuleSettings &s) { return double(rule(s).comparison2); }, {"<", ">"}});
            f.push_back({keyOf("out", n + 1, "value2"), Kind::Value,
                         [rule](const ModuleSettings &s) { return double(rule(s).value2); }});
            f.push_back({keyOf("out", n + 1, "state"), Kind::Item,
                         [rule](const ModuleSettings &s) { return double(rule(s).state); },
                         {"inactive", "active"}});
        }
        f.push_back({"modbus.baud_rate", Kind::Item, [](const ModuleSettings &s) { return double(s.io.modbusBaud); },
                     {"9600", "19200", "38400", "57600", "115200"}});
        f.push_back({"modbus.parity", Kind::Item, [](const ModuleSettings &s) { return double(s.io.parity); },
                     {"none", "even", "odd"}});
        f.push_back({"modbus.address", Kind::Number,
                     [](const ModuleSettings &s) { return double(s.io.modbusAddress); }, {}, 1, ModbusAddresses});
        f.push_back({"analog_calibration.factor_0-10V", Kind::Factor,
                     [](const ModuleSettings &s) { return double(s.io.calibrationFactorVoltage); }});
        f.push_back({"analog_calibration.factor_current", Kind::Factor,
                     [](const ModuleSettings &s) { return double(s.io.calibrationFactorCurrent); }});
        return f;
    }();
    return fields;
}

const QString IdentificationKey = QStringLiteral("identification");
const QString VersionKey = QStringLiteral("firmware_version");
const QString OutputKey = QStringLiteral("analog_output");
const QStringList OutputItems{"voltage", "current"};
const QString FormatKey = QStringLiteral("format");

struct RawRecord {
    QString key;
    quint8 code;
};
const RawRecord RawDeviceInfo{QStringLiteral("raw.device_info"), Code::DeviceInfo};
const RawRecord RawSensors{QStringLiteral("raw.sensor_settings"), Code::ReadSensorSettings};
const RawRecord RawIo{QStringLiteral("raw.io_settings"), Code::ReadIoSettings};

// The shortest text that reads back to the same single-precision value.
QByteArray floatText(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, int(result.ptr - buffer));
}

std::optional<float> parseFloat(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    float value = 0.0f;
    const char *end = bytes.constData() + bytes.size();
    const auto result = std::from_chars(bytes.constData(), end, value);
    if (bytes.isEmpty() || result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}

// Control characters, the backslash and blanks at either end as \xNN, so
// that one line stays one and keeps its ends.
QByteArray escapeIdentification(const QByteArray &text)
{
    QByteArray out;
    for (int i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = quint8(c);
        const bool endBlank = c == ' ' && (i == 0 || i == text.size() - 1);
        if (byte < 0x20 || byte == 0x7F || c == '\\' || endBlank)
            out += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

// The module's identity as the file names it, in file order. Reading
// compares these texts with the raw device information.
QList<std::pair<QString, QString>> identityLines(const DeviceInfoReport &info)
{
    return {{IdentificationKey, QString::fromLatin1(escapeIdentification(info.identification))},
            {VersionKey, QString::number(double(info.version), 'f', 2)},
            {OutputKey, OutputItems[info.AnalogOutVariant == 0 ? 0 : 1]}};
}

QByteArray valueText(const Field &field, double value)
{
    switch (field.kind) {
    case Kind::Capacity:
    case Kind::Number:
        return QByteArray::number(qint64(value));
    case Kind::RatedOutput:
    case Kind::Value:
    case Kind::Factor:
        return floatText(float(value));
    case Kind::Item: {
        const int index = int(value);
        return index < field.items.size() ? field.items[index].toUtf8() : QByteArray::number(index);
    }
    }
    return {};
}

using ModuleSettingsFile::Problem;
using Why = ModuleSettingsFile::Problem::Code;

Problem outsideRange(const QString &key, const QString &text, const QString &min, const QString &max)
{
    return {Why::OutsideRange, {key, text, min, max}};
}

QString boundText(float bound)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, bound, std::chars_format::fixed);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

// Reads one named field's text, checked by its page's rule. The value, or
// the problem.
struct FieldValue {
    double value = 0.0;
    Problem problem;
};

FieldValue parseField(const Field &field, const QString &text, int decimals)
{
    switch (field.kind) {
    case Kind::Capacity:
    case Kind::Number: {
        bool ok = false;
        const qint64 number = text.toLongLong(&ok);
        if (!ok)
            return {0, {Why::NotAWholeNumber, {field.key, text}}};
        const double min = field.kind == Kind::Capacity ? MinCapacityN : field.first;
        const double max = field.kind == Kind::Capacity ? MaxCapacityN : field.first + field.count - 1;
        if (number < min || number > max)
            return {0, outsideRange(field.key, text, QString::number(qint64(min)), QString::number(qint64(max)))};
        return {double(number), {}};
    }
    case Kind::RatedOutput:
    case Kind::Value:
    case Kind::Factor: {
        const std::optional<float> value = parseFloat(text);
        if (!value)
            return {0, {Why::NotANumber, {field.key, text}}};
        if (field.kind == Kind::Factor)
            return {double(*value), {}};
        const bool rated = field.kind == Kind::RatedOutput;
        const int shownDecimals = rated ? RatedOutputDecimals : decimals;
        const float min = rated ? MinRatedOutput : -ValueLimit;
        const float max = rated ? MaxRatedOutput : ValueLimit;
        if (!checkShownValue(*value, shownDecimals, min, max).ok)
            return {0, outsideRange(field.key, text, boundText(min), boundText(max))};
        return {double(*value), {}};
    }
    case Kind::Item: {
        for (int i = 0; i < field.items.size(); ++i)
            if (text.compare(field.items[i], Qt::CaseInsensitive) == 0)
                return {double(i), {}};
        return {0, {Why::NoneOf, {field.key, text, field.items.join(QStringLiteral(", "))}}};
    }
    }
    return {};
}

// The same value both ways; not-a-number agrees with itself.
bool agrees(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

Problem missing(const QString &key)
{
    return {Why::FieldMissing, {key}};
}

Problem disagrees(const QString &key)
{
    return {Why::FieldDisagrees, {key}};
}

} // namespace

namespace ModuleSettingsFile {

QByteArray write(const ModuleSettings &s, const QDateTime &savedAt)
{
    QByteArray out;
    auto line = [&out](const QString &key, const QByteArray &value) {
        out += key.toUtf8() + " = " + value + "\n";
    };
    auto fields = [&](const std::vector<Field> &list) {
        for (const Field &field : list)
            line(field.key, valueText(field, field.get(s)));
    };
    out += "# KLV57 module settings, read from the module on "
           + QLocale::c().toString(savedAt, QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() + ".\n"
           "# Loading fills the settings pages; nothing goes to the module until a\n"
           "# page's Save is pressed. The raw records must agree with the named fields.\n";
    line(FormatKey, FormatLine);

    out += "\n[module]\n";
    for (const auto &[key, text] : identityLines(s.info))
        line(key, text.toUtf8());

    out += "\n[sensor inputs]\n"
           "# sum_offset is in the unit above.\n";
    fields(sensorFields());

    out += "\n[outputs, RS485]\n"
           "# Output values are in the unit of the sensor inputs. The calibration\n"
           "# factors are the module's own and are not loaded.\n";
    fields(ioFields());

    out += "\n[raw records as reported, hexadecimal]\n";
    line(RawDeviceInfo.key, s.info.encode().toHex(' '));
    line(RawSensors.key, s.sensors.encode(Code::ReadSensorSettings).toHex(' '));
    line(RawIo.key, s.io.encodeReport().toHex(' '));
    return out;
}

ReadResult read(const QByteArray &bytes, int decimals)
{
    // name -> value. A line that is none is told after the format: a file
    // of another kind is named as such, not as damaged.
    QHash<QString, QString> values;
    Problem lineProblem;
    const QList<QByteArray> lines = bytes.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString text = QString::fromUtf8(lines[i]).trimmed();
        if (text.isEmpty() || text.startsWith(u'#') || (text.startsWith(u'[') && text.endsWith(u']')))
            continue;
        const int equals = text.indexOf(u'=');
        const QString key = text.left(equals).trimmed();
        if (equals <= 0 || values.contains(key)) {
            if (!lineProblem)
                lineProblem = equals <= 0 ? Problem{Why::BadLine, {QString::number(i + 1)}}
                                          : Problem{Why::FieldTwice, {key}};
            continue;
        }
        values.insert(key, text.mid(equals + 1).trimmed());
    }

    const QString format = values.value(FormatKey);
    if (!format.startsWith(QString::fromLatin1(FormatName)))
        return {std::nullopt, {Why::NotSettingsFile, {}}};
    if (format != QString::fromLatin1(FormatLine))
        return {std::nullopt, {Why::NewerFormat, {format}}};
    if (lineProblem)
        return {std::nullopt, lineProblem};

    // The raw records first: the named fields are checked against them.
    auto rawRecord = [&values](const RawRecord &raw, Problem &problem) -> QByteArray {
        const QByteArray hex = values.value(raw.key).toLatin1();
        const QByteArray record = QByteArray::fromHex(hex);
        const bool wellFormed = record.size() == RecordSize && quint8(record[0]) == raw.code &&
                                record.toHex(' ') == hex.toLower();
        if (!wellFormed && !problem)
            problem = values.contains(raw.key) ? Problem{Why::RecordUnreadable, {raw.key}} : missing(raw.key);
        return record;
    };
    Problem problem;
    ModuleSettings raw;
    raw.info = DeviceInfoReport::decode(rawRecord(RawDeviceInfo, problem));
    raw.sensors = TensSettings::decode(rawRecord(RawSensors, problem));
    raw.io = OtherSettings::decodeReport(rawRecord(RawIo, problem));

    QStringList known{FormatKey, RawDeviceInfo.key, RawSensors.key, RawIo.key};
    // The named fields in file order: the first problem is the one named.
    for (const auto &[key, text] : identityLines(raw.info)) {
        known << key;
        if (!problem && !values.contains(key))
            problem = missing(key);
        else if (!problem && values.value(key) != text)
            problem = disagrees(key);
    }
    for (const std::vector<Field> *list : {&sensorFields(), &ioFields()}) {
        for (const Field &field : *list) {
            known << field.key;
            if (problem)
                continue;
            if (!values.contains(field.key)) {
                problem = missing(field.key);
                continue;
            }
            const FieldValue parsed = parseField(field, values.value(field.key), decimals);
            if (parsed.problem)
                problem = parsed.problem;
            else if (!agrees(parsed.value, field.get(raw)))
                problem = disagrees(field.key);
        }
    }
    if (!problem) {
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            if (!known.contains(it.key()))
                return {std::nullopt, {Why::UnknownField, {it.key()}}};
    }
    if (problem)
        return {std::nullopt, problem};
    return {raw, {}};
}

Problem variantProblem(const DeviceInfoReport &file, quint8 moduleVariant)
{
    const bool fileVoltage = file.AnalogOutVariant == 0;
    if (fileVoltage == (moduleVariant == 0))
        return {};
    return {fileVoltage ? Why::FromVoltageModule : Why::FromCurrentModule, {}};
}

bool Problem::isDamage() const
{
    switch (code) {
    case Code::BadLine:
    case Code::FieldTwice:
    case Code::FieldMissing:
    case Code::RecordUnreadable:
    case Code::FieldDisagrees:
    case Code::UnknownField:
        return true;
    default:
        return false;
    }
}

} // namespace ModuleSettingsFile
