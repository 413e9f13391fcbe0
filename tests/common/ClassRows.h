#pragma once

#include "db/ClassRow.h"

#include <QString>

// A classification row of the given code text and name, the rest left as a new row has it.
inline ClassRow classRow(const QString &code, const QString &name)
{
    ClassRow r;
    r.codeText = code;
    r.name = name;
    return r;
}
