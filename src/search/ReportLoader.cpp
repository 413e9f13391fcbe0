#include "ReportLoader.h"
