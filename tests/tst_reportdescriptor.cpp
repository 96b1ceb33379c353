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

    // Vendor page, report ID 1, 64 bytes in, 64 bytes out.
    QTest::newRow("module")
        << QByteArray::fromHex("0600ff0901a101" "8501" "150026ff007508" "9540" "0901" "8102"
                               "9540" "0901" "9102" "c0")
        << 65 << 65 << true;
    // The same without report IDs: Windows still counts one byte for ID 0.
    QTest::newRow("unnumbered")
        << QByteArray::fromHex("0600ff0901a101" "150026ff007508" "9540" "0901" "8102" "9520" "0901"
                               "9102" "c0")
        << 65 << 33 << false;
    // Two input reports: the longest counts.
    QTest::newRow("two reports")
        << QByteArray::fromHex("0600ff0901a101" "7508" "8501" "9510" "8102" "8502" "9530" "8102"
                               "c0")
        << 49 << 0 << true;
    // Push/pop keep the report size of the outer scope.
    QTest::newRow("push pop")
        << QByteArray::fromHex("0600ff0901a101" "8501" "7508" "a4" "7501" "b4" "9540" "8102" "c0")
        << 65 << 0 << true;
    QTest::newRow("truncated item") << QByteArray::fromHex("0600") << 0 << 0 << false;
    QTest::newRow("empty") << QByteArray() << 0 << 0 << false;
}

void TestReportDescriptor::lengths()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(int, input);
    QFETCH(int, output);
    QFETCH(bool, numbered);
    HidReportLengths lengths = parseReportDescriptor(descriptor);
    QCOMPARE(lengths.input, input);
    QCOMPARE(lengths.output, output);
    QCOMPARE(lengths.numbered, numbered);
}

QTEST_GUILESS_MAIN(TestReportDescriptor)
#include "tst_reportdescriptor.moc"
