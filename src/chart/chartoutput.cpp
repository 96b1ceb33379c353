#include "chartoutput.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPrinter>
#include <QSaveFile>
#include <qcustomplot.h>

#include <stdexcept>

namespace ChartOutput {

QRect printRect(const QSize &printable)
{
    const int w = printable.width();
    const int h = printable.height();
    const int left = w * 10 / 100, right = w * 90 / 100;
    const int top = h * 15 / 100, bottom = h * 85 / 100;
    return QRect(left, top, right - left, bottom - top);
}

void drawChart(QCustomPlot &plot, QCPPainter &painter, const QRect &target)
{
    painter.save();
    painter.setWindow(0, 0, plot.width(), plot.height());
    painter.setViewport(target);
    plot.toPainter(&painter, plot.width(), plot.height());
    painter.restore();
}

QRect printChart(QCustomPlot &plot, QPrinter &printer)
{
    // Without a printer Qt falls back to PDF output with no file, and a
    // painter begun on that leaves the printer stuck in an active state.
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty())
        throw std::runtime_error("There is no printer to print on.");

    printer.setDocName(JobTitle);
    const QRect target =
        printRect(printer.pageLayout().paintRectPixels(printer.resolution()).size());

    QCPPainter painter;
    if (!painter.begin(&printer)) {
        const QString where =
            printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName();
        throw std::runtime_error(
            QStringLiteral("Printing on %1 could not start.").arg(where).toStdString());
    }
    painter.setMode(QCPPainter::pmVectorized);
    drawChart(plot, painter, target);
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        printer.abort();
        throw std::runtime_error("Printing the chart failed.");
    }
    return target;
}

QString bitmapFileName(const QString &chosen)
{
    static const QString Extension = QStringLiteral(".bmp");
    if (QFileInfo(chosen).fileName().endsWith(Extension, Qt::CaseInsensitive))
        return chosen;
    return chosen + Extension;
}

std::optional<QString> saveBitmap(QCustomPlot &plot, const QString &fileName)
{
    const QImage image = plot.toPixmap(plot.width(), plot.height(), plot.devicePixelRatioF())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true); // a writable file in a directory that isn't
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QImageWriter writer(&file, "bmp");
    if (!writer.write(image)) {
        const QString reason =
            file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace ChartOutput
