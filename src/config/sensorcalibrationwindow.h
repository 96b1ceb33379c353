#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class SensorCalibrationWindow;
}

// The sensor calibration information window (FormCalib): one line of text.
// Created at start-up; no control opens it.
class SensorCalibrationWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SensorCalibrationWindow(QWidget *parent = nullptr);
    ~SensorCalibrationWindow() override;

private:
    std::unique_ptr<Ui::SensorCalibrationWindow> ui;
};
