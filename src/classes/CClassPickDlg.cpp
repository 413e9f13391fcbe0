#include "CClassPickDlg.h"
