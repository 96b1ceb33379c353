#pragma once

#include "deviceinforeport.h"

#include <QByteArray>

#include <optional>

class HidHandle;

// Asking a module who it is (0x00) outside the driven module's exchange:
// the other modules of the chooser and of --list. The module answers a
// query within a few milliseconds.
namespace IdentityQuery {

inline constexpr int AnswerDeadlineMs = 1000;

// The command report, at the device's output report length.
QByteArray report(int outputReportLength);
// The identity when `payload` (code first) answers the query.
std::optional<DeviceInfoReport> answer(const QByteArray &payload);
// Writes the query on `handle` and reads until the answer or the deadline;
// blocks, so for the window-less modes only.
std::optional<DeviceInfoReport> ask(HidHandle &handle, int deadlineMs = AnswerDeadlineMs);

} // namespace IdentityQuery
