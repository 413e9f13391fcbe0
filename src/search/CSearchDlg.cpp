#include "CSearchDlg.h"
