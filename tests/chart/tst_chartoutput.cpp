// Chart output rules: the print rectangle, the picture name, the axis labels,
// printing into a PDF file, the picture files and the points file.
#include "chartoutput.h"
#include "chartplot.h"
#include "pointsfile.h"
#include "samplestore.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>
#include <stdexcept>

Q_DECLARE_METATYPE(ChartOutput::PictureFormat)

class TestChartOutput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void printRect_data();
    void printRect();
    void pictureTarget_data();
    void pictureTarget();
    void axisLabel_data();
    void axisLabel();
    void drawnStretchedOntoTheRectangle();
    void printsIntoAPdf();
    void noPrinterIsAnError();
    void unwritableOutputIsAnError();
    void picturesWrittenAndReadBack_data();
    void picturesWrittenAndReadBack();
    void unwritablePictureIsAnError();
    void pointLines_data();
    void pointLines();
    void pointsWrittenAndReadBack();
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

void TestChartOutput::pictureTarget_data()
{
    using F = ChartOutput::PictureFormat;
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::addColumn<F>("format");

    QTest::newRow("no extension") << "/tmp/wykres" << "/tmp/wykres.bmp" << F::Bmp;
    QTest::newRow(".bmp") << "/tmp/wykres.bmp" << "/tmp/wykres.bmp" << F::Bmp;
    QTest::newRow(".BMP kept") << "/tmp/wykres.BMP" << "/tmp/wykres.BMP" << F::Bmp;
    QTest::newRow(".Bmp kept") << "wykres.Bmp" << "wykres.Bmp" << F::Bmp;
    QTest::newRow(".png") << "/tmp/wykres.png" << "/tmp/wykres.png" << F::Png;
    QTest::newRow(".PNG") << "/tmp/wykres.PNG" << "/tmp/wykres.PNG" << F::Png;
    QTest::newRow(".svg") << "/tmp/wykres.svg" << "/tmp/wykres.svg" << F::Svg;
    QTest::newRow(".sVg") << "/tmp/wykres.sVg" << "/tmp/wykres.sVg" << F::Svg;
    QTest::newRow(".pdf") << "/tmp/wykres.pdf" << "/tmp/wykres.pdf" << F::Pdf;
    QTest::newRow(".Pdf") << "/tmp/wykres.Pdf" << "/tmp/wykres.Pdf" << F::Pdf;
    QTest::newRow(".csv") << "/tmp/punkty.csv" << "/tmp/punkty.csv" << F::Csv;
    QTest::newRow(".CSV") << "/tmp/punkty.CSV" << "/tmp/punkty.CSV" << F::Csv;
    QTest::newRow("other extension") << "/tmp/wykres.jpg" << "/tmp/wykres.jpg.bmp" << F::Bmp;
    QTest::newRow("png without full stop") << "/tmp/wykrespng" << "/tmp/wykrespng.bmp" << F::Bmp;
    QTest::newRow("full stop in a folder") << "/tmp/a.png/wykres" << "/tmp/a.png/wykres.bmp"
                                           << F::Bmp;
    QTest::newRow("two extensions") << "/tmp/wykres.csv.txt" << "/tmp/wykres.csv.txt.bmp"
                                    << F::Bmp;
    QTest::newRow("last extension counts") << "/tmp/wykres.bmp.pdf" << "/tmp/wykres.bmp.pdf"
                                           << F::Pdf;
    QTest::newRow("only an extension") << "/tmp/.svg" << "/tmp/.svg" << F::Svg;
}

void TestChartOutput::pictureTarget()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QFETCH(ChartOutput::PictureFormat, format);
    const ChartOutput::PictureTarget target = ChartOutput::pictureTarget(chosen);
    QCOMPARE(target.fileName, written);
    QCOMPARE(target.format, format);
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

void TestChartOutput::picturesWrittenAndReadBack_data()
{
    using F = ChartOutput::PictureFormat;
    QTest::addColumn<F>("format");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");    // of the file
    QTest::addColumn<QByteArray>("contains"); // the size, in the format's words

    QTest::newRow("BMP") << F::Bmp << "w.bmp" << QByteArray("BM") << QByteArray();
    QTest::newRow("PNG") << F::Png << "w.png" << QByteArray("\x89PNG") << QByteArray();
    QTest::newRow("SVG") << F::Svg << "w.svg" << QByteArray("<?xml")
                         << QByteArray("viewBox=\"0 0 652 348\"");
    QTest::newRow("PDF") << F::Pdf << "w.pdf" << QByteArray("%PDF")
                         << QByteArray("/MediaBox [0 0 652");
}

