#include "backendfactory.h"

#include "hidapibackend.h"
#include "simulatedbackend.h"

std::unique_ptr<HidBackend> makeHidBackend(bool simulate, int simulatedWriteStallMs)
{
    if (simulate) {
        auto backend = SimulatedBackend::withModule();
        for (const HidDeviceInfo &info : backend->enumerate())
            backend->device(info.path)->setWriteStall(std::chrono::milliseconds(simulatedWriteStallMs));
        return backend;
    }
    return std::make_unique<HidapiBackend>();
}
