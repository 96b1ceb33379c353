#include "devicelisting.h"

#include "devicelink.h"
#include "hidbackend.h"
#include "identityquery.h"
#include "modulechoice.h"
#include "modulelock.h"
#include "nodepermissions.h"
#include "udevrule.h"
#include "valueformat.h"

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
    const QString label = name + QLatin1Char(':');
    const int width = int(Continued.size() - Indent.size());
    out << Indent << label.leftJustified(width) << (label.size() >= width ? " " : "") << value << '\n';
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

ListingStatus listDevices(HidBackend &backend, QTextStream &out, const QString &device)
{
    const std::vector<HidDeviceInfo> devices = backend.enumerate();
    bool modulePresent = false;
    bool moduleUsable = false;
    bool moduleHeld = false;
    int listed = 0;
    for (const HidDeviceInfo &info : devices) {
        const bool module = DeviceLink::isModule(info);
        if (!device.isEmpty() && !module)
            continue;
        // A module another program holds is not opened, not even briefly;
        // one that is free is held while it is asked who it is.
        ModuleLock::Attempt lock;
        if (module)
            lock = ModuleLock::take(info.path);
        const std::optional<LockHolder> &holder = lock.heldBy;
        std::unique_ptr<HidHandle> handle = holder ? nullptr : backend.open(info.path);
        const bool opens = handle != nullptr;
        ListedModule asked;
        asked.info = info;
        if (module && handle)
            asked.identity = IdentityQuery::ask(*handle);
        handle.reset();
        if (!device.isEmpty() && !answersTo(asked, device))
            continue;
        ++listed;
        modulePresent |= module;
        moduleUsable |= module && opens;
        moduleHeld |= bool(holder);

        out << info.path << '\n';
        writeField(out, QStringLiteral("product"),
                   info.productString.isEmpty() ? QStringLiteral("(none)") : info.productString);
        writeField(out, QStringLiteral("USB ids"), usbIds(info));
        writeField(out, QStringLiteral("module"), yesNo(module));
        if (module)
            writeField(out, QStringLiteral("serial"),
                       info.serialNumber.isEmpty() ? QStringLiteral("(none)") : info.serialNumber);
        if (holder) {
            writeField(out, QStringLiteral("read/write"), QStringLiteral("in use by ") + holderText(holder->pid, holder->program));
            continue;
        }
        writeField(out, QStringLiteral("read/write"), yesNo(opens));
        if (module && opens) {
            writeField(out, QStringLiteral("identification"),
                       asked.identity ? QString::fromLatin1(asked.identity->identification)
                                      : QStringLiteral("(no answer within %1 s)")
                                            .arg(IdentityQuery::AnswerDeadlineMs / 1000));
            if (asked.identity)
                writeField(out, QStringLiteral("version"), formatVersion(asked.identity->version, QLocale::c()));
        }
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

    if (!device.isEmpty() && listed == 0) {
        out << QStringLiteral("No %1 module answers to \"%2\".").arg(DeviceLink::ModuleProductString, device)
            << '\n';
        return ListingStatus::NoModule;
    }
    if (listed > 0)
        out << '\n';
    out << QStringLiteral("%1 HID device(s). ").arg(listed);
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
