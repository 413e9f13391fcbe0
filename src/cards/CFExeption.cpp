#include "CFExeption.h"
