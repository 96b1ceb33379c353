#include "recordmessage.h"

#include "valueformat.h"

#include <QLocale>

#include <array>
#include <cmath>

namespace {

constexpr std::array<const char *, 5> UnitNames{"N", "kN", "g", "kg", "F"};

void appendString(QByteArray &json, const QByteArray &utf8)
{
    json += '"';
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (u < 0x20) {
            json += "\\u00";
            json += "0123456789abcdef"[u >> 4];
            json += "0123456789abcdef"[u & 0xf];
        } else {
            json += c;
        }
    }
    json += '"';
}

void appendValue(QByteArray &json, float value, int decimals)
{
    if (!std::isfinite(value)) {
        json += "null";
        return;
    }
    // The file's fixed format may switch to exponent notation for huge
    // values; that is valid JSON as well.
    json += formatFixed(double(value), decimals, QLocale::c()).toLatin1();
}

} // namespace

QString unitName(int unitIndex)
{
    return unitIndex >= 0 && unitIndex < int(UnitNames.size())
               ? QString::fromLatin1(UnitNames[std::size_t(unitIndex)])
               : QString();
}

QByteArray recordMessage(const MadeRecord &record, const QString &unit)
{
    QByteArray json;
    json.reserve(160);
    json += "{\"number\":";
    json += QByteArray::number(record.number);
    json += ",\"time\":";
    if (record.time.isValid())
        appendString(json, record.time.toUTC().toString(Qt::ISODateWithMs).toLatin1());
    else
        json += "null";
    json += ",\"unit\":";
    if (unit.isEmpty())
        json += "null";
    else
        appendString(json, unit.toUtf8());
    for (int c = int(RecordColumn::Sum); c < RecordColumnCount; ++c) {
        if (!record.columns[std::size_t(c)])
            continue;
        json += ",\"";
        json += RecordMessageNames[std::size_t(c)];
        json += "\":";
        const float value = c == int(RecordColumn::Sum)
                                ? record.values.Sum
                                : record.values.input(c - int(RecordColumn::Sensor1) + 1);
        appendValue(json, value, record.decimals);
    }
    json += '}';
    return json;
}

QByteArray statusMessage(const PublisherStatus &status)
{
    QByteArray json = "{\"state\":";
    json += status.online ? "\"online\"" : "\"offline\"";
    json += ",\"module\":";
    json += status.moduleConnected ? "\"connected\"" : "\"disconnected\"";
    json += ",\"identification\":";
    if (status.identification.isEmpty())
        json += "null";
    else
        appendString(json, QString::fromLatin1(status.identification).toUtf8());
    json += ",\"firmware\":";
    if (status.firmwareVersion > 0.0f)
        appendString(json, QByteArray::number(double(status.firmwareVersion), 'f', 2));
    else
        json += "null";
    json += '}';
    return json;
}
