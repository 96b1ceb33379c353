#include "nodepermissions.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace {

QChar typeLetter(mode_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFCHR:
        return QLatin1Char('c');
    case S_IFBLK:
        return QLatin1Char('b');
    case S_IFDIR:
        return QLatin1Char('d');
    case S_IFLNK:
        return QLatin1Char('l');
    case S_IFIFO:
        return QLatin1Char('p');
    case S_IFSOCK:
        return QLatin1Char('s');
    default:
        return QLatin1Char('-');
    }
}

// The execute place of one class: `special` (setuid, setgid, sticky) shows
// as a letter, lower case when execute is set too.
QChar executeLetter(bool execute, bool special, char specialLetter)
{
    if (special)
        return QLatin1Char(execute ? specialLetter : char(specialLetter - 'a' + 'A'));
    return QLatin1Char(execute ? 'x' : '-');
}

} // namespace

QString modeString(mode_t mode)
{
    QString text(typeLetter(mode));
    text += QLatin1Char(mode & S_IRUSR ? 'r' : '-');
    text += QLatin1Char(mode & S_IWUSR ? 'w' : '-');
    text += executeLetter(mode & S_IXUSR, mode & S_ISUID, 's');
    text += QLatin1Char(mode & S_IRGRP ? 'r' : '-');
    text += QLatin1Char(mode & S_IWGRP ? 'w' : '-');
    text += executeLetter(mode & S_IXGRP, mode & S_ISGID, 's');
    text += QLatin1Char(mode & S_IROTH ? 'r' : '-');
    text += QLatin1Char(mode & S_IWOTH ? 'w' : '-');
    text += executeLetter(mode & S_IXOTH, mode & S_ISVTX, 't');
    return text;
}

std::optional<NodePermissions> nodePermissions(const QString &path)
{
    const QByteArray nativePath = path.toLocal8Bit();
    struct stat status = {};
    if (::stat(nativePath.constData(), &status) != 0)
        return std::nullopt;
    NodePermissions permissions;
    permissions.mode = modeString(status.st_mode);
    // Called on the one thread of the window-less modes, so the static
    // results of getpwuid and getgrgid are not shared.
    const passwd *user = ::getpwuid(status.st_uid);
    permissions.owner =
        user ? QString::fromLocal8Bit(user->pw_name) : QString::number(status.st_uid);
    const group *grp = ::getgrgid(status.st_gid);
    permissions.group = grp ? QString::fromLocal8Bit(grp->gr_name) : QString::number(status.st_gid);
    permissions.hasAcl =
        ::getxattr(nativePath.constData(), "system.posix_acl_access", nullptr, 0) > 0;
    return permissions;
}
