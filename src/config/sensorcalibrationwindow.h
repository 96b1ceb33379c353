#pragma once

#include "reportedsettings.h"
#include "sensorcalibration.h"
#include "tenssettings.h"

#include <QDialog>

#include <memory>

namespace Ui {
class SensorCalibrationWindow;
}
class ModuleSession;
class SensorSettingsPage;
struct LiveDisplay;

// The sensor calibration window (FormCalib), opened by Btn_TensCalibrate:
// choose a sensor, zero it unloaded, load it with a known load, and write
// the rated output that makes the reading equal the load. The write goes
// through the sensor page, as Save sends it. Modal, never blocking; its
// captions are the store's FormCalib rows, applied by the language switch,
// and its messages are looked up when shown. GUI thread only.
class SensorCalibrationWindow : public QDialog
{
    Q_OBJECT
public:
    SensorCalibrationWindow(const ModuleSession &session, SensorSettingsPage &page, QWidget *parent = nullptr);
    ~SensorCalibrationWindow() override;

    void showOrRaise();
    // The live value and the proposal, from the display tick.
    void showLive(const LiveDisplay &display);

    // Handlers of the window's buttons.
    void zeroSensor();
    void writeRatedOutput();

protected:
    void showEvent(QShowEvent *event) override;

private:
    int input() const; // 1..4
    void refreshProposal();
    // For the chosen sensor and the latest frame.
    RatedOutputProposal proposalFor(const TensSettings &reported, float knownLoad) const;
    void refuse(const QString &text);
    void endPendingWrite(const QString &status);
    void onWriteAcknowledged();
    void onConnectionLost();
    void onNotAnswered(quint8 code);

    std::unique_ptr<Ui::SensorCalibrationWindow> ui;
    const ModuleSession &m_session;
    const ReportedSettings m_reported;
    SensorSettingsPage &m_page;
    bool m_writePending = false; // sent, not yet acknowledged
};
