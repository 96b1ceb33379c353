#include "messagetable.h"
#include "translationstore.h"

#include <QTest>

class TestMessageTable : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { SetActiveLanguage(1); }
    void everyRowInBothLanguages_data();
    void everyRowInBothLanguages();
    void identifiersIgnoreCase();
    void unknownIdentifierIsEmpty();
    void textsAreKeptAsStored();
    void everyMessageHasBothTexts();
};

void TestMessageTable::everyRowInBothLanguages_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("polish");
    QTest::addColumn<QString>("english");
    QTest::newRow("44") << "IDS_44" << "Połączony" << "Connected";
    QTest::newRow("45") << "IDS_45" << "Brak połączenia" << "No connection";
    QTest::newRow("46") << "IDS_46" << "Rozłączony" << "Disconnected";
    QTest::newRow("50") << "IDS_50" << "Wartosc Min/Max zresetowana" << "Min/max values reset";
    QTest::newRow("53") << "IDS_53" << "Połączono z KLV57 ver.: " << "Connected to KLV57 ver.:";
    QTest::newRow("68") << "IDS_68" << "Warning" << "Warning";
    QTest::newRow("86") << "IDS_86" << "Czujnik 1 + Czujnik 2 + Czujnik 3+ Offset"
                        << "Sensor 1 + Sensor 2 + Sensor 3+ Offset";
    QTest::newRow("94") << "IDS_94" << "Wyjście = 4mA dla wartości: " << "Output = 4mA for value: ";
    QTest::newRow("102") << "IDS_102" << "NIEKATYWNY" << "INACTIVE";
    QTest::newRow("160") << "IDS_160" << "Wejścia czujników" << "Sensor inputs";
}

void TestMessageTable::everyRowInBothLanguages()
{
    QFETCH(QString, id);
    QFETCH(QString, polish);
    QFETCH(QString, english);
    QCOMPARE(GetTextOrDefault(id), polish);
    SetActiveLanguage(2);
    QCOMPARE(GetTextOrDefault(id), english);
}

void TestMessageTable::identifiersIgnoreCase()
{
    QCOMPARE(GetTextOrDefault("ids_44"), GetTextOrDefault("IDS_44"));
    QCOMPARE(GetTextOrDefault("Ids_157"), GetTextOrDefault("IDS_157"));
    const char *all[] = {"IDS_44", "IDS_45", "IDS_46", "IDS_47", "IDS_48", "IDS_49", "IDS_50",
                         "IDS_51", "IDS_52", "IDS_53", "IDS_67", "IDS_68", "IDS_84", "IDS_85",
                         "IDS_86", "IDS_87", "IDS_88", "IDS_89", "IDS_91", "IDS_92", "IDS_94",
                         "IDS_97", "IDS_98", "IDS_101", "IDS_102", "IDS_111", "IDS_112",
                         "IDS_157", "IDS_158", "IDS_159", "IDS_160"};
    for (const char *id : all) {
        QVERIFY2(!GetTextOrDefault(QString::fromLatin1(id).toLower(), 1).isEmpty(), id);
        QVERIFY2(!GetTextOrDefault(QString::fromLatin1(id), 2).isEmpty(), id);
    }
}

void TestMessageTable::unknownIdentifierIsEmpty()
{
    QCOMPARE(GetTextOrDefault("IDS_90"), QString());
    QCOMPARE(GetTextOrDefault(""), QString());
    QCOMPARE(GetTextOrDefault("IDS_4"), QString());
}

void TestMessageTable::textsAreKeptAsStored()
{
    QVERIFY(GetTextOrDefault("IDS_157").contains("fragment lub odwrotnie by pomniejszyć.\\nPrawy"));
    SetActiveLanguage(2);
    QVERIFY(GetTextOrDefault("IDS_157").contains("zoom out. \\ N Right"));
    QVERIFY(GetTextOrDefault("IDS_88").endsWith(' '));
}

// The program's own rows and the documented ones alike: no message falls
// back to Polish in English.
void TestMessageTable::everyMessageHasBothTexts()
{
    const QVector<TranslationStore::Row> &rows = TranslationStore::mainWindow().section("stStrings");
    QVERIFY(rows.size() > 31);
    for (const TranslationStore::Row &row : rows) {
        QVERIFY2(!row.text(1).isEmpty() && !row.text(2).isEmpty(), qPrintable(row.id));
        QVERIFY2(row.id.startsWith("IDS_") || row.id.startsWith("KLV_"), qPrintable(row.id));
    }
    QCOMPARE(languageCount(), 2);
}

QTEST_GUILESS_MAIN(TestMessageTable)
#include "tst_messagetable.moc"
