#include "valueformat.h"

#include <QTest>

#include <algorithm>
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
    void halves_data();
    void halves();
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

// Exact binary halves at the last kept place, and the double just below each,
// for 1 to 9 integer digits and 0 to 4 places. Scaled to units of the last
// kept place a half is N + 1/2 and shows as N + 1; just below it shows as N.
// The expected text is built from N with integer arithmetic.
void TestValueFormat::halves_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<bool>("grouped");
    QTest::addColumn<QString>("expected");

    struct Style { const char *locale; QString point, group; };
    const Style styles[] = {{"en_US", ".", ","}, {"pl_PL", ",", QString(QChar(0x00A0))}};
    for (int digits = 1; digits <= 9; ++digits) {
        const qint64 integer = QByteArray("123456785").left(digits).toLongLong();
        for (int places = 0; places <= 4; ++places) {
            // 8 significant digits: a long integer part keeps fewer places.
            const int kept = std::min(places, 8 - digits);
            qint64 unit = 1, five = 5; // 10^kept and 5^(kept + 1)
            for (int i = 0; i < kept; ++i) {
                unit *= 10;
                five *= 5;
            }
            // 2^-(kept + 1) is five / (10 * unit); with 9 digits the half is the final 5.
            const double half = kept < 0 ? double(integer) : integer + std::ldexp(1.0, -(kept + 1));
            const qint64 below = kept < 0 ? integer / 10 : integer * unit + five / 10;
            for (bool up : {true, false}) {
                const QString n = QString::number(up ? below + 1 : below);
                for (const Style &style : styles) {
                    for (bool grouped : {false, true}) {
                        QString text;
                        if (kept < 0) {
                            text = n.left(1) + style.point + n.mid(1) + "E+08";
                        } else {
                            QString whole = n.chopped(kept);
                            for (int i = int(whole.size()) - 3; grouped && i > 0; i -= 3)
                                whole.insert(i, style.group);
                            text = whole;
                            if (places > 0)
                                text += style.point + n.right(kept) + QString(places - kept, '0');
                        }
                        const double value = up ? half : std::nextafter(half, 0.0);
                        for (double sign : {1.0, -1.0}) {
                            QTest::addRow("%.17g at %d %s%s", sign * value, places, style.locale,
                                          grouped ? " grouped" : "")
                                << sign * value << places << style.locale << grouped
                                << (sign < 0 ? "-" : "") + text;
                        }
                    }
                }
            }
        }
    }
}

void TestValueFormat::halves()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, locale);
    QFETCH(bool, grouped);
    QFETCH(QString, expected);
    const QLocale l(locale);
    QCOMPARE(grouped ? formatGrouped(value, decimals, l) : formatFixed(value, decimals, l), expected);
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
