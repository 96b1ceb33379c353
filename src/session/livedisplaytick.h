#pragma once

#include "livedisplay.h"

#include <QObject>
#include <QTimer>

class DeviceLink;
class DeviceProtocol;

// The display tick: every 50 ms it works out once what the live values look
// like and hands the result to every view that shows them (the Measurements
// page, the big display, the settings pages' value labels and output
// states). A new view connects to shown(). GUI thread only.
class LiveDisplayTick : public QObject
{
    Q_OBJECT
public:
    static constexpr int IntervalMs = 50;

    LiveDisplayTick(const DeviceLink &link, const DeviceProtocol &protocol, const DisplayState &state,
                    QObject *parent = nullptr);

    void start() { m_timer.start(); }
    void stop() { m_timer.stop(); }
    void tick();

signals:
    void shown(const LiveDisplay &display);

private:
    const DeviceLink &m_link;
    const DeviceProtocol &m_protocol;
    const DisplayState &m_state;
    QTimer m_timer;
};
