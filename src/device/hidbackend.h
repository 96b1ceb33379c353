#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

// What the program needs of a HID implementation: the present devices, a
// handle to exchange reports, and a signal when devices come or go. The
// hidapi backend and the simulated module both sit behind it.

struct HidDeviceInfo {
    QString path;          // also identifies the device between listings
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString productString; // empty when it cannot be read
    QString serialNumber = {}; // the USB serial number; empty when there is none
};

// Report lengths as Windows counts them: the longest report of each
// direction plus one byte for the report ID.
struct HidReportLengths {
    // A device that declares a longer report is not opened at all: this
    // module's reports are 65 bytes, and a hostile descriptor must not make
    // us allocate megabytes per poll.
    static constexpr int MaxLength = 4096;

    int input = 0;
    int output = 0;
    bool numbered = false; // reports carry an ID byte on the wire
    bool tooLong = false;  // a report longer than MaxLength was declared
};

// Why a listed device did not open for reading and writing, as far as the
// program can tell. A missing permission is told apart because the user can
// mend it (a udev rule and a re-plug); a module that another program holds
// is not opened at all, and names that program.
struct HidOpenProblem {
    enum class Kind { None, NoPermission, InUse };
    Kind kind = Kind::None;
    QString node; // the device file, e.g. /dev/hidraw3
    qint64 holderPid = 0; // InUse: the holder's process ID, 0 when unknown
    QString holderProgram; // InUse: its program name, empty when unknown

    static HidOpenProblem noPermission(const QString &node)
    {
        HidOpenProblem problem;
        problem.kind = Kind::NoPermission;
        problem.node = node;
        return problem;
    }
    static HidOpenProblem inUse(const QString &node, qint64 pid, const QString &program)
    {
        HidOpenProblem problem;
        problem.kind = Kind::InUse;
        problem.node = node;
        problem.holderPid = pid;
        problem.holderProgram = program;
        return problem;
    }

    bool operator==(const HidOpenProblem &other) const
    {
        return kind == other.kind && node == other.node && holderPid == other.holderPid &&
               holderProgram == other.holderProgram;
    }
    bool operator!=(const HidOpenProblem &other) const { return !(*this == other); }
};

class HidHandle
{
public:
    virtual ~HidHandle() = default;
    // Capabilities; zero lengths when they cannot be read.
    virtual HidReportLengths reportLengths() = 0;
    // Writes one whole report, byte 0 the report ID; returns bytes written or
    // -1. A handle is used by one thread at a time: a device has one handle
    // for its read thread and another for the writer.
    virtual int write(const std::uint8_t *data, std::size_t length) = 0;
    // Read thread only: waits up to timeoutMs; returns bytes read, 0 on
    // timeout, -1 on error (device gone). Byte 0 is the report ID when the
    // reports are numbered.
    virtual int read(std::uint8_t *buffer, std::size_t length, int timeoutMs) = 0;
};

class HidBackend : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~HidBackend() override = default;

    // GUI thread.
    virtual std::vector<HidDeviceInfo> enumerate() = 0;
    // Opens for reading and writing; nullptr when access is refused. Each
    // call gives a handle of its own.
    virtual std::unique_ptr<HidHandle> open(const QString &path) = 0;
    // After open() gave nullptr for `path`: why, when the backend knows.
    virtual HidOpenProblem openProblem(const QString &path)
    {
        Q_UNUSED(path);
        return {};
    }

signals:
    // A HID device arrived or left (GUI thread). `removedPaths` names the
    // nodes that went away: a node of the same name may be back already, but
    // a handle opened before the removal is dead for good.
    void devicesChanged(const QStringList &removedPaths);
};
