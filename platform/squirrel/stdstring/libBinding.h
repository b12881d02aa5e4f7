// libBinding.h -- registration helpers shared by the string library's
// binding files.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/squirrel/squirrel.h"

namespace sqstd {

// The string at stack index idx (empty if it is none: the parameter checks
// run first). Valid while the value stays on the stack.
std::string_view stringArg(HSQUIRRELVM v, SQInteger idx);
void pushString(HSQUIRRELVM v, std::string_view s);

// Adds each function as a named native closure with its parameter check to
// the table or class on top of the stack.
void registerFunctions(HSQUIRRELVM v, const SQRegFunction* functions, size_t count);

// Adds the class `regexp` to the table on top of the stack.
void registerRegexpClass(HSQUIRRELVM v);

}  // namespace sqstd
