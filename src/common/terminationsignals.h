#pragma once

#include <QObject>

#include <chrono>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (shutdown, logout, Ctrl+C in a terminal)
// arrive here as a signal on the thread of the event loop, so the program
// can close as a close request does (or a recording end with its file
// closed) instead of ending at once. The handler itself only
// writes a byte to a socket pair, the one thing a signal handler may do.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override; // the signals end the program at once again

    // Once a signal is being handled: ends the process with `status` when
    // it has not ended by itself within `deadline`, so a logout never waits
    // on whatever holds the shutdown up.
    static void endProcessWithin(std::chrono::milliseconds deadline, int status);

signals:
    void received(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};
