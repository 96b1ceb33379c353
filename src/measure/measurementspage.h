#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class BigDisplayWindow;
class DeviceLink;
class DeviceProtocol;
struct DisplayState;

// The Measurements page (TabSheet1) and the display tick that paints the
// live values every 50 ms. GUI thread only.
class MeasurementsPage : public QWidget
{
    Q_OBJECT
public:
    // Controls on other windows and pages that the display tick writes too.
    struct Mirrors {
        QLabel *valTens[4] = {nullptr, nullptr, nullptr, nullptr}; // Label_ValTens1..4
        QLineEdit *out1Status = nullptr;                           // Out1Status
        QLineEdit *out2Status = nullptr;                           // Out2Status
        BigDisplayWindow *bigDisplay = nullptr;                    // FormBigDisplay
        std::function<int()> decimalPlaces;                        // Cb_Decp item index
    };

    MeasurementsPage(DeviceLink *link, DeviceProtocol *protocol, const DisplayState *state,
                     QWidget *parent = nullptr);

    void setMirrors(const Mirrors &mirrors) { m_mirrors = mirrors; }

    void DisplayDataTimer();
    void BtnTaraClick();
    void Btn_ResetMinMaxClick();
    void Bit_BigWindowClick();

private:
    DeviceLink *m_link;
    DeviceProtocol *m_protocol;
    const DisplayState *m_state;
    Mirrors m_mirrors;
};
