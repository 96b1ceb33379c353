#pragma once

// A device link and protocol over the simulated backend, with what they
// showed recorded for the tests.
#include "devicelink.h"
#include "deviceprotocol.h"
#include "protocolcodes.h"
#include "simulatedbackend.h"
#include "simulatedmodule.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>
#include <thread>

struct SimRig {
    SimulatedBackend backend;
    std::unique_ptr<DeviceLink> link;
    std::unique_ptr<DeviceProtocol> protocol;
    QTemporaryDir settingsDir; // windows built on this rig keep their config.ini here
    QStringList statusTexts; // ConnectionStatus texts, in order
    bool statusActive = false;
    QStringList messages;    // Label_Status texts
    QString identity;

    // Creates the link; the forced first device change runs from the event loop.
    void start()
    {
        link = std::make_unique<DeviceLink>(&backend);
        protocol = std::make_unique<DeviceProtocol>(link.get());
        QObject::connect(link.get(), &DeviceLink::connectionStatusChanged,
                         [this](const QString &text, bool active) {
                             statusTexts << text;
                             statusActive = active;
                         });
        QObject::connect(protocol.get(), &DeviceProtocol::identified,
                         [this](const QString &text) { identity = text; });
        QObject::connect(protocol.get(), &DeviceProtocol::statusMessage,
                         [this](const QString &text) { messages << text; });
        link->showNoConnection(); // as the main window's start-up does
    }

    ~SimRig()
    {
        for (const HidDeviceInfo &info : backend.enumerate()) // a held write would hold the writer
            backend.device(info.path)->setWriteStall(std::chrono::milliseconds(0));
        if (protocol)
            protocol->setPollEnabled(false);
        protocol.reset();
        link.reset();
    }

    QString settingsPath() const { return settingsDir.filePath(QStringLiteral("config.ini")); }

    QString status() const { return statusTexts.isEmpty() ? QString() : statusTexts.last(); }

    // Forgets what was written to `device` so far, queued writes included.
    void forgetWrites(SimDevice &device) const
    {
        waitForWrites();
        device.clearWritten();
    }

    // Writes only queue; waits until the writer has sent them, without
    // handling events, so no answer is handled meanwhile.
    void waitForWrites() const
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (link->pendingWrites() > 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

// The command codes written to a simulated device, in order.
inline QList<quint8> writtenCodes(const SimDevice &device)
{
    QList<quint8> codes;
    for (const auto &w : device.written())
        codes << (w.bytes.size() > 1 ? quint8(w.bytes[1]) : quint8(0xFF));
    return codes;
}

inline QList<quint8> withoutPolls(const QList<quint8> &codes)
{
    QList<quint8> result;
    for (quint8 code : codes)
        if (code != Code::Poll)
            result << code;
    return result;
}
