#include "fonts.h"

#include <QDir>
#include <QFontDatabase>

void registerWindowsFonts()
{
    const QDir wineFonts(QStringLiteral("/usr/share/wine/fonts"));
    for (const char *file : {"tahoma.ttf", "tahomabd.ttf", "ms_sans_serif.ttf"}) {
        const QString path = wineFonts.filePath(QString::fromLatin1(file));
        if (QFileInfo::exists(path))
            QFontDatabase::addApplicationFont(path);
    }
}