// The chart at its on-screen size with the legend, in each format; a file
// of that name is replaced.
void TestChartOutput::picturesWrittenAndReadBack()
{
    QFETCH(ChartOutput::PictureFormat, format);
    QFETCH(QString, name);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, contains);

    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();
    ChartPlot plot;
    plot.resize(652, 348);
    plot.setLineTitles({"Czujnik 1", "Czujnik 2", "Czujnik 3", "Czujnik 4", "Suma"});
    for (int i = 0; i < 100; ++i)
        plot.appendSample(i * 0.1, {double(i), 1, 2, 3, 4});
    plot.setTimeRange({0, 10});
    plot.setValueRange({-1, 101});

    QCOMPARE(ChartOutput::savePicture(plot, path, format), std::nullopt);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith(start));
    QVERIFY2(bytes.contains(contains), bytes.left(600).constData());
    if (format == ChartOutput::PictureFormat::Bmp || format == ChartOutput::PictureFormat::Png) {
        QImage image;
        QVERIFY(image.loadFromData(bytes));
        QCOMPARE(image.size(), QSize(652, 348));
    }
    if (format == ChartOutput::PictureFormat::Svg)
        QVERIFY(bytes.contains("Czujnik 1")); // the legend, as text
}

void TestChartOutput::unwritablePictureIsAnError()
{
    QTemporaryDir dir;
    ChartPlot plot;
    plot.resize(652, 348);
    for (auto format : {ChartOutput::PictureFormat::Png, ChartOutput::PictureFormat::Svg,
                        ChartOutput::PictureFormat::Pdf}) {
        const std::optional<QString> reason =
            ChartOutput::savePicture(plot, dir.filePath("missing/w"), format);
        QVERIFY(reason);
        QVERIFY2(reason->contains("No such file or directory"), qPrintable(*reason));
    }
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestChartOutput::pointLines_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("x");
    QTest::addColumn<float>("first");
    QTest::addColumn<QString>("line");

    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QLocale pl(QLocale::Polish, QLocale::Poland);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    QTest::newRow("English, one place") << en << 1 << 0.0125 << 1234.56f
                                        << "0.0125;1234.6;-2.0;0.3;1000.0;0.0";
    QTest::newRow("Polish comma, no group separator")
        << pl << 2 << 3599.9875 << 1234.56f << "3599,9875;1234,56;-2,00;0,30;1000,00;0,00";
    QTest::newRow("no places") << pl << 0 << 10.0 << 7.4f << "10;7;-2;0;1000;0";
    QTest::newRow("four places") << en << 4 << 0.1 << 0.5f << "0.1;0.5000;-2.0000;0.3000;1000.0000;0.0000";
    QTest::newRow("a value that can't be drawn") << en << 1 << 1.0 << nan << "1;;-2.0;0.3;1000.0;0.0";
}

void TestChartOutput::pointLines()
{
    QFETCH(QLocale, locale);
    QFETCH(int, decimals);
    QFETCH(double, x);
    QFETCH(float, first);
    QFETCH(QString, line);
    QCOMPARE(PointsFile::line(x, {first, -2.0f, 0.3f, 1000.0f, 0.0f}, decimals, locale), line);
}

// Every kept sample, across blocks, after the header; CR LF line ends.
void TestChartOutput::pointsWrittenAndReadBack()
{
    SampleStore store;
    const qsizetype count = SampleStore::BlockSize + 5;
    for (qsizetype i = 0; i < count; ++i)
        store.append(double(i) * 0.5, {double(i), -1.25, 2, 3, 4});
    const QStringList english{"Sensor 1", "Sensor 2", "Sensor 3", "Sensor 4", "Sum"};
    QTemporaryDir dir;
    const QString path = dir.filePath("points.csv");

    QCOMPARE(PointsFile::write(path, store, english, 2, QLocale(QLocale::Polish)), std::nullopt);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), int(count) + 2); // and the empty piece after the last line end
    QCOMPARE(lines.first(), QByteArray("Time [s];Sensor 1;Sensor 2;Sensor 3;Sensor 4;Sum\r"));
    QCOMPARE(lines[1], QByteArray("0;0,00;-1,25;2,00;3,00;4,00\r"));
    QCOMPARE(lines[2], QByteArray("0,5;1,00;-1,25;2,00;3,00;4,00\r"));
    QCOMPARE(lines[int(count)], QByteArray("4098;8196,00;-1,25;2,00;3,00;4,00\r"));
    QVERIFY(lines.last().isEmpty());

    QCOMPARE(PointsFile::header({"Czujnik 1", "Czujnik 2", "Czujnik 3", "Czujnik 4", "Suma"}),
             QString("Time [s];Czujnik 1;Czujnik 2;Czujnik 3;Czujnik 4;Suma"));
    QVERIFY(PointsFile::write(dir.filePath("missing/points.csv"), store, english, 2, QLocale()));
}

QTEST_MAIN(TestChartOutput)
#include "tst_chartoutput.moc"
