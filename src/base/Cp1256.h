#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>

// Code page 1256 is the single-byte Arabic code page of the settings and hand-off files. Inside
// the program every text is Unicode; the conversion happens exactly at those file boundaries.
namespace Cp1256 {

// Every byte value has a meaning in the code page, so decoding never fails; bytes that the code
// page leaves undefined come back as U+FFFD.
QString decode(const QByteArray &bytes);

// Fails when the text holds a character that the code page cannot write, naming it.
Result<QByteArray> encode(const QString &text);

// For text taken from documents, where one foreign letter must not lose the rest: every
// character the code page cannot write becomes '?'.
QByteArray encodeLossy(const QString &text);

} // namespace Cp1256
