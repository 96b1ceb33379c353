#include "backendfactory.h"

#include "hidapibackend.h"
#include "simulatedbackend.h"

std::unique_ptr<HidBackend> makeHidBackend(const BackendOptions &options)
{
    if (options.simulate) {
        auto backend = SimulatedBackend::withModule(options.simulatedModules);
        for (const HidDeviceInfo &info : backend->enumerate())
            backend->device(info.path)->setWriteStall(std::chrono::milliseconds(options.simulatedWriteStallMs));
        return backend;
    }
    return std::make_unique<HidapiBackend>();
}
