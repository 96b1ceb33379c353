#pragma once

#include "modulesession.h"
#include "recordingsession.h"

#include <QObject>

class HidBackend;

// `--record` without a window: a module session over a backend, and a
// RecordingSession fed every stored frame with fixed choices. The
// link finds the module again after an unplug, so frames stop and start
// again while the file stays open and the numbering goes on.
// Thread of the event loop only.
class HeadlessRecorder : public QObject
{
    Q_OBJECT
public:
    // `device` names the module (ModuleChoice::wanted), strictly; empty:
    // the first module no other program holds.
    HeadlessRecorder(HidBackend &backend, const RecordingChoices &choices,
                     const QString &device = {}, QObject *parent = nullptr);
    ~HeadlessRecorder() override; // polling and the read threads stop first

    // Finds out whether the file opens for appending, then switches
    // recording on (the device search runs once the event loop does). False
    // when the file does not open; errorString() says why. An empty path
    // records without a file: the records only go to recordMade().
    bool start();
    // Recording off: the file closed with its lines on disk. False when they
    // could not be written, or when recording failed before.
    bool finish();

    const RecordingChoices &choices() const { return m_choices; }
    bool isConnected() const { return m_module->isConnected(); }
    const HidOpenProblem &accessProblem() const { return m_module->link().accessProblem(); }
    // The module's state for the progress line: connected, waiting, or why not.
    QString connectionText() const;
    // "the module at <node> is in use by PID <n> (<program>)".
    static QString inUseText(const HidOpenProblem &problem);
    qint64 recordsWritten() const { return m_session.recordsWritten(); }
    // "<file>: <the system's reason>" of the failure, if there was one.
    QString errorString() const { return m_error; }

    // For what else takes the records and the module's identity (--publish).
    const RecordingSession &recording() const { return m_session; }
    const ModuleSession &module() const { return *m_module; }

signals:
    // The file could not be opened or written while recording; it is off.
    void failed(const QString &errorString);
    // After a search for the module, when accessProblem() changed.
    void accessProblemChanged();

private:
    void onFailed(const QString &errorString);

    RecordingChoices m_choices;
    std::unique_ptr<ModuleSession> m_module;
    RecordingSession m_session;
    QString m_error;
};
