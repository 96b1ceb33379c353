#pragma once

#include <QDialog>

// The analog output calibration dialog (FormAnCalib).
class AnalogCalibrationDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AnalogCalibrationDialog(QWidget *parent = nullptr);
};
