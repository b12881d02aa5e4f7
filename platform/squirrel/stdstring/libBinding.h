// libBinding.h -- helpers shared by the string library's binding files
// (sqstdlib.h adds the registration of functions).
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/squirrel/sqstdlib.h"

namespace sqstd {

// The string at stack index idx (empty if it is none: the parameter checks
// run first). Valid while the value stays on the stack.
std::string_view stringArg(HSQUIRRELVM v, SQInteger idx);
void pushString(HSQUIRRELVM v, std::string_view s);

// Adds the class `regexp` to the table on top of the stack.
void registerRegexpClass(HSQUIRRELVM v);

}  // namespace sqstd
