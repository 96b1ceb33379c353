#pragma once

// The two settings pages and the calibration dialog over the simulated
// module, wired as the main window wires them, with the start-up steps that
// fill the lists. Message boxes are answered and recorded.
#include "analogcalibrationdialog.h"
#include "dialogs.h"
#include "displaystate.h"
#include "iosettingspage.h"
#include "messagetable.h"
#include "sensorsettingspage.h"
#include "simrig.h"

#include <QSignalSpy>
#include <QWidget>

struct ConfigRig {
    SimRig sim;
    std::shared_ptr<SimulatedModule> module = std::make_shared<SimulatedModule>();
    DisplayState state;
    std::unique_ptr<SensorSettingsPage> sensor;
    std::unique_ptr<IoSettingsPage> io;
    std::unique_ptr<AnalogCalibrationDialog> calibration;
    QList<Dialogs::Message> messages;

    explicit ConfigRig(quint8 analogOutVariant = 0)
    {
        module->setAnalogOutVariant(analogOutVariant);
        sim.backend.add(module);
        sim.start();
        DeviceProtocol *protocol = sim.protocol.get();
        sensor = std::make_unique<SensorSettingsPage>(protocol, &state);
        io = std::make_unique<IoSettingsPage>(protocol, &state,
                                              [this] { return sensor->decimalPlaces(); });
        calibration = std::make_unique<AnalogCalibrationDialog>(protocol);
        io->setCalibrationDialog(calibration.get());
        QObject::connect(protocol, &DeviceProtocol::sensorSettingsReceived, sensor.get(),
                         &SensorSettingsPage::applyReport);
        QObject::connect(protocol, &DeviceProtocol::sensorSettingsWritten, sensor.get(),
                         &SensorSettingsPage::onWriteAcknowledged);
        QObject::connect(protocol, &DeviceProtocol::ioSettingsReceived, io.get(),
                         &IoSettingsPage::applyReport);
        sensor->fillFilterLevels();
        io->fillModbusAddresses();
        sensor->Rb_SpeedHIClick();
        Dialogs::setMessageResponder([this](const Dialogs::Message &m) {
            messages << m;
            return QMessageBox::Ok;
        });
    }

    ~ConfigRig()
    {
        Dialogs::setMessageResponder(nullptr);
        SetActiveLanguage(1);
    }

    // Connected, both settings records read and shown, nothing written since.
    bool waitForStartUp()
    {
        QSignalSpy ioReports(sim.protocol.get(), &DeviceProtocol::ioSettingsReceived);
        if (!QTest::qWaitFor([&] { return ioReports.count() > 0; }, 5000))
            return false;
        module->clearWritten();
        return true;
    }

    // Sends a device report as the module would (report ID first) and waits
    // until it has been handled.
    template <typename Signal> bool deliver(const QByteArray &payload, Signal signal)
    {
        QSignalSpy spy(sim.protocol.get(), signal);
        module->queueInputReport(QByteArray(1, char(ModuleReportId)) + payload);
        return spy.wait(5000) || spy.count() > 0;
    }

    // The payloads written to the module with this command code, in order.
    QList<QByteArray> sent(quint8 code) const
    {
        QList<QByteArray> payloads;
        for (const auto &w : module->written())
            if (w.bytes.size() > 1 && quint8(w.bytes[1]) == code)
                payloads << w.bytes.mid(1, LongPayloadSize);
        return payloads;
    }

    QList<quint8> commands() const { return withoutPolls(writtenCodes(*module)); }

    template <typename T> T *find(QWidget *page, const char *name) const
    {
        T *widget = page->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no %s", name);
        return widget;
    }
};

// Hex with blanks for readability: "8a 00 01" -> bytes.
inline QByteArray hexBytes(QByteArray text)
{
    return QByteArray::fromHex(text.replace(' ', ""));
}
