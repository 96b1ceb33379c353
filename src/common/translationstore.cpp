#include "translationstore.h"

#include "languagefile.h"

#include <QFile>

#include <atomic>

namespace {
const QChar Delimiter = QLatin1Char('\t');
} // namespace

QString TranslationStore::Row::text(int language) const
{
    if (language < 1 || language > texts.size())
        return QString();
    return texts[language - 1];
}

TranslationStore TranslationStore::parse(const QString &text, QStringList *errors)
{
    TranslationStore store;
    QString current;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        auto fail = [&](const char *why) {
            if (errors)
                errors->append(QStringLiteral("line %1: %2").arg(i + 1).arg(QLatin1String(why)));
        };
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (!line.contains(Delimiter)) {
            current = line;
            if (store.m_sections.contains(current))
                fail("section named twice");
            else
                store.m_order.append(current);
            store.m_sections[current];
            continue;
        }
        const QStringList fields = line.split(Delimiter);
        if (current.isEmpty()) {
            fail("row before the first section");
            continue;
        }
        if (fields.size() > 1 + BuiltInLanguages) {
            fail("more texts than languages");
            continue;
        }
        if (fields[0].isEmpty()) {
            fail("row without an identifier");
            continue;
        }
        Row row;
        row.id = fields[0];
        for (int language = 0; language < BuiltInLanguages; ++language)
            row.texts << fields.value(language + 1);
        store.m_sections[current].append(row);
    }
    // The selector's entries are the store's own collection rows.
    const QString names[BuiltInLanguages] = {QStringLiteral("Polski"), QStringLiteral("English")};
    for (int language = 0; language < BuiltInLanguages; ++language) {
        Language entry{names[language], QStringLiteral("Tahoma"), QString()};
        const QString prefix = QStringLiteral("siLangCombo1.LanguageInfos[%1].").arg(language);
        for (const Row &row : store.section(QStringLiteral("stCollections"))) {
            if (row.id == prefix + QLatin1String("LanguageName") && !row.text(1).isEmpty())
                entry.name = row.text(1);
            else if (row.id == prefix + QLatin1String("FontName") && !row.text(1).isEmpty())
                entry.fontName = row.text(1);
        }
        store.m_languages.append(entry);
    }
    return store;
}

const TranslationStore &TranslationStore::mainWindow()
{
    static const TranslationStore store = [] {
        Q_INIT_RESOURCE(translations); // the store lives in a static library
        QFile file(QStringLiteral(":/translations/form1.txt"));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("The translation store is missing from the program's resources");
        QStringList errors;
        TranslationStore parsed = parse(QString::fromUtf8(file.readAll()), &errors);
        for (const QString &error : errors)
            qWarning("form1.txt %s", qPrintable(error));
        return parsed;
    }();
    return store;
}

namespace {
std::atomic<const TranslationStore *> programStore{nullptr};
} // namespace

const TranslationStore &TranslationStore::program()
{
    const TranslationStore *store = programStore.load();
    return store ? *store : mainWindow();
}

void TranslationStore::installProgram(const TranslationStore &store)
{
    // Kept for the program's life: lookups on other threads may still hold
    // the one it replaces (tests install more than once).
    programStore.store(new TranslationStore(store));
}

TranslationStore::Language TranslationStore::language(int language) const
{
    if (language < 1 || language > m_languages.size())
        return {};
    return m_languages[language - 1];
}

void TranslationStore::addLanguage(const LanguageFile &file, const QString &flagPath)
{
    for (auto it = m_sections.begin(); it != m_sections.end(); ++it) {
        for (Row &row : *it) {
            const QString own = file.text(it.key(), row.id);
            if (!own.isEmpty() && row.texts[1].isEmpty())
                row.texts[1] = row.texts[0];
            const QString text = own.isEmpty() ? row.texts[1] : own;
            row.texts << text;
        }
    }
    m_languages.append({file.name(), file.fontName().isEmpty() ? QStringLiteral("Tahoma") : file.fontName(),
                        flagPath});
}

const QVector<TranslationStore::Row> &TranslationStore::section(const QString &name) const
{
    static const QVector<Row> none;
    auto it = m_sections.constFind(name);
    return it == m_sections.constEnd() ? none : *it;
}

QStringList splitCommaText(const QString &text)
{
    QStringList items;
    if (text.isEmpty())
        return items;
    QString item;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            if (quoted && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                item += c;
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == QLatin1Char(',') && !quoted) {
            items.append(item);
            item.clear();
        } else {
            item += c;
        }
    }
    items.append(item);
    return items;
}
