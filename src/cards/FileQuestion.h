#pragma once

#include "cards/CFileOperation.h"

class QWidget;

// The questions of a CFileOperation (replace, delete a folder ...) put to the user through
// MessageBox over a window, with yes, no and cancel, no being the default.
class FileQuestion
{
public:
    static CFileOperation::Question over(QWidget *parent);
};
