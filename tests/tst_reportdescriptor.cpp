#include "hidreportdescriptor.h"

#include <QTest>

Q_DECLARE_METATYPE(HidReportLengths)

class TestReportDescriptor : public QObject
{
    Q_OBJECT
private slots:
    void lengths_data();
    void lengths();
};

void TestReportDescriptor::lengths_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("output");
    QTest::addColumn<bool>("numbered");
    QTest::addColumn<bool>("tooLong");

    // Vendor page, report ID 1, 64 bytes in, 64 bytes out.
    QTest::newRow("module")
        << QByteArray::fromHex("0600ff0901a101" "8501" "150026ff007508" "9540" "0901" "8102"
                               "9540" "0901" "9102" "c0")
        << 65 << 65 << true << false;
    // The same without report IDs: Windows still counts one byte for ID 0.
    QTest::newRow("unnumbered")
        << QByteArray::fromHex("0600ff0901a101" "150026ff007508" "9540" "0901" "8102" "9520" "0901"
                               "9102" "c0")
        << 65 << 33 << false << false;
    // Two input reports: the longest counts.
    QTest::newRow("two reports")
        << QByteArray::fromHex("0600ff0901a101" "7508" "8501" "9510" "8102" "8502" "9530" "8102"
                               "c0")
        << 49 << 0 << true << false;
    // Push/pop keep the report size of the outer scope.
    QTest::newRow("push pop")
        << QByteArray::fromHex("0600ff0901a101" "8501" "7508" "a4" "7501" "b4" "9540" "8102" "c0")
        << 65 << 0 << true << false;
    QTest::newRow("truncated item") << QByteArray::fromHex("0600") << 0 << 0 << false << false;
    QTest::newRow("long item skipped")
        << QByteArray::fromHex("0600ff0901a101" "fe0201abcd" "7508" "9540" "8102" "c0") << 65 << 0
        << false << false;
    QTest::newRow("long item cut short")
        << QByteArray::fromHex("0600ff0901a101" "7508" "9540" "8102" "fe0501abcd") << 0 << 0 << false
        << false;
    QTest::newRow("empty") << QByteArray() << 0 << 0 << false << false;
    // Hostile sizes: refused, never a wrapped or negative length.
    QTest::newRow("count 0x7fffffff")
        << QByteArray::fromHex("0600ff0901a101" "7508" "97ffffff7f" "8102" "c0") << 0 << 0 << false
        << true;
    QTest::newRow("size and count at 32-bit maximum")
        << QByteArray::fromHex("0600ff0901a101" "77ffffffff" "97ffffffff" "8102" "8102" "9102" "c0")
        << 0 << 0 << false << true;
    QTest::newRow("output of 312 MB")
        << QByteArray::fromHex("0600ff0901a101" "7508" "97000000" "13" "9102" "c0") << 0 << 0
        << false << true;
    QTest::newRow("4096 bytes with the ID is the limit")
        << QByteArray::fromHex("0600ff0901a101" "7508" "96ff0f" "8102" "c0") << 4096 << 0 << false
        << false;
    QTest::newRow("4097 bytes is refused")
        << QByteArray::fromHex("0600ff0901a101" "7508" "960010" "8102" "c0") << 0 << 0 << false
        << true;
}

void TestReportDescriptor::lengths()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(int, input);
    QFETCH(int, output);
    QFETCH(bool, numbered);
    QFETCH(bool, tooLong);
    HidReportLengths lengths = parseReportDescriptor(descriptor);
    QCOMPARE(lengths.input, input);
    QCOMPARE(lengths.output, output);
    QCOMPARE(lengths.numbered, numbered);
    QCOMPARE(lengths.tooLong, tooLong);
}

QTEST_GUILESS_MAIN(TestReportDescriptor)
#include "tst_reportdescriptor.moc"
