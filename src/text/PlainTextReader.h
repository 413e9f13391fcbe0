#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// A text file in whatever encoding an office has: UTF-8 with or without its mark, UTF-16 with
// its mark, or a single-byte code page (Arabic 1256 above all), which uchardet tells apart when
// the bytes are not UTF-8. Line ends are kept as they are.
class PlainTextReader
{
    Q_DECLARE_TR_FUNCTIONS(PlainTextReader)

public:
    static Result<QString> read(const QString &path);
    static QString decode(const QByteArray &bytes);
    // The encoding decode() takes the bytes for: "UTF-8", "UTF-16LE", "UTF-16BE", "WINDOWS-1256"…
    static QByteArray encodingOf(const QByteArray &bytes);
};
