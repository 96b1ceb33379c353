#pragma once

class HidBackend;
class QTextStream;

// `--list`: its exit statuses.
enum class ListingStatus {
    ModuleUsable = 0,      // a module opens for reading and writing
    NoModule = 1,          // no module among the devices
    ModuleNotOpenable = 2, // a module is present, none opens
};

// Lists every HID device the backend enumerates: its node, product string
// and USB ids, whether it is the module (DeviceLink's rule), and whether it
// opens for reading and writing (opened and released at once). A module
// that does not open gets its node's permissions and the udev rule that
// grants access. Plain English text; thread of the backend.
ListingStatus listDevices(HidBackend &backend, QTextStream &out);
