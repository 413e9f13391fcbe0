#pragma once

#include "DocumentKind.h"
#include "OcrReader.h"
#include "base/Result.h"

#include <QCoreApplication>
#include <QString>

// The whole conversion of dovrelle-mw: a document in, its plain text out in code page 1256.
class TextConverter
{
    Q_DECLARE_TR_FUNCTIONS(TextConverter)

public:
    // LibreOffice gets less than the program waits for a conversion, so that it is stopped here
    // and reported, rather than left running when the program gives up.
    static constexpr int kOfficeTimeoutMs = 50000;

    // The text of the document at `path`, whatever its name: its kind is told from its bytes.
    // `progress` hears of every page that is recognised.
    static Result<QString> convert(const QString &path, const OcrReader::Progress &progress = {});
    // Writes `text` in code page 1256 ('?' for what it cannot hold) under a temporary name beside
    // `outPath` and renames it over, so a reader never sees half a file.
    static Status writeCp1256(const QString &text, const QString &outPath);
};
