#include "chartoutput.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QSvgGenerator>
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

PictureTarget pictureTarget(const QString &chosen)
{
    static const std::pair<QString, PictureFormat> Extensions[] = {
        {QStringLiteral(".bmp"), PictureFormat::Bmp}, {QStringLiteral(".png"), PictureFormat::Png},
        {QStringLiteral(".svg"), PictureFormat::Svg}, {QStringLiteral(".pdf"), PictureFormat::Pdf},
        {QStringLiteral(".csv"), PictureFormat::Csv}};
    const QString name = QFileInfo(chosen).fileName();
    for (const auto &[extension, format] : Extensions) {
        if (name.endsWith(extension, Qt::CaseInsensitive))
            return {chosen, format};
    }
    return {chosen + Extensions[0].first, PictureFormat::Bmp};
}

namespace {

// Draws the chart with vector output's painter settings onto a begun device.
bool drawVectors(QCustomPlot &plot, QPaintDevice *device)
{
    QCPPainter painter;
    if (!painter.begin(device))
        return false;
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    plot.toPainter(&painter, plot.width(), plot.height());
    return painter.end();
}

bool writeRaster(QCustomPlot &plot, QIODevice *out, const char *format, QString *reason)
{
    const QImage image = plot.toPixmap(plot.width(), plot.height(), plot.devicePixelRatioF())
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    QImageWriter writer(out, format);
    if (writer.write(image))
        return true;
    *reason = writer.errorString();
    return false;
}

bool writeSvg(QCustomPlot &plot, QIODevice *out)
{
    QSvgGenerator svg;
    svg.setOutputDevice(out);
    svg.setSize(plot.size());
    svg.setViewBox(QRect(QPoint(0, 0), plot.size()));
    svg.setTitle(JobTitle);
    return drawVectors(plot, &svg);
}

// One page of the chart's size, a pixel to a point.
bool writePdf(QCustomPlot &plot, QIODevice *out)
{
    QPdfWriter pdf(out);
    pdf.setResolution(72);
    pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(plot.size()), QPageSize::Point),
                                  QPageLayout::Portrait, QMarginsF()));
    pdf.setTitle(JobTitle);
    return drawVectors(plot, &pdf);
}

} // namespace

std::optional<QString> savePicture(QCustomPlot &plot, const QString &fileName,
                                   PictureFormat format)
{
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true); // a writable file in a directory that isn't
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QString reason;
    bool written = false;
    switch (format) {
    case PictureFormat::Bmp:
        written = writeRaster(plot, &file, "bmp", &reason);
        break;
    case PictureFormat::Png:
        written = writeRaster(plot, &file, "png", &reason);
        break;
    case PictureFormat::Svg:
        written = writeSvg(plot, &file);
        break;
    case PictureFormat::Pdf:
        written = writePdf(plot, &file);
        break;
    case PictureFormat::Csv:
        break;
    }
    if (!written || file.error() != QFileDevice::NoError) {
        if (file.error() != QFileDevice::NoError)
            reason = file.errorString();
        else if (reason.isEmpty())
            reason = QStringLiteral("The picture could not be drawn.");
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace ChartOutput
