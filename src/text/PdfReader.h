#pragma once

#include "OcrReader.h"
#include "base/Result.h"

#include <QCoreApplication>
#include <QString>

// The text layer of a PDF; pages without one (scans) are rendered at 300 dpi and recognised.
class PdfReader
{
    Q_DECLARE_TR_FUNCTIONS(PdfReader)

public:
    static Result<QString> read(const QString &path, const OcrReader::Progress &progress);
};
