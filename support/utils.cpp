#include "support/utils.h"

Random64 random64;
