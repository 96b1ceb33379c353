#include "hidcontroller.h"

#include <QMetaObject>

#include <algorithm>

HidController::HidController(HidBackend *backend, QObject *parent)
    : QObject(parent), m_backend(backend)
{
    connect(m_backend, &HidBackend::devicesChanged, this, [this] { refresh(false); });
    QMetaObject::invokeMethod(this, [this] { refresh(true); }, Qt::QueuedConnection);
}

void HidController::refresh(bool forced)
{
    if (m_listing) // a notification during a listing is ignored
        return;
    m_listing = true;
    const std::vector<HidDeviceInfo> present = m_backend->enumerate();
    bool changed = false;

    auto isPresent = [&](const QString &path) {
        return std::any_of(present.begin(), present.end(),
                           [&](const HidDeviceInfo &info) { return info.path == path; });
    };
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (isPresent(it->info.path)) {
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
    auto device = std::make_unique<HidDevice>(entry.info, m_backend->open(entry.info.path));
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
