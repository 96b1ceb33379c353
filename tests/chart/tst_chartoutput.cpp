// Chart output rules: the print rectangle, the bitmap name, the axis labels,
// and printing into a PDF file.
#include "chartoutput.h"
#include "chartplot.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

class TestChartOutput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void printRect_data();
    void printRect();
    void bitmapFileName_data();
    void bitmapFileName();
    void axisLabel_data();
    void axisLabel();
    void drawnStretchedOntoTheRectangle();
    void printsIntoAPdf();
    void noPrinterIsAnError();
    void unwritableOutputIsAnError();
};

void TestChartOutput::printRect_data()
{
    QTest::addColumn<QSize>("printable");
    QTest::addColumn<QRect>("rect");

    QTest::newRow("A4 portrait at 96 dpi") << QSize(767, 1097) << QRect(76, 164, 614, 768);
    QTest::newRow("A4 landscape at 96 dpi") << QSize(1097, 767) << QRect(109, 115, 878, 536);
    QTest::newRow("round numbers") << QSize(1000, 2000) << QRect(100, 300, 800, 1400);
    QTest::newRow("A4 at 600 dpi") << QSize(4760, 6814) << QRect(476, 1022, 3808, 4769);
}

void TestChartOutput::printRect()
{
    QFETCH(QSize, printable);
    QFETCH(QRect, rect);
    QCOMPARE(ChartOutput::printRect(printable), rect);
}

void TestChartOutput::bitmapFileName_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");

    QTest::newRow("no extension") << "/tmp/wykres" << "/tmp/wykres.bmp";
    QTest::newRow(".bmp") << "/tmp/wykres.bmp" << "/tmp/wykres.bmp";
    QTest::newRow(".BMP kept") << "/tmp/wykres.BMP" << "/tmp/wykres.BMP";
    QTest::newRow(".Bmp kept") << "wykres.Bmp" << "wykres.Bmp";
    QTest::newRow("other extension") << "/tmp/wykres.png" << "/tmp/wykres.png.bmp";
    QTest::newRow("bmp without full stop") << "/tmp/wykresbmp" << "/tmp/wykresbmp.bmp";
    QTest::newRow("full stop in a folder") << "/tmp/a.bmp/wykres" << "/tmp/a.bmp/wykres.bmp";
    QTest::newRow("two extensions") << "/tmp/wykres.bmp.txt" << "/tmp/wykres.bmp.txt.bmp";
}

void TestChartOutput::bitmapFileName()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QCOMPARE(ChartOutput::bitmapFileName(chosen), written);
}

void TestChartOutput::axisLabel_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QLocale pl(QLocale::Polish, QLocale::Poland);
    QTest::newRow("zero") << en << 0.0 << "0";
    QTest::newRow("whole") << en << 10.0 << "10";
    QTest::newRow("no trailing zeros") << en << 2.5 << "2.5";
    QTest::newRow("five decimals") << en << 0.0125 << "0.0125";
    QTest::newRow("rounded to five") << en << 1.0000049 << "1";
    QTest::newRow("rounded up") << en << 0.123456 << "0.12346";
    QTest::newRow("sum of tenths") << en << 0.30000000000000004 << "0.3";
    QTest::newRow("negative") << en << -1.5 << "-1.5";
    QTest::newRow("tiny negative") << en << -0.000001 << "0";
    QTest::newRow("no thousands separator") << en << 3600.0 << "3600";
    QTest::newRow("Polish comma") << pl << 3599.9875 << "3599,9875";
}

void TestChartOutput::axisLabel()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(ChartPlot::axisLabel(value, locale), text);
}

// Drawn onto an image: the chart fills exactly the rectangle, stretched
// unevenly, and nothing lands outside it.
void TestChartOutput::drawnStretchedOntoTheRectangle()
{
    ChartPlot plot;
    plot.resize(652, 348);
    QImage image(1000, 1500, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRect target = ChartOutput::printRect(image.size());
    QCPPainter painter(&image);
    ChartOutput::drawChart(plot, painter, target);
    painter.end();

    QRect drawn;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                drawn |= QRect(x, y, 1, 1);
        }
    }
    QCOMPARE(drawn, target);
}

void TestChartOutput::printsIntoAPdf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chart.pdf");
    ChartPlot plot;
    plot.resize(652, 348);
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);

    const QRect used = ChartOutput::printChart(plot, printer);

    QCOMPARE(used, ChartOutput::printRect(
                       printer.pageLayout().paintRectPixels(printer.resolution()).size()));
    QCOMPARE(printer.docName(), QString("Chart1"));
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QVERIFY(bytes.contains("/Type /Page"));
}

void TestChartOutput::noPrinterIsAnError()
{
    ChartPlot plot;
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat); // what Qt falls back to without a printer
    printer.setOutputFileName(QString());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, ChartOutput::printChart(plot, printer));

    // The printer is still usable afterwards.
    QTemporaryDir dir;
    printer.setOutputFileName(dir.filePath("later.pdf"));
    ChartOutput::printChart(plot, printer);
    QVERIFY(QFile::exists(dir.filePath("later.pdf")));
}

void TestChartOutput::unwritableOutputIsAnError()
{
    QTemporaryDir dir;
    ChartPlot plot;
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("missing/chart.pdf"));
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, ChartOutput::printChart(plot, printer));
}

QTEST_MAIN(TestChartOutput)
#include "tst_chartoutput.moc"
