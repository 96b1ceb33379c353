#include "sensorcalibrationwindow.h"

SensorCalibrationWindow::SensorCalibrationWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormCalib"));
    setWindowTitle(QStringLiteral("FormCalib"));
}
