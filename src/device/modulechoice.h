#pragma once

#include "deviceinforeport.h"
#include "hidbackend.h"
#include "modulelock.h"

#include <QString>

#include <optional>
#include <vector>

// Which module a program drives when more than one is plugged in.
struct ModuleChoice {
    // A node (/dev/hidraw3), a USB serial number or the identification the
    // module answers to 0x00; empty: the first module no other program holds.
    QString wanted;
    // Only the wanted module (--device, a choice made in the window). Else
    // it is preferred when present and free, and another one is driven
    // meanwhile (the choice remembered from an earlier run).
    bool strict = false;

    bool operator==(const ModuleChoice &other) const
    {
        return wanted == other.wanted && strict == other.strict;
    }
};

// One module of the device list as the choice and the chooser see it.
struct ListedModule {
    HidDeviceInfo info;
    int index = -1; // in the controller's list
    std::optional<LockHolder> heldElsewhere; // at the last listing
    std::optional<DeviceInfoReport> identity; // once it answered 0x00
    bool asked = false;  // asked who it is, answered or not
    bool driven = false; // this program's module

    // The serial number where the module reports one, else its
    // identification, else its node.
    QString rememberedAs() const;
};

// What choosing the module at `node` wants: what survives a re-plug
// (rememberedAs()), unless another module present answers to it too; then
// the node. Empty when no module is at `node`.
QString wantedFor(const std::vector<ListedModule> &modules, const QString &node);

// The module answers to `wanted` by its node, serial number or
// identification (blanks around it aside).
bool answersTo(const ListedModule &module, const QString &wanted);

// The modules to try to open, in order, the first that opens being driven.
struct ModuleTryOrder {
    // The wanted module is not known by node or serial number, and some
    // module that can be asked has not said who it is yet.
    bool awaitingIdentities = false;
    std::vector<int> order; // indices into the listed modules
};

// The wanted module first; then, unless the choice is strict, the module
// driven until now (`lastNode`), so that a device change elsewhere does not
// move the program to another module, then the rest in listing order, those
// another program holds last (they only tell why nothing opened).
ModuleTryOrder moduleTryOrder(const std::vector<ListedModule> &modules, const ModuleChoice &choice,
                              const QString &lastNode);
