// sqapi.h -- helpers shared by the files that implement the embedding API
// and by the libraries written against the VM internals.
#pragma once

#include "platform/squirrel/sqvm.h"

// The value at a stack index as the API numbers them (1 is the frame base,
// -1 the top). Indexes outside the stack read as null.
SQObjectPtr& sq_stackobj(HSQUIRRELVM v, SQInteger idx);
bool sq_validindex(HSQUIRRELVM v, SQInteger idx);
// Registers the base library in the VM's root table.
void sq_base_register(HSQUIRRELVM v);
// Compiles a buffer into a closure pushed on the stack.
SQRESULT sq_compileimpl(HSQUIRRELVM v, const SQChar* s, SQInteger size, const SQChar* sourcename, bool raiseerror);
