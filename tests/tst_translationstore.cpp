#include "translationstore.h"

#include <QTest>

using Row = TranslationStore::Row;

class TestTranslationStore : public QObject
{
    Q_OBJECT
private slots:
    void readsRows_data();
    void readsRows();
    void refusesBadLines_data();
    void refusesBadLines();
    void splitsCommaText_data();
    void splitsCommaText();
    void compiledStoreHasEverySection_data();
    void compiledStoreHasEverySection();
    void compiledStoreKeepsTextsExactly_data();
    void compiledStoreKeepsTextsExactly();
    void captionsInTheirOrder();
};

// "section/index/id/polish/english" of the first row that the text gives.
void TestTranslationStore::readsRows_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("polish");
    QTest::addColumn<QString>("english");
    QTest::newRow("both texts") << "s\nA\tpl\ten\n" << "s" << 0 << "A" << "pl" << "en";
    QTest::newRow("no English") << "s\nA\tpl\t\n" << "s" << 0 << "A" << "pl" << "";
    QTest::newRow("English missing") << "s\nA\tpl" << "s" << 0 << "A" << "pl" << "";
    QTest::newRow("no Polish") << "s\nA\t\ten" << "s" << 0 << "A" << "" << "en";
    QTest::newRow("CR LF") << "s\r\nA\tpl\ten\r\n" << "s" << 0 << "A" << "pl" << "en";
    QTest::newRow("trailing blanks") << "s\nA\tpl \ten  \n" << "s" << 0 << "A" << "pl " << "en  ";
    QTest::newRow("no escapes") << "s\nA\ta\\nb\t\"q\"\n" << "s" << 0 << "A" << "a\\nb" << "\"q\"";
    QTest::newRow("comments and gaps") << "# c\n\ns\n# c\nA\tpl\ten\n\n" << "s" << 0 << "A" << "pl" << "en";
    QTest::newRow("second section") << "s\nA\t1\t2\nt\nB\t3\t4\nC\t5\t6" << "t" << 1 << "C" << "5" << "6";
    QTest::newRow("blanks in ids") << "s\nNo To All\tN&o to All\t" << "s" << 0 << "No To All"
                                   << "N&o to All" << "";
}

void TestTranslationStore::readsRows()
{
    QFETCH(QString, text);
    QFETCH(QString, section);
    QFETCH(int, index);
    QStringList errors;
    const TranslationStore store = TranslationStore::parse(text, &errors);
    QCOMPARE(errors, QStringList());
    QVERIFY(store.section(section).size() > index);
    const Row &row = store.section(section)[index];
    QTEST(row.id, "id");
    QTEST(row.text(1), "polish");
    QTEST(row.text(2), "english");
    QCOMPARE(row.text(0), QString());
    QCOMPARE(row.text(3), QString());
}

void TestTranslationStore::refusesBadLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("rowsKept");
    QTest::newRow("row before a section") << "A\tpl\ten\ns\nB\tx"
                                          << "line 1: row before the first section" << 1;
    QTest::newRow("three texts") << "s\nA\t1\t2\t3\nB\tx" << "line 2: more texts than languages" << 1;
    QTest::newRow("no identifier") << "s\n\tpl\ten\nB\tx" << "line 2: row without an identifier" << 1;
    QTest::newRow("section twice") << "s\nA\tx\ns\nB\tx" << "line 3: section named twice" << 2;
}

void TestTranslationStore::refusesBadLines()
{
    QFETCH(QString, text);
    QFETCH(int, rowsKept);
    QStringList errors;
    const TranslationStore store = TranslationStore::parse(text, &errors);
    QTEST(errors.value(0), "error");
    QCOMPARE(errors.size(), 1);
    QCOMPARE(store.section("s").size(), rowsKept);
    QCOMPARE(store.sectionNames(), QStringList{"s"});
}

void TestTranslationStore::splitsCommaText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("empty") << "" << QStringList();
    QTest::newRow("plain") << "<,>" << QStringList{"<", ">"};
    QTest::newRow("quoted blanks") << "Nieaktywne,\"Wejście 1\",Suma"
                                   << QStringList{"Nieaktywne", "Wejście 1", "Suma"};
    QTest::newRow("quoted comma") << "\"a,b\",c" << QStringList{"a,b", "c"};
    QTest::newRow("doubled quote") << "\"Wartość \"\"x\"\"\"" << QStringList{"Wartość \"x\""};
    QTest::newRow("inner blanks kept") << "\"g   -gramy\",\"F    -funty\""
                                       << QStringList{"g   -gramy", "F    -funty"};
    QTest::newRow("empty items") << ",a," << QStringList{"", "a", ""};
}

void TestTranslationStore::splitsCommaText()
{
    QFETCH(QString, text);
    QTEST(splitCommaText(text), "items");
}

