#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

// Who holds a module: the text a holder writes into its lock file,
// "<pid> <program>\n".
struct LockHolder {
    qint64 pid = 0; // 0: the holder had not written its name yet
    QString program;

    static std::optional<LockHolder> decode(const QByteArray &text);
    QByteArray encode() const;
    static LockHolder ofThisProcess();

    bool operator==(const LockHolder &other) const
    {
        return pid == other.pid && program == other.program;
    }
};

// One program per module: an advisory lock on a file per device node
// (/run/lock/klv57-hidraw3.lock), held while the program has the module
// checked out. It is an open-file-description lock, so the kernel drops it
// when the holder closes the file, ends or crashes, and another program can
// ask who holds it without taking it. Within one process a node's lock is
// shared: a device released while its last write finishes must not make
// the same node, plugged in again, look held by another program.
// KLV57_LOCK_DIR overrides the directory (tests). Any thread; no lock is
// ever waited for.
class ModuleLock
{
public:
    static inline const char *DirectoryVariable = "KLV57_LOCK_DIR";

    struct Attempt {
        std::shared_ptr<ModuleLock> lock;  // taken, or already ours
        std::optional<LockHolder> heldBy;  // another open holds it
        // Neither: no lock file could be made here; the module is used
        // unlocked rather than not at all.
    };

    ~ModuleLock(); // releases the lock
    ModuleLock(const ModuleLock &) = delete;
    ModuleLock &operator=(const ModuleLock &) = delete;

    static Attempt take(const QString &node);
    // Who holds the node's lock, without taking it; nothing when it is free.
    // This process when it holds it.
    static std::optional<LockHolder> holder(const QString &node);

    // KLV57_LOCK_DIR, else /run/lock where writable, else the runtime
    // directory.
    static QString directory();
    // "/dev/hidraw3" -> "klv57-hidraw3.lock"; other paths with every
    // character that is not a letter, digit, '-' or '.' as '_'.
    static QString fileName(const QString &node);

private:
    explicit ModuleLock(int fd) : m_fd(fd) {}
    int m_fd;
};
