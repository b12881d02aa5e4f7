// sqstdlib.h -- what the standard libraries (math, string) share.
#pragma once

#include <cstddef>

#include "platform/squirrel/squirrel.h"

namespace sqstd {

// Adds each function as a named native closure with its parameter check to
// the table or class on top of the stack.
void registerFunctions(HSQUIRRELVM v, const SQRegFunction* functions, size_t count);

}  // namespace sqstd
