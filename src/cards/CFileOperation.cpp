#include "CFileOperation.h"
