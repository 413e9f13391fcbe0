#include "CClassesDlg.h"
