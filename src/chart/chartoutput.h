#pragma once

#include <QRect>
#include <QString>

#include <optional>

class QCPPainter;
class QCustomPlot;
class QPrinter;

// Putting the chart on paper or into a bitmap file. GUI thread only.
namespace ChartOutput {

// The print job's title: the chart's name.
inline const QString JobTitle = QStringLiteral("Chart1");
// File dialog filter: one choice, "Bitmap", pattern without a full stop.
inline const QString BitmapFilter = QStringLiteral("Bitmap (*bmp)");

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

// The chosen name with ".bmp" appended unless it ends so already, in any
// letter case.
QString bitmapFileName(const QString &chosen);

// Draws the chart afresh at its on-screen pixel size and writes it as a BMP
// file, replacing one of that name. On failure nothing is written and the
// system's reason is returned.
std::optional<QString> saveBitmap(QCustomPlot &plot, const QString &fileName);

} // namespace ChartOutput
