// sqcompiler.h -- from source text to a function prototype.
#pragma once

#include "platform/squirrel/sqast.h"
#include "platform/squirrel/sqobject.h"

struct SQFunctionProto;

// Compiles a whole script into the prototype of its main function. On
// failure err holds the message and the line and column where it was found.
SQFunctionProto* sq_compileproto(SQSharedState* ss, const SQChar* src, SQInteger len, const SQChar* sourcename,
                                 SQCompileError& err);
