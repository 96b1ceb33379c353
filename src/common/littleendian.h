#pragma once

#include <QByteArray>
#include <QtGlobal>

// Little-endian fields of the module's payloads. Offsets outside the buffer
// read as zero and are not written: decoders work on zero-padded copies, so
// this only guards against a wrong offset.

void PutLE32(QByteArray &buffer, int offset, quint32 value);
void PutLE32(QByteArray &buffer, int offset, qint32 value);
void PutLE32(QByteArray &buffer, int offset, float value); // the float's bit pattern
qint32 GetLE32(const QByteArray &buffer, int offset);
float GetLEFloat(const QByteArray &buffer, int offset);

quint8 GetU8(const QByteArray &buffer, int offset);
void PutU8(QByteArray &buffer, int offset, quint8 value);
