#pragma once

#include "devicelink.h"
#include "deviceprotocol.h"
#include "recordingsession.h"

#include <QObject>

class HidBackend;

// `--record` without a window: the device link and protocol over a backend,
// and a RecordingSession fed every stored frame with fixed choices. The
// link finds the module again after an unplug, so frames stop and start
// again while the file stays open and the numbering goes on.
// Thread of the event loop only.
class HeadlessRecorder : public QObject
{
    Q_OBJECT
public:
    HeadlessRecorder(HidBackend &backend, const RecordingChoices &choices,
                     QObject *parent = nullptr);
    ~HeadlessRecorder() override; // polling and the read threads stop first

    // Finds out whether the file opens for appending, then switches
    // recording on (the device search runs once the event loop does). False
    // when the file does not open; errorString() says why.
    bool start();
    // Recording off: the file closed with its lines on disk. False when they
    // could not be written, or when recording failed before.
    bool finish();

    const RecordingChoices &choices() const { return m_choices; }
    bool isConnected() const { return m_link.isConnected(); }
    const HidOpenProblem &accessProblem() const { return m_link.accessProblem(); }
    qint64 recordsWritten() const { return m_session.recordsWritten(); }
    // "<file>: <the system's reason>" of the failure, if there was one.
    QString errorString() const { return m_error; }

signals:
    // The file could not be opened or written while recording; it is off.
    void failed(const QString &errorString);
    // After a search for the module, when accessProblem() changed.
    void accessProblemChanged();

private:
    void onFailed(const QString &errorString);

    RecordingChoices m_choices;
    DeviceLink m_link;
    DeviceProtocol m_protocol;
    RecordingSession m_session;
    QString m_error;
};
