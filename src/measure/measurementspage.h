#pragma once

#include "livedisplay.h"

#include <QWidget>

#include <array>
#include <memory>

namespace Ui {
class MeasurementsPage;
}
class QLabel;
class QProgressBar;
class ModuleSession;

// The Measurements page (TabSheet1): shows what the display tick hands it
// (the texts and bar rules live in liveDisplay()), sets the session's chosen
// value, and sends tare and min/max reset. GUI thread only.
class MeasurementsPage : public QWidget
{
    Q_OBJECT
public:
    explicit MeasurementsPage(ModuleSession &session, QWidget *parent = nullptr);
    ~MeasurementsPage() override;

    void showLive(const LiveDisplay &display);
    void tare();        // BtnTara
    void resetMinMax(); // Btn_ResetMinMax

    // The checked radio button, tested in the order Suma, Czujnik 1..4.
    DisplayChoice chosenValue() const;

signals:
    void bigWindowRequested(); // Bit_BigWindow

private:
    std::unique_ptr<Ui::MeasurementsPage> ui;
    ModuleSession &m_session;
    std::array<QLabel *, 4> m_inputLabels{};   // DisplayTens1..4
    std::array<QProgressBar *, 4> m_inputBars{}; // PBTens1..4
};
