#pragma once

#include "hidbackend.h"
#include "hiddevice.h"
#include "modulelock.h"

#include <QObject>
#include <QTimer>

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

    using DevicePredicate = std::function<bool(const HidDeviceInfo &info)>;

    explicit HidController(HidBackend *backend, QObject *parent = nullptr);

    // The devices one program at a time may use (the module): check-out
    // takes their node's ModuleLock first, and one that another program
    // holds is not opened, its open problem naming the holder. While one is
    // held elsewhere, the controller looks once a second whether it came
    // free and then raises deviceChange().
    void setExclusive(DevicePredicate exclusive) { m_exclusive = std::move(exclusive); }

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
    // Before the deviceChange() that follows: these nodes went away, so
    // what was known of the device at each is void.
    void nodesForgotten(const QStringList &paths);

private:
    struct Entry;
    void refresh(bool forced);
    bool forget(const QStringList &paths);
    // Marks the entries for which `gone` holds as unplugged; drops those not
    // checked out. True when any was.
    bool drop(const std::function<bool(const Entry &)> &gone);
    // Why the entry's device may not be opened by this program, else none;
    // takes or keeps the entry's lock.
    HidOpenProblem lockFor(Entry &entry);
    void releaseIdleLocks();
    void checkHeldElsewhere();

    struct Entry {
        HidDeviceInfo info;
        bool pluggedIn = true;
        HidDevice *checkedOut = nullptr; // owned by whoever checked it out
        // Kept from check-in until the event loop turns, so that checking
        // the device out again at once (a new listing) leaves no gap for
        // another program to take the module.
        std::shared_ptr<ModuleLock> lock;
        bool heldElsewhere = false; // at the last check-out
    };

    HidBackend *m_backend;
    DevicePredicate m_exclusive;
    std::vector<Entry> m_entries;
    bool m_listing = false;
    bool m_releasePending = false;
    QTimer m_heldCheck;
};
