#include "qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

QtTranslations::~QtTranslations()
{
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
}

QString QtTranslations::fileFor(int language)
{
    return language == 1 ? QStringLiteral("qtbase_pl") : QString();
}

bool QtTranslations::setLanguage(int language)
{
    if (m_installed) {
        QCoreApplication::removeTranslator(&m_translator);
        m_installed = false;
    }
    const QString file = fileFor(language);
    if (file.isEmpty())
        return true; // Qt's own texts are English
    if (!m_translator.load(file, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    m_installed = QCoreApplication::installTranslator(&m_translator);
    return m_installed;
}
