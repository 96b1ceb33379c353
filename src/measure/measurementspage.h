#pragma once

#include "livedisplay.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

namespace Ui {
class MeasurementsPage;
}
class QLabel;
class QLineEdit;
class QProgressBar;
class BigDisplayWindow;
class DeviceLink;
class DeviceProtocol;
struct DisplayState;

// The Measurements page (TabSheet1) and the display tick that paints the
// live values every 50 ms. The texts and bar rules live in liveDisplay();
// this class only applies them. GUI thread only.
class MeasurementsPage : public QWidget
{
    Q_OBJECT
public:
    // Controls on other windows and pages that the display tick writes too.
    // Any of them may be null (a page not built yet); the tick skips those.
    struct Mirrors {
        QLabel *valTens[4] = {nullptr, nullptr, nullptr, nullptr}; // Label_ValTens1..4
        QLineEdit *out1Status = nullptr;                           // Out1Status
        QLineEdit *out2Status = nullptr;                           // Out2Status
        BigDisplayWindow *bigDisplay = nullptr;                    // FormBigDisplay
        std::function<int()> decimalPlaces;                        // Cb_Decp item index
    };


    MeasurementsPage(DeviceLink *link, DeviceProtocol *protocol, const DisplayState *state,
                     QWidget *parent = nullptr);
    ~MeasurementsPage() override;

    void setMirrors(const Mirrors &mirrors) { m_mirrors = mirrors; }

    void DisplayDataTimer();
    void BtnTaraClick();
    void Btn_ResetMinMaxClick();
    void Bit_BigWindowClick();

    // The checked radio button, tested in the order Suma, Czujnik 1..4.
    DisplayChoice chosenValue() const;

private:
    void apply(const LiveDisplay &display);

    std::unique_ptr<Ui::MeasurementsPage> ui;
    DeviceLink *m_link;
    DeviceProtocol *m_protocol;
    const DisplayState *m_state;
    Mirrors m_mirrors;
    std::array<QLabel *, 4> m_inputLabels{};   // DisplayTens1..4
    std::array<QProgressBar *, 4> m_inputBars{}; // PBTens1..4
};
