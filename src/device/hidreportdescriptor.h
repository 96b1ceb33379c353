#pragma once

#include "hidbackend.h"

#include <QByteArray>

// Report lengths from a raw HID report descriptor: for each direction the
// longest report in bytes, plus one byte for the report ID as Windows counts
// it; `numbered` when the descriptor declares report IDs. A descriptor that
// cannot be parsed gives zero lengths; one that declares a report longer
// than HidReportLengths::MaxLength gives zero lengths and `tooLong`.
HidReportLengths parseReportDescriptor(const QByteArray &descriptor);
