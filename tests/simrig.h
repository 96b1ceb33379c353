#pragma once

// A module session over the simulated backend, built as the program builds
// it, with what its presenter showed recorded for the tests.
#include "modulesession.h"
#include "protocolcodes.h"
#include "sessionpresenter.h"
#include "simulatedbackend.h"
#include "simulatedmodule.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <memory>
#include <thread>

inline QList<quint8> withoutPollsIn(const SimDevice &device);

struct SimRig {
    SimulatedBackend backend;
    std::unique_ptr<ModuleSession> session;
    std::unique_ptr<SessionPresenter> presenter;
    DeviceLink *link = nullptr;         // the session's
    DeviceProtocol *protocol = nullptr; // the session's
    QTemporaryDir settingsDir; // windows built on this rig keep their config.ini here
    QStringList statusTexts; // ConnectionStatus texts, in order
    bool statusActive = false;
    QStringList messages;    // Label_Status texts
    QString identity;
    QString hint;            // ConnectionStatus's tooltip

    // Creates the session; the forced first device change runs from the event loop.
    void start()
    {
        session = makeModuleSession(backend);
        link = &session->link();
        protocol = &session->protocol();
        presenter = std::make_unique<SessionPresenter>(*session);
        QObject::connect(presenter.get(), &SessionPresenter::connectionShown,
                         [this](const QString &text, bool active) {
                             statusTexts << text;
                             statusActive = active;
                         });
        QObject::connect(presenter.get(), &SessionPresenter::identityShown,
                         [this](const QString &text) { identity = text; });
        QObject::connect(presenter.get(), &SessionPresenter::statusShown,
                         [this](const QString &text) { messages << text; });
        QObject::connect(presenter.get(), &SessionPresenter::hintShown,
                         [this](const QString &text) { hint = text; });
        presenter->present(); // as the main window's start-up does
    }

    // The exchange is over: connected, the start-up chain or the last
    // command answered and handled, polls going out. Waits on the
    // session's state; false after five seconds without it.
    bool waitForIdle() const
    {
        return QTest::qWaitFor([this] { return link->isConnected() && session->isIdle(); }, 5000);
    }

    // Connected and the start-up chain (0x00, 0x02, 0x03) answered and handled.
    bool waitForStartUp(const SimDevice &module) const
    {
        return QTest::qWaitFor(
                   [&] { return withoutPollsIn(module).contains(Code::ReadIoSettings); }, 5000) &&
               waitForIdle();
    }

    ~SimRig()
    {
        for (const HidDeviceInfo &info : backend.enumerate()) // a held write would hold the writer
            backend.device(info.path)->setWriteStall(std::chrono::milliseconds(0));
        presenter.reset();
        session.reset();
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

inline QList<quint8> withoutPollsIn(const SimDevice &device)
{
    return withoutPolls(writtenCodes(device));
}
