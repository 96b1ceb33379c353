#pragma once

#include <QString>

class HidBackend;
class QTextStream;

// `--list`: its exit statuses.
enum class ListingStatus {
    ModuleUsable = 0,      // a module opens for reading and writing
    NoModule = 1,          // no module among the devices
    ModuleNotOpenable = 2, // a module is present, none opens
    ModuleInUse = 3,       // none usable, and another program holds one
};

// "PID 1234 (klv57-pc)", as the window-less modes name a module's holder.
QString holderText(qint64 pid, const QString &program);

// Lists every HID device the backend enumerates: its node, product string
// and USB ids, whether it is the module (DeviceLink's rule), and whether it
// opens for reading and writing (opened and released at once). A module
// that opens is asked who it is, under its lock, and shows its serial
// number, identification and version; one that does not open gets its
// node's permissions and the udev rule that grants access. A module
// another program holds is shown as in use by that program and not opened.
// With `device` (a node, serial number or identification) only the modules
// that answer to it are listed. Plain English text; thread of the backend;
// blocks up to a second for a module that does not answer.
ListingStatus listDevices(HidBackend &backend, QTextStream &out, const QString &device = {});
