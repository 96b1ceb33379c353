#pragma once

#include <QByteArray>

// Command report as written to the module:
//   byte 0        report ID 0x01
//   bytes 1..n    the payload (command code first), cut to length - 1
//   the rest      zero, up to the output report length
// The result is exactly `outputReportLength` bytes, or empty when that
// length cannot carry a command (below 2).
QByteArray buildCommandReport(const QByteArray &payload, int outputReportLength);
