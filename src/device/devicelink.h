#pragma once

#include "hidbackend.h"
#include "hidcontroller.h"
#include "hiddevice.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <mutex>
#include <vector>

// The connection to the module: finds it among the HID devices by its
// product string "KLV57", rebuilds the connection at every device change,
// shows the connection state, and owns `Connected`, `CurrentDevice` and every
// report write. One mutex serialises every write (GUI and poll threads) and
// every device release, so no write goes through a device being released.
class DeviceLink : public QObject
{
    Q_OBJECT
public:
    static inline const QString ModuleProductString = QStringLiteral("KLV57");

    explicit DeviceLink(HidBackend *backend, QObject *parent = nullptr);
    ~DeviceLink() override;

    // GUI thread.
    void JvHidDeviceController1DeviceChange();
    bool JvHidDeviceController1Enumerate(const HidDeviceInfo &info, int index);
    void ShowConnected();
    void ShowNoConnection();
    void ShowDisconnected();
    // Releases every device and stops every read thread; for shutdown.
    void releaseAll();
    // The device list: one display name per enumerated device.
    QStringList deviceList() const;

    // Any thread.
    bool isConnected() const;
    // Writes one command report carrying `payload` to CurrentDevice, at the
    // device's output report length; nothing when not connected or when the
    // length is unknown. The outcome is not reported.
    void writeCommandReport(const QByteArray &payload);

signals:
    // ConnectionStatus text and colour (GUI thread).
    void connectionStatusChanged(const QString &text, bool active);
    // After "connected" is shown: the protocol asks for the device information.
    void connectedShown();
    // After "no connection" or "disconnected" is shown: polling stops.
    void connectionLostShown();
    // Every input report of an attached module, in arrival order (GUI thread).
    void deviceReport(quint8 reportId, const QByteArray &payload);

private:
    void setConnection(bool connected, HidDevice *current);

    struct ListEntry {
        QString text;
        std::unique_ptr<HidDevice> device; // null when the check-out failed
    };

    HidController m_controller;
    std::vector<ListEntry> m_list;

    mutable std::mutex m_writeMutex; // guards the two below and every write
    bool m_connected = false;
    HidDevice *m_currentDevice = nullptr;
};
