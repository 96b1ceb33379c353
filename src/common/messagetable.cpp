#include "messagetable.h"

#include "translationstore.h"

#include <QVector>

#include <algorithm>
#include <atomic>

namespace {

struct Entry {
    QString id;
    QString texts[LanguageCount];
};

// The stStrings section of the main window's store, sorted once by
// case-insensitive identifier, then searched by bisection.
const QVector<Entry> &table()
{
    static_assert(LanguageCount == TranslationStore::Languages);
    static const QVector<Entry> entries = [] {
        QVector<Entry> result;
        for (const TranslationStore::Row &row :
             TranslationStore::mainWindow().section(QStringLiteral("stStrings")))
            result.append({row.id, {row.texts[0], row.texts[1]}});
        std::sort(result.begin(), result.end(), [](const Entry &a, const Entry &b) {
            return a.id.compare(b.id, Qt::CaseInsensitive) < 0;
        });
        return result;
    }();
    return entries;
}

std::atomic<int> activeLanguage{1};

} // namespace

QString GetTextOrDefault(const QString &id, int language)
{
    const QVector<Entry> &entries = table();
    auto it = std::lower_bound(entries.begin(), entries.end(), id,
                               [](const Entry &entry, const QString &key) {
                                   return entry.id.compare(key, Qt::CaseInsensitive) < 0;
                               });
    if (it == entries.end() || it->id.compare(id, Qt::CaseInsensitive) != 0)
        return QString();
    if (language < 1 || language > LanguageCount)
        language = 1;
    const QString &text = it->texts[language - 1];
    return text.isEmpty() ? it->texts[0] : text;
}

QString GetTextOrDefault(const QString &id)
{
    return GetTextOrDefault(id, ActiveLanguage());
}

int ActiveLanguage()
{
    return activeLanguage.load();
}

void SetActiveLanguage(int language)
{
    activeLanguage.store(language);
}

QString ownText(const QString &polish, const QString &english)
{
    return ActiveLanguage() == 2 ? english : polish;
}
