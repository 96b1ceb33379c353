#include "devicelisting.h"

#include "devicelink.h"
#include "hidbackend.h"
#include "modulelock.h"
#include "nodepermissions.h"
#include "udevrule.h"

#include <QFileInfo>
#include <QTextStream>

namespace {

const QString Indent = QStringLiteral("  ");
const QString Continued = QStringLiteral("               "); // under a field's value

QString yesNo(bool yes)
{
    return yes ? QStringLiteral("yes") : QStringLiteral("no");
}

QString usbIds(const HidDeviceInfo &info)
{
    return QString::asprintf("%04X:%04X", info.vendorId, info.productId);
}

void writeField(QTextStream &out, const QString &name, const QString &value)
{
    out << Indent << (name + QLatin1Char(':')).leftJustified(Continued.size() - Indent.size())
        << value << '\n';
}

void writePermissions(QTextStream &out, const QString &path)
{
    const std::optional<NodePermissions> node = nodePermissions(path);
    if (!node) {
        writeField(out, QStringLiteral("permissions"),
                   QStringLiteral("unknown (no device file at this path)"));
        return;
    }
    QString text = QStringLiteral("%1 %2 %3").arg(node->mode, node->owner, node->group);
    if (node->hasAcl)
        text += QStringLiteral(", and an access list (getfacl %1)").arg(path);
    writeField(out, QStringLiteral("permissions"), text);
}

void writeUdevRemedy(QTextStream &out)
{
    writeField(out, QStringLiteral("access"),
               QStringLiteral("granted to the user at the seat by the udev rule"));
    out << Continued << Indent << UdevRule::ruleText() << '\n'
        << Continued
        << QStringLiteral("in %1, put there by the package, by make install or by hand:")
               .arg(UdevRule::fileName())
        << '\n';
    for (const QString &path : UdevRule::installedPaths())
        out << Continued << Indent << path
            << (QFileInfo::exists(path) ? QStringLiteral(" (present)")
                                        : QStringLiteral(" (absent)"))
            << '\n';
    out << Continued << QStringLiteral("With the rule in place, run") << '\n'
        << Continued << Indent << UdevRule::ReloadCommand << '\n'
        << Continued << QStringLiteral("then unplug the module and plug it in again.") << '\n'
        << Continued << QStringLiteral("A login without a seat (SSH) gets no access from it.")
        << '\n';
}

} // namespace

QString holderText(qint64 pid, const QString &program)
{
    if (pid <= 0)
        return QStringLiteral("another program");
    if (program.isEmpty())
        return QStringLiteral("PID %1").arg(pid);
    return QStringLiteral("PID %1 (%2)").arg(pid).arg(program);
}

ListingStatus listDevices(HidBackend &backend, QTextStream &out)
{
    const std::vector<HidDeviceInfo> devices = backend.enumerate();
    bool modulePresent = false;
    bool moduleUsable = false;
    bool moduleHeld = false;
    for (const HidDeviceInfo &info : devices) {
        const bool module = DeviceLink::isModule(info);
        // A module another program holds is not opened, not even briefly.
        const std::optional<LockHolder> holder =
            module ? ModuleLock::holder(info.path) : std::nullopt;
        const bool opens = !holder && backend.open(info.path) != nullptr; // released at once
        modulePresent |= module;
        moduleUsable |= module && opens;
        moduleHeld |= bool(holder);

        out << info.path << '\n';
        writeField(out, QStringLiteral("product"),
                   info.productString.isEmpty() ? QStringLiteral("(none)") : info.productString);
        writeField(out, QStringLiteral("USB ids"), usbIds(info));
        writeField(out, QStringLiteral("module"), yesNo(module));
        if (holder) {
            writeField(out, QStringLiteral("read/write"), QStringLiteral("in use by ") + holderText(holder->pid, holder->program));
            continue;
        }
        writeField(out, QStringLiteral("read/write"), yesNo(opens));
        if (module && !opens) {
            const HidOpenProblem problem = backend.openProblem(info.path);
            writeField(out, QStringLiteral("reason"),
                       problem.kind == HidOpenProblem::Kind::NoPermission
                           ? QStringLiteral("no permission to open %1").arg(problem.node)
                           : QStringLiteral("unknown"));
            writePermissions(out, info.path);
            writeUdevRemedy(out);
        }
    }

    if (!devices.empty())
        out << '\n';
    out << QStringLiteral("%1 HID device(s). ").arg(devices.size());
    if (moduleUsable) {
        out << QStringLiteral("A %1 module is ready.").arg(DeviceLink::ModuleProductString) << '\n';
        return ListingStatus::ModuleUsable;
    }
    if (moduleHeld) {
        out << QStringLiteral("A %1 module is present, but another program uses it.")
                   .arg(DeviceLink::ModuleProductString)
            << '\n';
        return ListingStatus::ModuleInUse;
    }
    if (modulePresent) {
        out << QStringLiteral(
                   "A %1 module is present, but it does not open for reading and writing.")
                   .arg(DeviceLink::ModuleProductString)
            << '\n';
        return ListingStatus::ModuleNotOpenable;
    }
    out << QStringLiteral("No %1 module found.").arg(DeviceLink::ModuleProductString) << '\n';
    return ListingStatus::NoModule;
}
