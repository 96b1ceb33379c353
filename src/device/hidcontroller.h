#pragma once

#include "hidbackend.h"
#include "hiddevice.h"

#include <QObject>

#include <functional>
#include <memory>
#include <vector>

// Keeps the list of present HID devices, hands them out (check-out) and takes
// them back (check-in), and raises deviceChange() when a device was added or
// removed. Once the event loop runs it raises one forced deviceChange(), so
// the first search for the module happens after start-up. GUI thread only.
class HidController : public QObject
{
    Q_OBJECT
public:
    // Called for every plugged device in list order until it returns false.
    using EnumerateHandler = std::function<bool(const HidDeviceInfo &info, int index)>;

    explicit HidController(HidBackend *backend, QObject *parent = nullptr);

    void enumerate(const EnumerateHandler &handler);
    // The device at `index`, opened for reading and writing when possible
    // (not when it declares reports too long to be this module's), else
    // carrying the backend's reason; nullptr when the index is out of range
    // or the device is checked out.
    std::unique_ptr<HidDevice> checkOut(int index);
    // Release: stops the read thread, closes the device, and drops its entry
    // when the device is no longer plugged in.
    void checkIn(std::unique_ptr<HidDevice> device);

    int count() const { return int(m_entries.size()); }

    // The nodes at these paths went away, whatever the next listing holds:
    // their entries are dropped (once checked in) and the list is built
    // again, so a node of the same name that is back counts as new.
    void nodesRemoved(const QStringList &paths);

signals:
    void deviceChange();

private:
    struct Entry;
    void refresh(bool forced);
    bool forget(const QStringList &paths);
    // Marks the entries for which `gone` holds as unplugged; drops those not
    // checked out. True when any was.
    bool drop(const std::function<bool(const Entry &)> &gone);

    struct Entry {
        HidDeviceInfo info;
        bool pluggedIn = true;
        HidDevice *checkedOut = nullptr; // owned by whoever checked it out
    };

    HidBackend *m_backend;
    std::vector<Entry> m_entries;
    bool m_listing = false;
};
