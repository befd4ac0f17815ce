#include "AcquireContext.h"

AcquireContext acquire = {};
