// sqdelegates.h -- helpers shared by the default delegate libraries.
#pragma once

#include "platform/squirrel/sqvm.h"

// Calls fn with the root table as 'this' and the given arguments.
bool sq_callback(HSQUIRRELVM v, const SQObject& fn, const SQObject* args, SQInteger nargs, SQObjectPtr& ret);
// How many arguments a callback takes (not counting 'this'); 3 for varargs.
SQInteger sq_callbackarity(const SQObject& fn);
// Start and end of slice(start[, end]) of a sequence of len items (the
// arguments at stack indexes 2 and 3), negative values counting from the
// end; false with the error raised when they are out of order or range.
bool sq_slicerange(HSQUIRRELVM v, SQInteger len, SQInteger& start, SQInteger& end);
SQInteger sq_default_weakref(HSQUIRRELVM v);
SQInteger sq_default_tostring(HSQUIRRELVM v);
