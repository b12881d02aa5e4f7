// sqstdmath.h -- the standard math library of our Squirrel implementation.
#pragma once

#include "platform/squirrel/squirrel.h"

// Registers abs, fabs, sin, cos, tan, asin, acos, atan, atan2, sqrt, pow,
// exp, log, log10, floor, ceil, rand, srand, PI and RAND_MAX in the table on
// top of the stack.
SQRESULT sqstd_register_mathlib(HSQUIRRELVM v);
