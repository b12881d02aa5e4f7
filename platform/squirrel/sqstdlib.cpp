// sqstdlib.cpp -- what the standard libraries share.
#include "platform/squirrel/sqstdlib.h"

void sqstd::registerFunctions(HSQUIRRELVM v, const SQRegFunction* functions, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const SQRegFunction& f = functions[i];
        sq_pushstring(v, f.name, -1);
        sq_newclosure(v, f.f, 0);
        sq_setparamscheck(v, f.nparamscheck, f.typemask);
        sq_setnativeclosurename(v, -1, f.name);
        sq_newslot(v, -3, SQFalse);
    }
}
