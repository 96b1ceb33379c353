#pragma once

#include "livevalues.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <array>

// The lines of the recording file. Every field, the last one too, is
// followed by ";"; lines end in CR LF.

// The columns in the fixed order of every line.
enum class RecordColumn { Date, Time, Number, Sum, Sensor1, Sensor2, Sensor3, Sensor4 };
inline constexpr int RecordColumnCount = 8;

// Header names, in column order. They are file data, the same in every language.
inline constexpr std::array<const char *, RecordColumnCount> RecordHeaderNames{
    "Date", "Time", "No.", "Sum", "Canal 1", "Canal 2", "Canal 3", "Canal 4"};

// Which columns are ticked, indexed by RecordColumn.
using RecordColumns = std::array<bool, RecordColumnCount>;

inline const QString RecordLineEnd = QStringLiteral("\r\n");
inline const QString UnmadeField = QStringLiteral("---");

// The header names of the ticked columns.
QString buildRecordHeader(const RecordColumns &columns);

// One record: date "7-3-2024" and time "9:5:7:45" (no leading zeros, the
// last part milliseconds) from `now`, the record number, the sum and the
// inputs in the fixed format with `decimals` places and the locale's
// separator. A field that cannot be made (an invalid date or time, a value
// that is not finite) is written as "---".
QString BuildRecordLine(const RecordColumns &columns, const LiveValues &values, qint32 recordNumber,
                        const QDateTime &now, int decimals, const QLocale &locale = QLocale());

// ComboBox_AcquistionTime: the count of frames a record waits for, by item.
inline constexpr std::array<quint32, 5> RecordRateThresholds{0, 8, 80, 480, 4800};
// The items' texts, the same in every language.
inline constexpr std::array<const char *, RecordRateThresholds.size()> RecordRateItems{
    "~ 80 / s.", "~ 10 / s.", "~ 1 / s.", "~ 10 / min.", "~ 1 / min"};

// Counts measurement frames while recording is on (RecordFrameCount): a
// record is due every frame, or every 8th, 80th, 480th or 4800th frame. A
// rate item outside the list (an out-of-range stored index) counts as item
// 0, the stored default.
class RecordingStep
{
public:
    explicit RecordingStep(int rateItem = 0) { setRateItem(rateItem); }

    // The item a rate item counts as.
    static int listedRateItem(int rateItem);

    // The rate may change at any frame; the count goes on.
    void setRateItem(int rateItem);
    // One frame while recording is on: true when a record is due.
    bool frameArrived();
    // Recording off: counting starts again.
    void reset() { m_count = 0; }
    quint32 frameCount() const { return m_count; }

private:
    quint32 m_threshold = 0;
    quint32 m_count = 0;
};

// The dialog's choices, in Qt's filter form.
inline const QString RecordFileFilterCsv = QStringLiteral("CSV (*.csv)");
inline const QString RecordFileFilterTxt = QStringLiteral("TXT (*.txt)");
inline const QString RecordFileFilters = QStringLiteral("CSV (*.csv);;TXT (*.txt)");

// A chosen name ending in ".csv" or ".txt", in any letter case, is kept;
// any other gets the extension of the filter chosen in the dialog.
QString recordFileNameFor(const QString &chosenName, const QString &chosenFilter);
