#pragma once

#include "recordline.h"

#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <chrono>

// The recording file, only ever appended to. It opens with the first record
// after recording is switched on, not at the switch, so switching on and off
// between records creates nothing; it closes when recording is switched off
// and when this object ends with the program. Every switch-on puts a header
// line before the next record, whose number is 0.
//
// Lines are buffered, but reach the disk at least once a `flushInterval`:
// each write checks the time, and flush() serves the page's timer for the
// moments without frames. Text is UTF-8 (the locale's encoding on Debian).
// GUI thread only.
class RecordFile
{
public:
    explicit RecordFile(std::chrono::milliseconds flushInterval = std::chrono::seconds(1));
    ~RecordFile();
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    // Checkbox_AcquistionClick, ticked: a header line is pending.
    void switchOn();
    // Checkbox_AcquistionClick, cleared: the file is closed, its lines on
    // disk; false when they could not be written (errorString() says why).
    bool switchOff();
    bool isOn() const { return m_on; }
    bool isOpen() const { return m_file.isOpen(); }

    // One record, built now (with the header first when one is pending), for
    // a frame that RecordingStep found due. `path` is Edit_FileName's text,
    // taken when the file opens. Does nothing while recording is off. False
    // when the file cannot be opened or written: recording is then off, the
    // file closed, and errorString() names the file and the reason.
    bool appendRecord(const QString &path, const RecordColumns &columns, const LiveValues &values,
                      const QDateTime &now, int decimals, const QLocale &locale = QLocale());

    // Puts buffered lines on disk; false as appendRecord on failure.
    bool flush();

    // "<file>: <the system's reason>" of the last failure.
    QString errorString() const { return m_error; }
    // Number of the last record written (RecordNumber).
    qint32 recordNumber() const { return m_recordNumber; }

private:
    bool fail();

    QFile m_file;
    QElapsedTimer m_sinceFlush;
    std::chrono::milliseconds m_flushInterval;
    QString m_error;
    qint32 m_recordNumber = 0;
    bool m_on = false;
    bool m_headerPending = false;
};
