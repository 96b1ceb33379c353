#pragma once

#include "livevalues.h"
#include "othersettings.h"
#include "simdevice.h"
#include "tenssettings.h"

#include <chrono>
#include <optional>
#include <random>
#include <vector>

// The module's side of the protocol: identity, measurement frames with
// live-looking loads, settings stored and read back, acknowledgements,
// zero and tare, minimum/maximum, factory settings, the switching outputs
// evaluated from their rules, the analog output from its source and scale,
// and the analog output calibration.
class SimulatedModule : public SimDevice
{
public:
    static constexpr quint8 VersionHundredths = 110;

    explicit SimulatedModule(const QString &path = QStringLiteral("sim:klv57"),
                             HidReportLengths lengths = {65, 65, true, false});

    static TensSettings factorySensorSettings();
    static OtherSettings factoryIoSettings();
    // The rated output a cell (input 1..4) really has, mV/V: a reading is
    // the load times this over the rated output set.
    static float trueRatedOutput(int input);

    // Test knobs; any thread.
    void setSilent(bool silent);                  // answer nothing at all
    // Answers to this command code are held back (none: every answer goes
    // out); releaseWithheld() hands the held ones to the reader, late.
    void withholdAnswersTo(std::optional<quint8> code);
    void releaseWithheld();
    int withheldAnswers() const;
    void setAnalogOutVariant(quint8 variant);
    void setIdentification(const QByteArray &text);
    // Every cell's moving load times this: a second module reads apart
    // from the first.
    void setLoadScale(float scale);
    void setFixedFrame(std::optional<LiveValues> frame); // frames carry exactly this
    // A steady load on one cell (input 1..4), without swing or noise; none
    // gives the moving load back.
    void setLoad(int input, std::optional<float> newtons);
    TensSettings sensorSettings() const;
    OtherSettings ioSettings() const;

protected:
    void handleOutputReport(const QByteArray &report) override;

private:
    void answer(const QByteArray &payload); // lock held
    void acknowledge(quint8 code) { answer(QByteArray(1, char(code))); }
    LiveValues measure();                   // lock held
    float rawLoadN(int input, double seconds);
    float reading(int input, float loadN) const; // by the rated output set
    float inUnit(float newtons) const;
    float analogOutput(const LiveValues &values) const;
    bool outputOn(const OutputRule &rule, const LiveValues &values) const;

    TensSettings m_sensor;
    OtherSettings m_io;
    quint8 m_analogOutVariant = 0;
    QByteArray m_identification;
    bool m_silent = false;
    std::optional<quint8> m_withheldCode;
    std::vector<QByteArray> m_withheld;
    std::optional<LiveValues> m_fixedFrame;
    std::optional<float> m_steadyLoadN[4];
    float m_loadScale = 1.0f;

    float m_zeroOffsetN[4] = {0, 0, 0, 0};
    float m_tare = 0.0f;
    std::optional<float> m_min, m_max;
    std::optional<float> m_forcedOutput; // calibration in progress
    float m_lastRawN[4] = {0, 0, 0, 0};
    float m_lastSum = 0.0f;

    std::chrono::steady_clock::time_point m_start;
    std::minstd_rand m_noise{57};
};
