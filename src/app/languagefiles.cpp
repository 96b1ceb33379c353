#include "languagefiles.h"

#include "messageids.h"
#include "messagetable.h"
#include "translationstore.h"

#include <QDir>
#include <QSaveFile>

QVector<LanguageFileRefusal> installLanguageFiles(const QStringList &directories)
{
    TranslationStore store = TranslationStore::mainWindow();
    const QVector<LanguageFileRefusal> refused = addLanguageFiles(store, directories);
    TranslationStore::installProgram(store);
    return refused;
}

QString languageFileRefusalText(const LanguageFileRefusal &refused)
{
    using Problem = LanguageFile::Problem;
    const char *why = Msg::KLV_LanguageNotUtf8;
    switch (refused.refusal.problem) {
    case Problem::None:
    case Problem::NotUtf8: why = Msg::KLV_LanguageNotUtf8; break;
    case Problem::RowBeforeSection: why = Msg::KLV_LanguageRowBeforeSection; break;
    case Problem::UnknownSection: why = Msg::KLV_LanguageUnknownSection; break;
    case Problem::SectionTwice: why = Msg::KLV_LanguageSectionTwice; break;
    case Problem::NoIdentifier: why = Msg::KLV_LanguageNoIdentifier; break;
    case Problem::RowTwice: why = Msg::KLV_LanguageRowTwice; break;
    case Problem::NoName: why = Msg::KLV_LanguageNoName; break;
    }
    const QString file = QDir::toNativeSeparators(refused.path);
    const QString reason = GetTextOrDefault(QString::fromLatin1(why));
    if (refused.refusal.line <= 0)
        return GetTextOrDefault(Msg::KLV_LanguageFileSkippedWhole).arg(file, reason);
    return GetTextOrDefault(Msg::KLV_LanguageFileSkipped).arg(file, QString::number(refused.refusal.line), reason);
}

bool exportTranslationFile(const QString &path, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(exportTranslation(TranslationStore::mainWindow())) >= 0 &&
        file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}
