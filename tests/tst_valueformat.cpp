#include "valueformat.h"

#include <QTest>

#include <cmath>
#include <limits>

class TestValueFormat : public QObject
{
    Q_OBJECT
private slots:
    void fixed_data();
    void fixed();
    void grouped_data();
    void grouped();
    void version_data();
    void version();
};

void TestValueFormat::fixed_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");

    QTest::newRow("pads to decimals") << 12.5 << 4 << "en_US" << "12.5000";
    QTest::newRow("locale comma") << 12.5 << 4 << "pl_PL" << "12,5000";
    QTest::newRow("8 significant digits win")
        << double(123456.789f) << 4 << "en_US" << "123456.7900";
    QTest::newRow("exponent text read back") << 1e3 << 2 << "pl_PL" << "1000,00";
    QTest::newRow("negative") << -5.0 << 4 << "en_US" << "-5.0000";
    QTest::newRow("rounds up at 0 places") << 12.6 << 0 << "en_US" << "13";
    QTest::newRow("exact half away from zero") << 12.5 << 0 << "en_US" << "13";
    QTest::newRow("negative half away from zero") << -12.5 << 0 << "en_US" << "-13";
    QTest::newRow("half at 2 places") << 0.125 << 2 << "en_US" << "0.13";
    QTest::newRow("not quite half stays down") << 0.145 << 2 << "en_US" << "0.14";
    QTest::newRow("3 places") << 12.6 << 3 << "pl_PL" << "12,600";
    QTest::newRow("8 integer digits stay fixed") << 99999999.0 << 2 << "en_US" << "99999999.00";
    QTest::newRow("9 integer digits go exponent") << 100000000.0 << 0 << "en_US" << "1.0000000E+08";
    QTest::newRow("rounding into 9 digits") << 99999999.6 << 0 << "en_US" << "1.0000000E+08";
    QTest::newRow("no thousands separator") << 1234567.0 << 1 << "en_US" << "1234567.0";
    QTest::newRow("negative zero reads zero") << -0.04 << 1 << "en_US" << "0.0";
    QTest::newRow("small") << 0.000123 << 4 << "en_US" << "0.0001";
    QTest::newRow("zero") << 0.0 << 2 << "pl_PL" << "0,00";
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 1 << "en_US" << "NaN";
    QTest::newRow("inf") << std::numeric_limits<double>::infinity() << 1 << "en_US" << "INF";
    QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << 1 << "en_US" << "-INF";
}

void TestValueFormat::fixed()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QCOMPARE(formatFixed(value, decimals, QLocale(locale)), expected);
}

void TestValueFormat::grouped_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");

    const QString pl = QLocale(QStringLiteral("pl_PL")).groupSeparator();
    QTest::newRow("english sum") << double(1234.56f) << 1 << "en_US" << "1,234.6";
    QTest::newRow("english max") << 2000.0 << 1 << "en_US" << "2,000.0";
    QTest::newRow("polish") << 1234567.5 << 1 << "pl_PL" << "1" + pl + "234" + pl + "567,5";
    QTest::newRow("negative") << -1234.0 << 0 << "en_US" << "-1,234";
    QTest::newRow("three digits") << 999.0 << 0 << "en_US" << "999";
    QTest::newRow("nan") << std::nan("") << 1 << "en_US" << "NaN";
}

void TestValueFormat::grouped()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QCOMPARE(formatGrouped(value, decimals, QLocale(locale)), expected);
}

void TestValueFormat::version_data()
{
    QTest::addColumn<int>("hundredths");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1.10") << 110 << "en_US" << "1.10";
    QTest::newRow("1,10") << 110 << "pl_PL" << "1,10";
    QTest::newRow("byte 0xFF") << -1 << "en_US" << "-0.01";
    QTest::newRow("1.27") << 127 << "en_US" << "1.27";
}

void TestValueFormat::version()
{
    QFETCH(int, hundredths);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QCOMPARE(formatVersion(float(hundredths) * 0.01f, QLocale(locale)), expected);
}

QTEST_GUILESS_MAIN(TestValueFormat)
#include "tst_valueformat.moc"
