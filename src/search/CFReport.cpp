#include "CFReport.h"
