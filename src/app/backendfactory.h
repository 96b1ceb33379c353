#pragma once

#include "hidbackend.h"

#include <memory>

// The one place that knows which HID backend the program runs against.
std::unique_ptr<HidBackend> makeHidBackend(bool simulate);
