#include "ThumbnailCache.h"
