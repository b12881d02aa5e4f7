// sqstdstring.h -- the script string library: format, printf, split, strip,
// lstrip, rstrip, startswith, endswith, escape and the class regexp.
#pragma once

#include "platform/squirrel/squirrel.h"

// Registers the library's functions and the regexp class in the table on top
// of the stack.
SQRESULT sqstd_register_stringlib(HSQUIRRELVM v);

// Formats with the string at stack index nformatstringidx and the values
// after it as arguments. The result lives in the VM's scratch pad (valid until
// the next scratch-pad use), zero-terminated, its length in *outlen. On a bad
// format or argument raises the reason as the VM's error and fails.
SQRESULT sqstd_format(HSQUIRRELVM v, SQInteger nformatstringidx, SQInteger* outlen, SQChar** output);
