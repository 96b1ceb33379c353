#pragma once

#include "hidbackend.h"

#include <memory>

// What the command line says of the devices to run against.
struct BackendOptions {
    bool simulate = false;
    int simulatedWriteStallMs = 0; // every simulated device's writes take this long
    int simulatedModules = 1;      // modules of the simulated backend
};

// The one place that knows which HID backend the program runs against.
std::unique_ptr<HidBackend> makeHidBackend(const BackendOptions &options);
