#include "colours.h"
#include "settingfield.h"
#include "settingfieldcheck.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <limits>

namespace {
const QLocale Polish(QLocale::Polish, QLocale::Poland);
const QLocale English(QLocale::English, QLocale::UnitedStates);
const QLocale Swedish(QLocale::Swedish, QLocale::Sweden); // − and ×10^
constexpr float Max = 100000000.0f;
} // namespace

class TestSettingFields : public QObject
{
    Q_OBJECT
private slots:
    void init() { QLocale::setDefault(English); }
    void floatText_data();
    void floatText();
    void intText_data();
    void intText();
    void editBoxes_data();
    void editBoxes();
};

void TestSettingFields::floatText_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<float>("min");
    QTest::addColumn<float>("max");
    QTest::addColumn<bool>("converted");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("shown");

    const QString nbsp = QString(QChar(0xA0));
    auto row = [](const char *name, const QLocale &locale, const QString &text, int decimals,
                  float min, float max, bool converted, bool ok, float value, const QString &shown) {
        QTest::newRow(name) << locale << text << decimals << min << max << converted << ok << value
                            << shown;
    };
    // Both separators, whatever the locale.
    row("pl full stop", Polish, "12.5", 4, 0.1f, Max, true, true, 12.5f, "12,5000");
    row("pl comma", Polish, "12,5", 4, 0.1f, Max, true, true, 12.5f, "12,5000");
    row("en full stop", English, "12.5", 4, 0.1f, Max, true, true, 12.5f, "12.5000");
    row("en comma", English, "12,5", 4, 0.1f, Max, true, true, 12.5f, "12.5000");
    // A thousands separator makes the text invalid; it stays as typed.
    row("pl grouped", Polish, "1.234,5", 4, -Max, Max, false, false, 0, "1.234,5");
    row("en grouped", English, "1,234.5", 4, -Max, Max, false, false, 0, "1,234.5");
    row("pl blank group", Polish, "1" + nbsp + "000", 2, -Max, Max, false, false, 0, "1" + nbsp + "000");
    // Exponents.
    row("pl exponent", Polish, "1e3", 2, -Max, Max, true, true, 1000.0f, "1000,00");
    row("en exponent", English, "1E3", 2, -Max, Max, true, true, 1000.0f, "1000.00");
    row("negative exponent", English, "2.5e-1", 2, -Max, Max, true, true, 0.25f, "0.25");
    row("signed exponent", English, "1e+2", 0, -Max, Max, true, true, 100.0f, "100");
    row("exponent without digits", English, "1e", 2, -Max, Max, false, false, 0, "1e");
    row("exponent alone", English, "e3", 2, -Max, Max, false, false, 0, "e3");
    // Blanks, signs, bare separators.
    row("empty", English, "", 2, -Max, Max, false, false, 0, "");
    row("blanks only", English, "   ", 2, -Max, Max, false, false, 0, "   ");
    row("blanks around", English, " 7.5 ", 4, 0.1f, Max, true, true, 7.5f, "7.5000");
    row("plus sign", English, "+3", 1, -Max, Max, true, true, 3.0f, "3.0");
    row("sign alone", English, "-", 1, -Max, Max, false, false, 0, "-");
    row("leading separator", Polish, ",5", 1, -Max, Max, true, true, 0.5f, "0,5");
    row("trailing separator", English, "5.", 1, -Max, Max, true, true, 5.0f, "5.0");
    row("two separators", English, "1.2.3", 1, -Max, Max, false, false, 0, "1.2.3");
    row("letters", English, "abc", 1, -Max, Max, false, false, 0, "abc");
    row("hex", English, "0x10", 1, -Max, Max, false, false, 0, "0x10");
    row("nan", English, "nan", 1, -Max, Max, false, false, 0, "nan");
    row("inf", English, "inf", 1, -Max, Max, false, false, 0, "inf");
    // Single precision: held as the nearest float, 8 significant digits.
    row("en 8 digits", English, "123456.789", 4, 0.1f, Max, true, true, 123456.789f, "123456.7900");
    row("pl 8 digits", Polish, "123456.789", 4, 0.1f, Max, true, true, 123456.789f, "123456,7900");
    row("rounds to the bound", English, "100000001", 4, 0.1f, Max, true, true, Max, "1.0000000E+08");
    row("beyond single precision", English, "1e39", 1, -Max, Max, false, false, 0, "1e39");
    row("beyond double", English, "1e400", 1, -Max, Max, false, false, 0, "1e400");
    // Ranges: bounds inclusive, out of range rewritten all the same.
    row("sum offset -5", English, "-5", 1, -Max, Max, true, true, -5.0f, "-5.0");
    row("rated output -5", English, "-5", 4, 0.1f, Max, true, false, -5.0f, "-5.0000");
    row("rated output at its minimum", English, "0.1", 4, 0.1f, Max, true, true, 0.1f, "0.1000");
    row("just below, shown as the minimum", English, "0.09999", 4, 0.1f, Max, true, false,
        0.09999f, "0.1000");
    row("lowest", English, "-100000000", 0, -Max, Max, true, true, -Max, "-1.0000000E+08");
    row("too high", English, "1e9", 1, -Max, Max, true, false, 1e9f, "1.0000000E+09");
    row("pl voltage reading", Polish, "8.95", 3, 1.0f, 15.0f, true, true, 8.95f, "8,950");
    row("voltage too low", Polish, "0,5", 3, 1.0f, 15.0f, true, false, 0.5f, "0,500");
    row("voltage too high", English, "16", 3, 1.0f, 15.0f, true, false, 16.0f, "16.000");
    // The locale's own minus sign and exponent, as the settings pages show a
    // value the module reported.
    const QString minus = QString(QChar(0x2212));
    row("sv minus sign", Swedish, minus + "5,00", 2, -Max, Max, true, true, -5.0f, minus + "5,00");
    row("sv exponent", Swedish, minus + "2,5" + QChar(0xD7) + "10^+9", 1, -1e10f, Max, true, true,
        -2.5e9f, minus + "2,5000000" + QChar(0xD7) + "10^+09");
    row("sv hyphen still a sign", Swedish, "-5", 1, -Max, Max, true, true, -5.0f, minus + "5,0");
}

