// The report handler of a connected link. An input holds one or more device
// reports split by Separator; each is the report ID byte, then the payload,
// of any length and code. Reports of one input are handled in turn, so one
// sees the poll state the one before left.
#include "fuzzcheck.h"

#include "devicelink.h"
#include "deviceinforeport.h"
#include "deviceprotocol.h"
#include "livevalues.h"
#include "protocolcodes.h"
#include "simulatedbackend.h"
#include "simulatedmodule.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

namespace {

struct Rig {
    SimulatedBackend backend;
    std::shared_ptr<SimulatedModule> module = std::make_shared<SimulatedModule>();
    std::unique_ptr<DeviceLink> link;
    std::unique_ptr<DeviceProtocol> protocol;

    int identified = 0;
    int acknowledgements = 0;
    int sensorSettings = 0;
    int ioSettings = 0;
    int frames = 0;
    int sensorWritten = 0;
};

Rig *rig = nullptr;

constexpr char Separator[] = "\xA5\x5A\xC3\x3C";
constexpr qsizetype SeparatorSize = sizeof Separator - 1;

bool sameLiveValues(const LiveValues &a, const LiveValues &b)
{
    return a.Inputs == b.Inputs && a.Outputs == b.Outputs && sameBits(a.Sum, b.Sum) &&
           sameBits(a.Min, b.Min) && sameBits(a.Max, b.Max) && sameBits(a.Input1, b.Input1) &&
           sameBits(a.Input2, b.Input2) && sameBits(a.Input3, b.Input3) &&
           sameBits(a.Input4, b.Input4) && sameBits(a.AnalogOut, b.AnalogOut);
}

// Every write queued by an input is sent and forgotten before the next input,
// so what an input allocates is freed again: libFuzzer runs its costly leak
// check after any input that is not in balance.
void drainWrites()
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (rig->link->pendingWrites() > 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    FUZZ_CHECK(rig->link->pendingWrites() == 0);
    rig->module->clearWritten(); // its log would grow for the first 4096 writes
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QCoreApplication app(*argc, *argv);
    rig = new Rig; // kept to the end: the link's threads must not outlive Qt
    // Silent: answers would pile up behind the read thread, since no event
    // loop runs here to hand them over.
    rig->module->setSilent(true);
    rig->backend.add(rig->module);
    rig->link = std::make_unique<DeviceLink>(&rig->backend);
    rig->protocol = std::make_unique<DeviceProtocol>(rig->link.get());
    DeviceProtocol *protocol = rig->protocol.get();
    // Polls would pile up unanswered; each input's commands are what it sends.
    protocol->holdPolling(true);
    QObject::connect(protocol, &DeviceProtocol::identified,
                     [](const DeviceInfoReport &) { ++rig->identified; });
    QObject::connect(protocol, &DeviceProtocol::acknowledged,
                     [](quint8) { ++rig->acknowledgements; });
    QObject::connect(protocol, &DeviceProtocol::sensorSettingsReceived,
                     [](const TensSettings &) { ++rig->sensorSettings; });
    QObject::connect(protocol, &DeviceProtocol::ioSettingsReceived,
                     [](const OtherSettings &) { ++rig->ioSettings; });
    QObject::connect(protocol, &DeviceProtocol::frameStored, [] { ++rig->frames; });
    QObject::connect(protocol, &DeviceProtocol::sensorSettingsWritten,
                     [] { ++rig->sensorWritten; });
    QCoreApplication::processEvents(); // the controller's first listing finds the module
    FUZZ_CHECK(rig->link->isConnected());
    return 0;
}

namespace {

// The command a report's handler sends next, if any: the start-up chain and
// the read-back after a write or a factory reset.
std::optional<quint8> followUp(int code)
{
    switch (code) {
    case Code::DeviceInfo:
    case Code::WriteSensorSettings:
    case Code::FactorySensorSettings:
        return Code::ReadSensorSettings;
    case Code::ReadSensorSettings:
    case Code::WriteIoSettings:
    case Code::FactoryIoSettings:
        return Code::ReadIoSettings;
    default:
        return std::nullopt;
    }
}

void handleOne(quint8 reportId, const QByteArray &payload)
{
    Rig &r = *rig;
    r.identified = r.acknowledgements = r.sensorSettings = r.ioSettings = r.frames = 0;
    r.sensorWritten = 0;
    const std::optional<quint8> awaitedBefore = r.protocol->awaitedCode();

    r.protocol->handleDeviceReport(reportId, payload);

    const int code = payload.isEmpty() ? -1 : quint8(payload[0]);
    // A frame never touches the exchange; any other report is the answer,
    // and only a chained command starts the next wait.
    if (code == Code::Poll)
        FUZZ_CHECK(r.protocol->awaitedCode() == awaitedBefore);
    else
        FUZZ_CHECK(r.protocol->isIdle() || r.protocol->awaitedCode() == followUp(code));

    FUZZ_CHECK(r.frames == (code == Code::Poll ? 1 : 0));
    if (code == Code::Poll)
        FUZZ_CHECK(sameLiveValues(r.protocol->liveValues(), LiveValues::decode(payload)));
    FUZZ_CHECK(r.identified == (code == Code::DeviceInfo ? 1 : 0));
    if (code == Code::DeviceInfo) {
        const DeviceInfoReport expected = DeviceInfoReport::decode(payload);
        const DeviceInfoReport &stored = r.protocol->deviceInfo();
        FUZZ_CHECK(sameBits(stored.version, expected.version));
        FUZZ_CHECK(stored.identification == expected.identification);
        FUZZ_CHECK(stored.identification.size() <= 60 && !stored.identification.contains('\0'));
        FUZZ_CHECK(stored.AnalogOutVariant == expected.AnalogOutVariant);
    }
    FUZZ_CHECK(r.sensorSettings == (code == Code::ReadSensorSettings ? 1 : 0));
    FUZZ_CHECK(r.ioSettings == (code == Code::ReadIoSettings ? 1 : 0));
    FUZZ_CHECK(r.acknowledgements <= 1);
    FUZZ_CHECK(r.sensorWritten == (code == Code::WriteSensorSettings ? 1 : 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    qsizetype start = 0;
    while (start < input.size()) {
        qsizetype end = input.indexOf(QByteArray::fromRawData(Separator, SeparatorSize), start);
        if (end < 0)
            end = input.size();
        if (end > start) // an empty piece has no report ID
            handleOne(quint8(input[start]), input.mid(start + 1, end - start - 1));
        start = end + SeparatorSize;
    }
    rig->protocol->resumePolling(); // each input starts alike: idle, polls held
    drainWrites();
    return 0;
}
