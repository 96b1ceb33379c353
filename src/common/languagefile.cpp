#include "languagefile.h"

#include "translationstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>
#include <QStringDecoder>

namespace {

const QString HeaderSection = QStringLiteral("stLanguage");
const QChar Delimiter = QLatin1Char('\t');

} // namespace

std::optional<LanguageFile> LanguageFile::parse(const QByteArray &bytes, const QStringList &sections,
                                                Refusal *refusal)
{
    auto refuse = [refusal](Problem problem, int line) -> std::optional<LanguageFile> {
        if (refusal)
            *refusal = {problem, line};
        return std::nullopt;
    };
    LanguageFile file;
    QString current;
    QStringList seen;
    const QList<QByteArray> lines = bytes.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        QString line = decoder.decode(lines[i]);
        if (decoder.hasError())
            return refuse(Problem::NotUtf8, i + 1);
        if (i == 0 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (!line.contains(Delimiter)) {
            if (line != HeaderSection && !sections.contains(line))
                return refuse(Problem::UnknownSection, i + 1);
            if (seen.contains(line))
                return refuse(Problem::SectionTwice, i + 1);
            seen << line;
            current = line;
            continue;
        }
        if (current.isEmpty())
            return refuse(Problem::RowBeforeSection, i + 1);
        const QStringList fields = line.split(Delimiter);
        if (fields[0].isEmpty())
            return refuse(Problem::NoIdentifier, i + 1);
        QHash<QString, QString> &rows = file.m_texts[current];
        if (rows.contains(fields[0]))
            return refuse(Problem::RowTwice, i + 1);
        rows.insert(fields[0], fields.last());
    }
    file.m_name = file.text(HeaderSection, QStringLiteral("Name"));
    file.m_font = file.text(HeaderSection, QStringLiteral("Font"));
    file.m_flag = file.text(HeaderSection, QStringLiteral("Flag"));
    if (file.m_name.trimmed().isEmpty())
        return refuse(Problem::NoName, 0);
    return file;
}

QString LanguageFile::text(const QString &section, const QString &id) const
{
    return m_texts.value(section).value(id);
}

QVector<LanguageFileRefusal> addLanguageFiles(TranslationStore &store, const QStringList &directories)
{
    QMap<QString, QString> byName; // file name -> path, in file name order
    for (const QString &directory : directories) {
        const QFileInfoList files =
            QDir(directory).entryInfoList({QStringLiteral("*.txt")}, QDir::Files | QDir::Readable);
        for (const QFileInfo &info : files)
            if (!byName.contains(info.fileName()))
                byName.insert(info.fileName(), info.absoluteFilePath());
    }
    const QStringList sections = store.sectionNames();
    QVector<LanguageFileRefusal> refused;
    for (const QString &path : std::as_const(byName)) {
        QFile file(path);
        // A translation is a few tens of kilobytes; a larger file is none.
        constexpr qint64 MaxFileSize = 4 * 1024 * 1024;
        LanguageFile::Refusal refusal{LanguageFile::Problem::NotUtf8, 0};
        std::optional<LanguageFile> language;
        if (file.open(QIODevice::ReadOnly) && file.size() <= MaxFileSize)
            language = LanguageFile::parse(file.readAll(), sections, &refusal);
        if (!language) {
            refused.append({path, refusal});
            continue;
        }
        const QString flag = language->flag().isEmpty()
                                 ? QString()
                                 : QFileInfo(path).dir().filePath(language->flag());
        store.addLanguage(*language, flag);
    }
    return refused;
}

QStringList languageFileDirectories()
{
    QStringList directories;
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!userData.isEmpty())
        directories << userData + QStringLiteral("/KLV57/translations");
    directories << QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                   QStringLiteral("/../share/KLV57/translations"));
    return directories;
}

QByteArray exportTranslation(const TranslationStore &store)
{
    QByteArray out =
        "# KLV57-PC translation file (UTF-8). Save it as <name>.txt in\n"
        "# ~/.local/share/KLV57/translations/ and choose the language in the program.\n"
        "#\n"
        "# One row a line: identifier TAB Polish TAB English TAB your text. Only the\n"
        "# last text of a row is read; a row left out or with an empty last text\n"
        "# shows the English text. Texts are taken exactly: no escapes, blanks at the\n"
        "# end count. %1, %2 ... stand for values the program puts in; keep them.\n"
        "# A line without a TAB names a section. Lines starting with # are ignored.\n"
        "#\n"
        "# stLanguage: Name is what the language selector shows (required), Font\n"
        "# the font of that entry, Flag a picture file beside this file (16x11).\n"
        "\n"
        "stLanguage\n"
        "Name\tPolski\tEnglish\t\n"
        "Font\tTahoma\tTahoma\tTahoma\n"
        "Flag\tflag-pl.png\tflag-en.png\t\n";
    for (const QString &section : store.sectionNames()) {
        out += '\n' + section.toUtf8() + '\n';
        for (const TranslationStore::Row &row : store.section(section))
            out += (row.id + Delimiter + row.text(1) + Delimiter + row.text(2) + Delimiter + row.text(2))
                       .toUtf8() +
                   '\n';
    }
    return out;
}
