#include "hidcontroller.h"

#include <QMetaObject>

#include <algorithm>

namespace {
// How often a module held by another program is looked at again.
constexpr int HeldCheckMs = 1000;
} // namespace

HidController::HidController(HidBackend *backend, QObject *parent)
    : QObject(parent), m_backend(backend)
{
    connect(m_backend, &HidBackend::devicesChanged, this, &HidController::nodesRemoved);
    m_heldCheck.setInterval(HeldCheckMs);
    connect(&m_heldCheck, &QTimer::timeout, this, &HidController::checkHeldElsewhere);
    QMetaObject::invokeMethod(this, [this] { refresh(true); }, Qt::QueuedConnection);
}

void HidController::nodesRemoved(const QStringList &paths)
{
    if (!paths.isEmpty())
        emit nodesForgotten(paths);
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
            Entry entry;
            entry.info = info;
            m_entries.push_back(std::move(entry));
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
    HidOpenProblem problem = lockFor(entry);
    std::unique_ptr<HidHandle> reader, writer;
    if (problem.kind == HidOpenProblem::Kind::None) {
        // One handle for the read thread, one for the writer: never two
        // threads inside the HID library on one handle.
        reader = m_backend->open(entry.info.path);
        writer = reader ? m_backend->open(entry.info.path) : nullptr;
        if (!reader || !writer)
            problem = m_backend->openProblem(entry.info.path);
        if (reader && reader->reportLengths().tooLong)
            reader.reset();
        if (!reader || !writer)
            entry.lock.reset(); // nothing to guard
    }
    auto device = std::make_unique<HidDevice>(entry.info, std::move(reader), std::move(writer),
                                              entry.lock);
    device->setOpenProblem(problem);
    entry.checkedOut = device.get();
    return device;
}

HidOpenProblem HidController::lockFor(Entry &entry)
{
    entry.heldElsewhere = false;
    if (!m_exclusive || !m_exclusive(entry.info) || entry.lock)
        return {};
    ModuleLock::Attempt attempt = ModuleLock::take(entry.info.path);
    entry.lock = std::move(attempt.lock);
    if (!attempt.heldBy)
        return {};
    entry.heldElsewhere = true;
    if (!m_heldCheck.isActive())
        m_heldCheck.start();
    return HidOpenProblem::inUse(entry.info.path, attempt.heldBy->pid, attempt.heldBy->program);
}

void HidController::releaseIdleLocks()
{
    m_releasePending = false;
    for (Entry &entry : m_entries)
        if (!entry.checkedOut)
            entry.lock.reset();
}

void HidController::checkHeldElsewhere()
{
    bool anyHeld = false;
    bool freed = false;
    for (Entry &entry : m_entries) {
        if (!entry.heldElsewhere || !entry.pluggedIn)
            continue;
        anyHeld = true;
        if (!ModuleLock::holder(entry.info.path)) {
            entry.heldElsewhere = false;
            freed = true;
        }
    }
    if (!anyHeld || freed)
        m_heldCheck.stop();
    if (freed)
        emit deviceChange();
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
    if (!it->pluggedIn) {
        m_entries.erase(it);
        return;
    }
    if (it->lock && !m_releasePending) {
        m_releasePending = true;
        QMetaObject::invokeMethod(this, [this] { releaseIdleLocks(); }, Qt::QueuedConnection);
    }
}