void TestTranslationStore::compiledStoreHasEverySection_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<int>("rows");
    // The settings file's two buttons come last in captions and hints.
    QTest::newRow("captions") << "stCaptions" << 139;
    QTest::newRow("hints") << "stHints" << 18;
    QTest::newRow("display labels") << "stDisplayLabels" << 0;
    QTest::newRow("fonts") << "stFonts" << 58;
    QTest::newRow("lists") << "stMultiLines" << 21;
    QTest::newRow("dialog words") << "stDlgsCaptions" << 15;
    QTest::newRow("messages") << "stStrings" << 34;
    QTest::newRow("other texts") << "stOtherStrings" << 52;
    QTest::newRow("locales") << "stLocales" << 0;
    QTest::newRow("collections") << "stCollections" << 4;
    QTest::newRow("character sets") << "stCharSets" << 58;
}

void TestTranslationStore::compiledStoreHasEverySection()
{
    QFETCH(QString, section);
    const TranslationStore &store = TranslationStore::mainWindow();
    QVERIFY(store.sectionNames().contains(section));
    QTEST(int(store.section(section).size()), "rows");
}

void TestTranslationStore::compiledStoreKeepsTextsExactly_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("polish");
    QTest::addColumn<QString>("english");
    QTest::newRow("blank at the end, no English") << "stCaptions" << "Lab_VoutVal" << "00.0 V " << "";
    QTest::newRow("blank at the end of English") << "stCaptions" << "Button_TensSettingFactory"
                                                 << "Przywróć fabryczne" << "Restore factory ";
    QTest::newRow("quotes") << "stCaptions" << "Cb_AnalogReverse" << "Wartość \"odwrócona\""
                            << "Reversed value";
    QTest::newRow("hint") << "stHints" << "Edit_AnalogMin"
                          << "Wartość skalująca wyjście analogowe. Określa siłę, dla której na "
                             "wyjściu analogowym nie będzie sygnału."
                          << "Calibrating value for analog output. It defines force, for which on "
                             "analog output signal won’t appear. ";
    QTest::newRow("font") << "stFonts" << "JvNavPanelHeader4" << "Arial" << "@Arial Unicode MS";
    QTest::newRow("list") << "stMultiLines" << "Cb_Units.Items"
                          << "\"N - niutony\",\"kN -kiloniutony\",\"g   -gramy\",\"kg -kilogramy\",\"F    -funty\""
                          << "\"N - newton\",\"kN - kilonewton\",\"g   - gram\",\"kg - kilogram\",\"F    -pound\"";
    QTest::newRow("message") << "stStrings" << "IDS_53" << "Połączono z KLV57 ver.: "
                             << "Connected to KLV57 ver.:";
    QTest::newRow("other text") << "stOtherStrings" << "SaveDialog.Filter" << "CSV|*.csv|TXT|*.txt" << "";
    QTest::newRow("collection") << "stCollections" << "siLangCombo1.LanguageInfos[1].LanguageName"
                                << "English" << "";
    QTest::newRow("character set") << "stCharSets" << "TForm1" << "DEFAULT_CHARSET" << "DEFAULT_CHARSET";
    QTest::newRow("dialog word") << "stDlgsCaptions" << "Yes To All" << "Yes to &All" << "";
}

void TestTranslationStore::compiledStoreKeepsTextsExactly()
{
    QFETCH(QString, section);
    QFETCH(QString, id);
    const QVector<Row> &rows = TranslationStore::mainWindow().section(section);
    auto it = std::find_if(rows.begin(), rows.end(), [&](const Row &r) { return r.id == id; });
    QVERIFY2(it != rows.end(), qPrintable(id));
    QTEST(it->text(1), "polish");
    QTEST(it->text(2), "english");
}

void TestTranslationStore::captionsInTheirOrder()
{
    const QVector<Row> &captions = TranslationStore::mainWindow().section("stCaptions");
    QStringList ids;
    for (const Row &row : captions)
        ids << row.id;
    QCOMPARE(ids.mid(0, 6),
             (QStringList{"Label1", "Label_Status", "Label26", "Label19", "Label20", "BitBtn3"}));
    QCOMPARE(ids.mid(131), (QStringList{"Label25", "Btn_OtherFactory", "Btn_ReadOtherSettings",
                                        "Btn_SaveOtherSettings", "TabSheet4", "JvNavPanelHeader18",
                                        "Btn_SaveSettingsFile", "Btn_LoadSettingsFile"}));
    QCOMPARE(ids.removeDuplicates(), 0);

    // Fonts and character sets name the same controls, in the same order.
    QStringList fonts, charSets;
    for (const Row &row : TranslationStore::mainWindow().section("stFonts"))
        fonts << row.id;
    for (const Row &row : TranslationStore::mainWindow().section("stCharSets"))
        charSets << row.id;
    QCOMPARE(fonts, charSets);
}

QTEST_GUILESS_MAIN(TestTranslationStore)
#include "tst_translationstore.moc"
