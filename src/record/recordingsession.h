#pragma once

#include "displaystate.h"
#include "recordfile.h"
#include "recordline.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

// What a record is made of and where it goes. The recording page reads it
// from its controls at every frame; `--record` fixes it at the start.
struct RecordingChoices {
    QString path; // taken when the file opens, at the first record after a switch-on
    RecordColumns columns{};
    int rateItem = 0; // ComboBox_AcquistionTime's item
    int decimals = DefaultDecimalPlaces; // Cb_Decp's item index
};

// One record as the session made it, for whatever else takes the records
// (the broker of --publish): the file's number, time and values.
struct MadeRecord {
    qint32 number = 0;
    QDateTime time;
    RecordColumns columns{};
    LiveValues values;
    int decimals = DefaultDecimalPlaces;
};

// One recording as the recording page and `--record` both run it: a
// recording step per stored measurement frame, the due records appended to
// the file, and the lines on disk at least once a second, frames or not.
// A file that cannot be opened or written switches recording off and is
// told once, through failed(). The file stays open while frames stop and
// start again (an unplugged module), and the numbering goes on.
// GUI thread only (the thread that runs the event loop).
class RecordingSession : public QObject
{
    Q_OBJECT
public:
    static constexpr int FlushIntervalMs = 1000;

    explicit RecordingSession(QObject *parent = nullptr);

    // Checkbox_Acquistion ticked: frames count from zero, a header is pending.
    void switchOn();
    // Records numbered as a file would number them, made only for
    // recordMade(): no file is opened.
    void switchOnWithoutFile();
    // Cleared: the file closed with its lines on disk; failed() when they
    // could not be written.
    void switchOff();
    bool isOn() const { return m_withoutFile || m_file.isOn(); }

    // One stored measurement frame (DeviceProtocol::frameStored); nothing
    // while recording is off.
    void frameStored(const RecordingChoices &choices, const LiveValues &values);

    // Records appended since the last switch-on.
    qint64 recordsWritten() const { return m_recordsWritten; }

signals:
    // "<file>: <the system's reason>"; recording is off by now.
    void failed(const QString &errorString);
    // Each record made, after the file took it.
    void recordMade(const MadeRecord &record);

private:
    void fail();

    RecordingStep m_step;
    RecordFile m_file;
    QTimer m_flushTimer; // lines reach the disk within a second without frames too
    qint64 m_recordsWritten = 0;
    bool m_withoutFile = false;
};
