#include "CCardDlg.h"