void TestSettingFields::floatText()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(int, decimals);
    QFETCH(float, min);
    QFETCH(float, max);
    QLocale::setDefault(locale);
    const FloatFieldCheck check = checkFloatText(text, decimals, min, max);
    QTEST(check.converted, "converted");
    QTEST(check.ok, "ok");
    QTEST(check.text, "shown");
    if (check.converted)
        QTEST(check.value, "value"); // exact: the single-precision value itself
}

void TestSettingFields::intText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("min");
    QTest::addColumn<float>("max");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("plain") << "1000" << 1.0f << Max << true << 1000;
    QTest::newRow("leading blanks") << "  42" << 1.0f << Max << true << 42;
    QTest::newRow("trailing blank") << "42 " << 1.0f << Max << false << 0;
    QTest::newRow("plus") << "+7" << 1.0f << Max << true << 7;
    QTest::newRow("minus") << "-3" << -10.0f << 10.0f << true << -3;
    QTest::newRow("decimal") << "12.5" << 1.0f << Max << false << 0;
    QTest::newRow("exponent") << "1e3" << 1.0f << Max << false << 0;
    QTest::newRow("empty") << "" << 1.0f << Max << false << 0;
    QTest::newRow("sign alone") << "-" << -10.0f << 10.0f << false << 0;
    QTest::newRow("letters after") << "12a" << 1.0f << Max << false << 0;
    QTest::newRow("other digits") << QString(QChar(0x0663)) << 1.0f << Max << false << 0;
    QTest::newRow("zero below 1") << "0" << 1.0f << Max << false << 0;
    QTest::newRow("at the maximum") << "100000000" << 1.0f << Max << true << 100000000;
    // Compared exactly, not after rounding to the float bound.
    QTest::newRow("one above") << "100000001" << 1.0f << Max << false << 0;
    QTest::newRow("int32 max") << "2147483647" << 1.0f << 3e9f << true
                               << std::numeric_limits<int>::max();
    QTest::newRow("int32 min") << "-2147483648" << -3e9f << 1.0f << true
                               << std::numeric_limits<int>::min();
    QTest::newRow("above int32") << "2147483648" << 1.0f << 3e9f << false << 0;
    QTest::newRow("far above") << "99999999999999999999" << 1.0f << 3e9f << false << 0;
}

void TestSettingFields::intText()
{
    QFETCH(QString, text);
    QFETCH(float, min);
    QFETCH(float, max);
    const IntFieldCheck check = checkIntText(text, min, max);
    QTEST(check.ok, "ok");
    if (check.ok)
        QTEST(check.value, "value");
}

// The edit box side: normal colour first, the inactive colour on failure,
// rewritten only when converted.
void TestSettingFields::editBoxes_data()
{
    QTest::addColumn<bool>("integer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("shown");

    QTest::newRow("float passes") << false << "12,5" << true << "12.5000";
    QTest::newRow("float out of range") << false << "-5" << false << "-5.0000";
    QTest::newRow("float not a number") << false << "x1" << false << "x1";
    QTest::newRow("float empty") << false << "" << false << "";
    QTest::newRow("int passes") << true << " 100" << true << " 100";
    QTest::newRow("int with decimals") << true << "12.5" << false << "12.5";
    QTest::newRow("int too big") << true << "100000001" << false << "100000001";
}

void TestSettingFields::editBoxes()
{
    QFETCH(bool, integer);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, shown);

    QLineEdit edit;
    const QColor normal = QApplication::palette(&edit).color(QPalette::Base);
    // A failed check before; the next check starts from the normal colour.
    edit.setText(QStringLiteral("bad"));
    float f = 0;
    qint32 i = 0;
    QVERIFY(!CheckFloatEdit(&edit, 4, 0.1f, Max, f));
    QCOMPARE(edit.palette().color(QPalette::Base), Colours::Inactive);

    edit.setText(text);
    const bool passed = integer ? CheckIntEdit(&edit, 1.0f, Max, i) : CheckFloatEdit(&edit, 4, 0.1f, Max, f);
    QCOMPARE(passed, ok);
    QCOMPARE(edit.text(), shown);
    QCOMPARE(edit.palette().color(QPalette::Base), ok ? normal : Colours::Inactive);
}

QTEST_MAIN(TestSettingFields)
#include "tst_settingfields.moc"
