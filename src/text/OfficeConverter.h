#pragma once

#include "base/Result.h"

#include <QCoreApplication>
#include <QString>

#include <sys/types.h>

// Word 97-2003 and RTF files go through LibreOffice Writer without a window. Each conversion has
// a profile folder of its own, so it runs while the user has LibreOffice open, and two
// conversions never share one.
class OfficeConverter
{
    Q_DECLARE_TR_FUNCTIONS(OfficeConverter)

public:
    // The LibreOffice program found on the PATH ("soffice", "libreoffice"); empty when none.
    static QString program();
    // Converts `path` (read as a file of extension `extension`, "doc" or "rtf") to Unicode text.
    // Gives up after `timeoutMs`, stopping LibreOffice.
    static Result<QString> read(const QString &path, const QString &extension, int timeoutMs);
    // The LibreOffice process group running now, 0 when none: a converter that is told to stop
    // ends it first, so no LibreOffice outlives the conversion.
    static pid_t runningGroup();
};
