#include "sensorcalibrationwindow.h"

#include "ui_sensorcalibrationwindow.h"

SensorCalibrationWindow::SensorCalibrationWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::SensorCalibrationWindow>())
{
    ui->setupUi(this);
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);
}

SensorCalibrationWindow::~SensorCalibrationWindow() = default;
