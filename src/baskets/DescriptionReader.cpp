#include "DescriptionReader.h"
