#include "backendfactory.h"

#include "hidapibackend.h"
#include "simulatedbackend.h"

std::unique_ptr<HidBackend> makeHidBackend(bool simulate)
{
    if (simulate)
        return SimulatedBackend::withModule();
    return std::make_unique<HidapiBackend>();
}
