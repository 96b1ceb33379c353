#pragma once

#include "hidbackend.h"

#include <QSet>

class QSocketNotifier;
struct udev;
struct udev_monitor;

// Real HID devices through hidapi (hidraw), with a libudev monitor on the
// hidraw subsystem for arrival and removal.
class HidapiBackend : public HidBackend
{
    Q_OBJECT
public:
    explicit HidapiBackend(QObject *parent = nullptr);
    ~HidapiBackend() override;

    std::vector<HidDeviceInfo> enumerate() override;
    std::unique_ptr<HidHandle> open(const QString &path) override;
    HidOpenProblem openProblem(const QString &path) override;

private:
    void startMonitor();
    void onMonitorReadable();

    QSet<QString> m_listedPaths; // hidapi 0.13 may crash on paths it did not list
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
};
