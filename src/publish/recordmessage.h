#pragma once

#include "recordingsession.h"

#include <QByteArray>
#include <QString>

#include <array>

// The JSON message of one record on PREFIX/values, from the record the file
// gets: {"number":12,"time":"2026-12-11T13:40:07.045Z","unit":"kN",
// "sum":12.50,"sensor1":3.10}. Values keep the chosen decimal places in
// C notation (a point, whatever the locale); one the file writes as "---"
// is null. Only the ticked value columns appear, named as --columns names
// them; the number and the time are always there. `unit` empty: null (the
// module has not told it yet).
// The value's names by RecordColumn: the names --columns takes.
inline constexpr std::array<const char *, RecordColumnCount> RecordMessageNames{
    "date", "time", "number", "sum", "sensor1", "sensor2", "sensor3", "sensor4"};

QByteArray recordMessage(const MadeRecord &record, const QString &unit);

// The unit's name for a sensor settings unit index (" N" -> "N"); empty for
// an index outside the list.
QString unitName(int unitIndex);

// The retained PREFIX/status message: whether the program is online, the
// module's connection, identification and firmware version (null until
// the module told them).
struct PublisherStatus {
    bool online = true;
    bool moduleConnected = false;
    QByteArray identification; // 8-bit characters, as the module sends it
    float firmwareVersion = 0.0f; // 0: not yet known
};
QByteArray statusMessage(const PublisherStatus &status);
