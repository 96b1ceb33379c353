#pragma once

#include "hidbackend.h"

// Where the link stands with the module, as data: the presenter words it.
struct ConnectionState {
    enum class Kind {
        NoDevice,     // no HID device listed, or a module that does not open
        Disconnected, // devices listed, none of them the module (yet)
        Connected,    // the module is open; its identity follows as a report
    };
    Kind kind = Kind::NoDevice;
    // With NoDevice for a listed module that did not open: why, as far as
    // the backend can tell (a missing permission names its node).
    HidOpenProblem problem;

    bool isConnected() const { return kind == Kind::Connected; }
};
