#include "analogcalibrationdialog.h"

AnalogCalibrationDialog::AnalogCalibrationDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAnCalib"));
    setWindowTitle(QStringLiteral("Wyjście analogowe - kalibracja"));
}
