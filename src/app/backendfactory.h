#pragma once

#include "hidbackend.h"

#include <memory>

// The one place that knows which HID backend the program runs against. The
// stall applies to the simulated devices only.
std::unique_ptr<HidBackend> makeHidBackend(bool simulate, int simulatedWriteStallMs = 0);
