#include "CPreviewDlg.h"
