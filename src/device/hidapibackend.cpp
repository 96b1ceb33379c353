#include "hidapibackend.h"

#include "hidreportdescriptor.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <dlfcn.h>
#include <hidapi.h>
#include <libudev.h>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int MaxDescriptorSize = 4096;

// hidapi 0.14 reads the descriptor itself; 0.13 does not have the call, so
// it is looked up at run time and sysfs serves otherwise.
using GetDescriptorFn = int (*)(hid_device *, unsigned char *, size_t);

QByteArray readReportDescriptor(hid_device *device, const QString &path)
{
    static const auto getDescriptor =
        reinterpret_cast<GetDescriptorFn>(dlsym(RTLD_DEFAULT, "hid_get_report_descriptor"));
    if (getDescriptor) {
        QByteArray buffer(MaxDescriptorSize, '\0');
        int n = getDescriptor(device, reinterpret_cast<unsigned char *>(buffer.data()),
                              std::size_t(buffer.size()));
        if (n > 0)
            return buffer.left(n);
    }
    // "/dev/hidraw3" -> /sys/class/hidraw/hidraw3/device/report_descriptor
    const QString node = QFileInfo(path).fileName();
    QFile file(QStringLiteral("/sys/class/hidraw/%1/device/report_descriptor").arg(node));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(MaxDescriptorSize);
}

class HidapiHandle : public HidHandle
{
public:
    HidapiHandle(hid_device *device, const QString &path)
        : m_device(device), m_lengths(parseReportDescriptor(readReportDescriptor(device, path)))
    {
    }
    ~HidapiHandle() override { hid_close(m_device); }

    HidReportLengths reportLengths() override { return m_lengths; }

    int write(const std::uint8_t *data, std::size_t length) override
    {
        return hid_write(m_device, data, length);
    }

    int read(std::uint8_t *buffer, std::size_t length, int timeoutMs) override
    {
        return hid_read_timeout(m_device, buffer, length, timeoutMs);
    }

private:
    hid_device *m_device;
    HidReportLengths m_lengths;
};

} // namespace

HidapiBackend::HidapiBackend(QObject *parent) : HidBackend(parent)
{
    hid_init();
    startMonitor();
}

HidapiBackend::~HidapiBackend()
{
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
    hid_exit();
}

void HidapiBackend::startMonitor()
{
    m_udev = udev_new();
    if (m_udev)
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        std::fprintf(stderr, "klv57-pc: no device monitor; plugging and unplugging go unnoticed\n");
        return;
    }
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &HidapiBackend::onMonitorReadable);
}

void HidapiBackend::onMonitorReadable()
{
    udev_device *device = udev_monitor_receive_device(m_monitor);
    if (!device)
        return;
    QStringList removed;
    const char *action = udev_device_get_action(device);
    const char *node = udev_device_get_devnode(device);
    if (action && node && qstrcmp(action, "remove") == 0)
        removed << QString::fromLocal8Bit(node); // hidapi's path for a hidraw node
    udev_device_unref(device);
    emit devicesChanged(removed);
}

std::vector<HidDeviceInfo> HidapiBackend::enumerate()
{
    std::vector<HidDeviceInfo> devices;
    m_listedPaths.clear();
    hid_device_info *list = hid_enumerate(0, 0);
    for (hid_device_info *it = list; it; it = it->next) {
        HidDeviceInfo info;
        info.path = QString::fromLocal8Bit(it->path);
        info.vendorId = it->vendor_id;
        info.productId = it->product_id;
        if (it->product_string)
            info.productString = QString::fromWCharArray(it->product_string);
        if (it->serial_number)
            info.serialNumber = QString::fromWCharArray(it->serial_number);
        m_listedPaths.insert(info.path);
        devices.push_back(info);
    }
    hid_free_enumeration(list);
    return devices;
}

std::unique_ptr<HidHandle> HidapiBackend::open(const QString &path)
{
    if (!m_listedPaths.contains(path))
        return nullptr;
    hid_device *device = hid_open_path(path.toLocal8Bit().constData());
    if (!device)
        return nullptr;
    return std::make_unique<HidapiHandle>(device, path);
}

HidOpenProblem HidapiBackend::openProblem(const QString &path)
{
    // On hidraw hidapi's path is the device node itself. hid_open_path does
    // not keep errno, so the node is asked again.
    if (!m_listedPaths.contains(path) || !path.startsWith(QLatin1String("/dev/")))
        return {};
    const bool denied = ::access(path.toLocal8Bit().constData(), R_OK | W_OK) != 0 &&
                        (errno == EACCES || errno == EPERM);
    if (!denied)
        return {};
    return HidOpenProblem::noPermission(path);
}
