#include "languagefile.h"
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
    void languageFileRefusals_data();
    void languageFileRefusals();
    void addedLanguageFallsBackToEnglish();
    void exportReadsBackAsEnglish();
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
    QTest::newRow("captions") << "stCaptions" << 148;
    QTest::newRow("hints") << "stHints" << 18;
    QTest::newRow("display labels") << "stDisplayLabels" << 0;
    QTest::newRow("fonts") << "stFonts" << 58;
    QTest::newRow("lists") << "stMultiLines" << 21;
    QTest::newRow("dialog words") << "stDlgsCaptions" << 15;
    QTest::newRow("messages") << "stStrings" << 89;
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
    QCOMPARE(ids.mid(131, 8), (QStringList{"Label25", "Btn_OtherFactory", "Btn_ReadOtherSettings",
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

void TestTranslationStore::languageFileRefusals_data()
{
    using P = LanguageFile::Problem;
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("problem");
    QTest::addColumn<int>("line");
    const QByteArray head = "stLanguage\nName\tDeutsch\n";
    QTest::newRow("good, CR LF, BOM, comments") << QByteArray("\xEF\xBB\xBFstLanguage\r\n# c\r\nName\tDeutsch\r\n\ns\nA\tpl\ten\tde\r\n")
                                              << int(P::None) << 0;
    QTest::newRow("not UTF-8") << head + "s\nA\t\xFF\n" << int(P::NotUtf8) << 4;
    QTest::newRow("row before a section") << QByteArray("A\tx\n") + head << int(P::RowBeforeSection) << 1;
    QTest::newRow("unknown section") << head + "s\nt\n" << int(P::UnknownSection) << 4;
    QTest::newRow("section twice") << head + "s\nA\tx\ns\n" << int(P::SectionTwice) << 5;
    QTest::newRow("no identifier") << head + "s\n\tx\n" << int(P::NoIdentifier) << 4;
    QTest::newRow("row twice") << head + "s\nA\tx\nA\ty\n" << int(P::RowTwice) << 5;
    QTest::newRow("no name") << QByteArray("s\nA\tx\n") << int(P::NoName) << 0;
    QTest::newRow("blank name") << QByteArray("stLanguage\nName\t \n") << int(P::NoName) << 0;
}

void TestTranslationStore::languageFileRefusals()
{
    QFETCH(QByteArray, text);
    LanguageFile::Refusal refusal;
    const std::optional<LanguageFile> file = LanguageFile::parse(text, {"s"}, &refusal);
    QTEST(int(refusal.problem), "problem");
    QTEST(refusal.line, "line");
    QCOMPARE(file.has_value(), refusal.problem == LanguageFile::Problem::None);
    if (file) {
        QCOMPARE(file->name(), QString("Deutsch"));
        QCOMPARE(file->text("s", "A"), QString("de")); // the last text of a row
    }
}

// Language 3 from a file: its own rows, English where it has none; a row
// it translates that English leaves empty gets the Polish text in English.
void TestTranslationStore::addedLanguageFallsBackToEnglish()
{
    TranslationStore store = TranslationStore::parse("s\nA\tpl A\ten A\nB\tpl B\ten B\nC\tpl C\t\nD\tpl D\t\n");
    const std::optional<LanguageFile> file =
        LanguageFile::parse("stLanguage\nName\tDeutsch\nFont\tArial\ns\nA\tde A\nC\tde C\n", {"s"});
    QVERIFY(file);
    store.addLanguage(*file, "/x/flag.png");
    QCOMPARE(store.languageCount(), 3);
    QCOMPARE(store.language(3).name, QString("Deutsch"));
    QCOMPARE(store.language(3).fontName, QString("Arial"));
    QCOMPARE(store.language(3).flagPath, QString("/x/flag.png"));
    QCOMPARE(store.language(1).name, QString("Polski"));
    const QVector<Row> &rows = store.section("s");
    const QStringList expected[] = {{"pl A", "en A", "de A"}, {"pl B", "en B", "en B"},
                                    {"pl C", "pl C", "de C"}, {"pl D", "", ""}};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(rows[i].texts, expected[i]);
}

// The export is a file of the English texts: read back as a language (once
// it has a name), every row says what English says.
void TestTranslationStore::exportReadsBackAsEnglish()
{
    const TranslationStore &compiled = TranslationStore::mainWindow();
    QByteArray text = exportTranslation(compiled);
    const QStringList sections = compiled.sectionNames();
    LanguageFile::Refusal refusal;
    QVERIFY(!LanguageFile::parse(text, sections, &refusal));
    QCOMPARE(int(refusal.problem), int(LanguageFile::Problem::NoName));
    text.replace("Name\tPolski\tEnglish\t\n", "Name\tPolski\tEnglish\tCopy\n");
    const std::optional<LanguageFile> file = LanguageFile::parse(text, sections, &refusal);
    QVERIFY(file);
    int rows = 0;
    for (const QString &section : sections)
        for (const Row &row : compiled.section(section)) {
            QCOMPARE(file->text(section, row.id), row.text(2));
            ++rows;
        }
    QVERIFY(rows > 400);
    QVERIFY(text.contains("\nLabel26\tRejestracja do pliku:\tAcquisition to file:\tAcquisition to file:\n"));
}

QTEST_GUILESS_MAIN(TestTranslationStore)
#include "tst_translationstore.moc"
