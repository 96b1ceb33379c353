#pragma once

#include <QRect>
#include <QString>

#include <optional>

class QCPPainter;
class QCustomPlot;
class QPrinter;

// Putting the chart on paper or into a picture file. GUI thread only.
namespace ChartOutput {

// The print job's title: the chart's name.
inline const QString JobTitle = QStringLiteral("Chart1");
// File dialog filter: "Bitmap" first, its pattern without a full stop.
inline const QString PictureFilter = QStringLiteral(
    "Bitmap (*bmp);;PNG (*.png);;SVG (*.svg);;PDF (*.pdf);;Points (CSV) (*.csv)");

enum class PictureFormat { Bmp, Png, Svg, Pdf, Csv };
struct PictureTarget {
    QString fileName;
    PictureFormat format = PictureFormat::Bmp;
    bool operator==(const PictureTarget &o) const
    {
        return fileName == o.fileName && format == o.format;
    }
};

// Where the chart goes on a printable area of the given size, in device
// pixels: 10 % in from left and right, 15 % from top and bottom.
QRect printRect(const QSize &printable);

// Draws the whole chart, as it is on screen, stretched onto the target
// rectangle of an active painter, without keeping its proportions.
void drawChart(QCustomPlot &plot, QCPPainter &painter, const QRect &target);

// Prints the chart, as it is on screen, stretched into printRect() of the
// printer's printable area, as one job titled JobTitle. Returns the
// rectangle used. Throws std::runtime_error when there is no printer or the
// job fails; a started job is abandoned then.
QRect printChart(QCustomPlot &plot, QPrinter &printer);

// A chosen name ending in ".bmp", ".png", ".svg", ".pdf" or ".csv", in any
// letter case, is written in that format under that name; any other gets
// ".bmp" appended and is a bitmap. The filter chosen with it does not count.
PictureTarget pictureTarget(const QString &chosen);

// Draws the chart afresh at its on-screen pixel size, legend included, and
// writes it as a BMP, PNG, SVG or PDF file (one page of that size in
// points), replacing one of that name. On failure nothing is replaced and
// the system's reason is returned. Csv is PointsFile's, not this.
std::optional<QString> savePicture(QCustomPlot &plot, const QString &fileName,
                                   PictureFormat format);

} // namespace ChartOutput
