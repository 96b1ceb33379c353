#pragma once

#include <QWidget>

// The sensor calibration information window (FormCalib). No control opens it.
class SensorCalibrationWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SensorCalibrationWindow(QWidget *parent = nullptr);
};
