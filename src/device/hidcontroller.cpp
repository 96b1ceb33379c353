#include "hidcontroller.h"

#include <QMetaObject>

#include <algorithm>

HidController::HidController(HidBackend *backend, QObject *parent)
    : QObject(parent), m_backend(backend)
{
    connect(m_backend, &HidBackend::devicesChanged, this, &HidController::nodesRemoved);
    QMetaObject::invokeMethod(this, [this] { refresh(true); }, Qt::QueuedConnection);
}

void HidController::nodesRemoved(const QStringList &paths)
{
    refresh(forget(paths));
}

bool HidController::forget(const QStringList &paths)
{
    return drop([&](const Entry &entry) { return entry.pluggedIn && paths.contains(entry.info.path); });
}

bool HidController::drop(const std::function<bool(const Entry &)> &gone)
{
    bool changed = false;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (!gone(*it)) {
            ++it;
            continue;
        }
        changed = true;
        if (it->checkedOut) {
            it->pluggedIn = false;
            it->checkedOut->setPluggedIn(false);
            ++it;
        } else {
            it = m_entries.erase(it);
        }
    }
    return changed;
}

void HidController::refresh(bool forced)
{
    if (m_listing) // a notification during a listing is ignored
        return;
    m_listing = true;
    const std::vector<HidDeviceInfo> present = m_backend->enumerate();
    bool changed = drop([&](const Entry &entry) {
        return std::none_of(present.begin(), present.end(),
                            [&](const HidDeviceInfo &info) { return info.path == entry.info.path; });
    });
    for (const HidDeviceInfo &info : present) {
        bool known = std::any_of(m_entries.begin(), m_entries.end(), [&](const Entry &entry) {
            return entry.pluggedIn && entry.info.path == info.path;
        });
        if (!known) {
            m_entries.push_back({info, true, nullptr});
            changed = true;
        }
    }
    m_listing = false;
    if (changed || forced)
        emit deviceChange();
}

void HidController::enumerate(const EnumerateHandler &handler)
{
    for (int i = 0; i < int(m_entries.size()); ++i) {
        if (!m_entries[std::size_t(i)].pluggedIn)
            continue;
        if (!handler(m_entries[std::size_t(i)].info, i))
            break;
    }
}

std::unique_ptr<HidDevice> HidController::checkOut(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    Entry &entry = m_entries[std::size_t(index)];
    if (entry.checkedOut || !entry.pluggedIn)
        return nullptr;
    // One handle for the read thread, one for the writer: never two threads
    // inside the HID library on one handle.
    std::unique_ptr<HidHandle> reader = m_backend->open(entry.info.path);
    std::unique_ptr<HidHandle> writer = reader ? m_backend->open(entry.info.path) : nullptr;
    const HidOpenProblem problem =
        reader && writer ? HidOpenProblem{} : m_backend->openProblem(entry.info.path);
    if (reader && reader->reportLengths().tooLong)
        reader.reset();
    auto device = std::make_unique<HidDevice>(entry.info, std::move(reader), std::move(writer));
    device->setOpenProblem(problem);
    entry.checkedOut = device.get();
    return device;
}

void HidController::checkIn(std::unique_ptr<HidDevice> device)
{
    if (!device)
        return;
    device->setReportHandler(nullptr);
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const Entry &entry) { return entry.checkedOut == device.get(); });
    device.reset();
    if (it == m_entries.end())
        return;
    it->checkedOut = nullptr;
    if (!it->pluggedIn)
        m_entries.erase(it);
}
