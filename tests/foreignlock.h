#pragma once

// A module's lock as another program holds it: an open description of its
// own on the node's lock file, with that program's line written in.
#include "modulelock.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

class ForeignLock
{
public:
    ForeignLock(const QString &node, const QByteArray &holderLine)
    {
        QDir().mkpath(ModuleLock::directory());
        const QByteArray path =
            QFile::encodeName(ModuleLock::directory() + QLatin1Char('/') + ModuleLock::fileName(node));
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        m_held = m_fd >= 0 && ::fcntl(m_fd, F_OFD_SETLK, &lock) == 0 && ::ftruncate(m_fd, 0) == 0 &&
                 ::pwrite(m_fd, holderLine.constData(), std::size_t(holderLine.size()), 0) ==
                     holderLine.size();
    }
    ~ForeignLock() { release(); }
    ForeignLock(const ForeignLock &) = delete;
    ForeignLock &operator=(const ForeignLock &) = delete;

    bool isHeld() const { return m_held; }
    void release()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_held = false;
    }

private:
    int m_fd = -1;
    bool m_held = false;
};
