#include "modulelock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <QHash>

#include <cerrno>
#include <mutex>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MaxHolderText = 4096;

QString lockPath(const QString &node)
{
    const QString dir = ModuleLock::directory();
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + ModuleLock::fileName(node);
}

// The whole file, as far as it is a holder's text.
QByteArray readAll(int fd)
{
    QByteArray text(MaxHolderText, '\0');
    const ssize_t n = ::pread(fd, text.data(), std::size_t(text.size()), 0);
    return n > 0 ? text.left(int(n)) : QByteArray();
}

// The locks this process holds, by lock file.
std::mutex ownedMutex;
QHash<QString, std::weak_ptr<ModuleLock>> &owned()
{
    static QHash<QString, std::weak_ptr<ModuleLock>> locks;
    return locks;
}

struct flock wholeFile(short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET; // start 0, length 0: the whole file
    return lock;
}

// Whether another open description holds the file's lock.
bool heldElsewhere(int fd)
{
    struct flock probe = wholeFile(F_WRLCK);
    return ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

LockHolder holderIn(int fd)
{
    return LockHolder::decode(readAll(fd)).value_or(LockHolder{});
}

} // namespace

std::optional<LockHolder> LockHolder::decode(const QByteArray &text)
{
    const QByteArray line = text.left(text.indexOf('\n') < 0 ? text.size() : text.indexOf('\n'));
    const int space = line.indexOf(' ');
    bool ok = false;
    const qint64 pid = line.left(space < 0 ? line.size() : space).toLongLong(&ok);
    if (!ok || pid <= 0)
        return std::nullopt;
    return LockHolder{pid, space < 0 ? QString() : QString::fromUtf8(line.mid(space + 1))};
}

QByteArray LockHolder::encode() const
{
    QByteArray name = program.toUtf8();
    name.replace('\n', ' ');
    return QByteArray::number(pid) + ' ' + name + '\n';
}

LockHolder LockHolder::ofThisProcess()
{
    QString name = QCoreApplication::instance()
                       ? QFileInfo(QCoreApplication::applicationFilePath()).fileName()
                       : QString();
    if (name.isEmpty())
        name = QString::fromLocal8Bit(program_invocation_short_name);
    return {qint64(::getpid()), name};
}

ModuleLock::~ModuleLock()
{
    ::close(m_fd); // the kernel drops the lock with the description
}

QString ModuleLock::directory()
{
    const QString overridden = qEnvironmentVariable(DirectoryVariable);
    if (!overridden.isEmpty())
        return overridden;
    if (::access("/run/lock", W_OK | X_OK) == 0)
        return QStringLiteral("/run/lock");
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

QString ModuleLock::fileName(const QString &node)
{
    QString name = node.startsWith(QLatin1String("/dev/")) ? QFileInfo(node).fileName() : node;
    for (QChar &c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-') && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    return QStringLiteral("klv57-%1.lock").arg(name);
}

ModuleLock::Attempt ModuleLock::take(const QString &node)
{
    const QString file = lockPath(node);
    std::lock_guard guard(ownedMutex);
    if (std::shared_ptr<ModuleLock> ours = owned().value(file).lock())
        return {ours, std::nullopt};
    const QByteArray path = QFile::encodeName(file);
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        // Made by another user without write access for us: we can still
        // tell who holds it.
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return {};
        Attempt attempt;
        if (heldElsewhere(fd))
            attempt.heldBy = holderIn(fd);
        ::close(fd);
        return attempt;
    }
    struct stat st = {};
    if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid())
        ::fchmod(fd, 0666); // so another user's program can take it later; umask narrows the create
    struct flock lock = wholeFile(F_WRLCK);
    if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        Attempt attempt;
        if (errno == EAGAIN || errno == EACCES)
            attempt.heldBy = holderIn(fd);
        ::close(fd);
        return attempt;
    }
    // Held even when this fails; others then see a holder without a name.
    const QByteArray text = LockHolder::ofThisProcess().encode();
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, text.constData(), std::size_t(text.size()), 0);
    Attempt attempt;
    attempt.lock.reset(new ModuleLock(fd));
    owned().insert(file, attempt.lock);
    return attempt;
}

std::optional<LockHolder> ModuleLock::holder(const QString &node)
{
    const QByteArray path = QFile::encodeName(lockPath(node));
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<LockHolder> result;
    if (heldElsewhere(fd))
        result = holderIn(fd);
    ::close(fd);
    return result;
}
