#include "messagetable.h"

#include <QVector>

#include <algorithm>
#include <atomic>

namespace {

struct Row {
    const char *id;
    const char *polish;
    const char *english;
};

// Texts exactly as stored: no escape processing, trailing blanks kept.
const Row Rows[] = {
    {"IDS_44", "Połączony", "Connected"},
    {"IDS_45", "Brak połączenia", "No connection"},
    {"IDS_46", "Rozłączony", "Disconnected"},
    {"IDS_47", "Parametry wejść-wyjść zapisane", "Parameters input-output saved"},
    {"IDS_48", "Parametry wejść tensometrycznych zapisane", "Parameters sensor saved"},
    {"IDS_49", "Wartość wytarowana", "Tare ok"},
    {"IDS_50", "Wartosc Min/Max zresetowana", "Min/max values reset"},
    {"IDS_51", "Ustawienia domyslne wejść-wyjść przywrócone",
     "Setting the default input-output restored"},
    {"IDS_52", "Ustawienia domyslne czujników siły przywrócone",
     "The default setting of sensors restored"},
    {"IDS_53", "Połączono z KLV57 ver.: ", "Connected to KLV57 ver.:"},
    {"IDS_67", "Błędne parametry", "Parameters error"},
    {"IDS_68", "Warning", "Warning"},
    {"IDS_84", "Czujnik 1 + Offset", "Sensor 1 + Offset"},
    {"IDS_85", "Czujnik 1 + Czujnik 2 + Offset", "Sensor 1 + Sensor 2 + Offset"},
    {"IDS_86", "Czujnik 1 + Czujnik 2 + Czujnik 3+ Offset",
     "Sensor 1 + Sensor 2 + Sensor 3+ Offset"},
    {"IDS_87", "Czujnik 1 + Czujnik 2 + Czujnik 3 + Czujnik 4 + Offset",
     "Sensor 1 + Sensor 2 + Sensor 3 + Sensor 4 + Offset"},
    {"IDS_88", "Wyjście = 0V dla wartości: ", "Output = 0V for value: "},
    {"IDS_89", "Wyjście = 10V dla wartości: ", "Output = 10V for value: "},
    {"IDS_91", "Wyjście = 0mA dla wartości: ", "Output = 0mA for value: "},
    {"IDS_92", "Wyjście = 20mA dla wartości: ", "Output = 20mA for value: "},
    {"IDS_94", "Wyjście = 4mA dla wartości: ", "Output = 4mA for value: "},
    {"IDS_97", "Wydrukowac wykres?", "Print the chart ?"},
    {"IDS_98", "Drukowanie", "Print"},
    {"IDS_101", "AKTYWNY", "ACTIVE"},
    {"IDS_102", "NIEKATYWNY", "INACTIVE"},
    {"IDS_111", "AKTYWNA", "ACTIVE"},
    {"IDS_112", "NIEAKTYWNA", "INACTIVE"},
    {"IDS_157",
     "Lewy przycisk myszy: wciśnij i przeciągnij od lewgo górnego rogu do prawego dolnego by "
     "powiększyć zaznaczony fragment lub odwrotnie by pomniejszyć.\\nPrawy przycisk myszy: "
     "wciśnij i przesuwaj wykres w lewo lub prawo.",
     "Left mouse button: press and drag from the upper left to the lower right corner to "
     "enlarge selected text, or vice versa to zoom out. \\ N Right mouse button: press and "
     "move the chart to the left or right."},
    {"IDS_158", "Porady dla wykresu", "Chart tips"},
    {"IDS_159", "Kanał niekatywny. By aktywować zmień ilość aktywnych wejść.",
     "Channel not enabled. To activate, change the number of active inputs."},
    {"IDS_160", "Wejścia czujników", "Sensor inputs"},
};

struct Entry {
    QString id;
    QString texts[LanguageCount];
};

// Sorted once by case-insensitive identifier, then searched by bisection.
const QVector<Entry> &table()
{
    static const QVector<Entry> entries = [] {
        QVector<Entry> result;
        for (const Row &row : Rows)
            result.append({QString::fromLatin1(row.id),
                           {QString::fromUtf8(row.polish), QString::fromUtf8(row.english)}});
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
