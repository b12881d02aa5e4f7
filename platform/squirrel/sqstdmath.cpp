// sqstdmath.cpp -- the standard math library.
#include "platform/squirrel/sqstdmath.h"

#include <cmath>
#include <cstdlib>
#include <iterator>

#include "platform/squirrel/sqstdlib.h"

namespace {

SQFloat arg(HSQUIRRELVM v, SQInteger idx)
{
    SQFloat f = 0;
    sq_getfloat(v, idx, &f);
    return f;
}

#define SQ_MATH_1(name, expr)             \
    SQInteger math_##name(HSQUIRRELVM v)  \
    {                                     \
        SQFloat x = arg(v, 2);            \
        sq_pushfloat(v, (SQFloat)(expr)); \
        return 1;                         \
    }

SQ_MATH_1(sqrt, sqrtf(x))
SQ_MATH_1(fabs, fabsf(x))
SQ_MATH_1(sin, sinf(x))
SQ_MATH_1(cos, cosf(x))
SQ_MATH_1(asin, asinf(x))
SQ_MATH_1(acos, acosf(x))
SQ_MATH_1(log, logf(x))
SQ_MATH_1(log10, log10f(x))
SQ_MATH_1(tan, tanf(x))
SQ_MATH_1(atan, atanf(x))
SQ_MATH_1(floor, floorf(x))
SQ_MATH_1(ceil, ceilf(x))
SQ_MATH_1(exp, expf(x))
#undef SQ_MATH_1

SQInteger math_atan2(HSQUIRRELVM v)
{
    sq_pushfloat(v, atan2f(arg(v, 2), arg(v, 3)));
    return 1;
}

SQInteger math_pow(HSQUIRRELVM v)
{
    sq_pushfloat(v, powf(arg(v, 2), arg(v, 3)));
    return 1;
}

SQInteger math_abs(HSQUIRRELVM v)
{
    SQInteger i = 0;
    sq_getinteger(v, 2, &i);
    sq_pushinteger(v, i < 0 ? (SQInteger)(0 - (SQUnsignedInteger)i) : i);
    return 1;
}

SQInteger math_srand(HSQUIRRELVM v)
{
    SQInteger seed = 0;
    sq_getinteger(v, 2, &seed);
    srand((unsigned)seed);
    return 0;
}

SQInteger math_rand(HSQUIRRELVM v)
{
    sq_pushinteger(v, rand());
    return 1;
}

const SQRegFunction mathlib_funcs[] = {
    {"sqrt", math_sqrt, 2, ".n"},    {"sin", math_sin, 2, ".n"},   {"cos", math_cos, 2, ".n"},
    {"asin", math_asin, 2, ".n"},    {"acos", math_acos, 2, ".n"}, {"log", math_log, 2, ".n"},
    {"log10", math_log10, 2, ".n"},  {"tan", math_tan, 2, ".n"},   {"atan", math_atan, 2, ".n"},
    {"atan2", math_atan2, 3, ".nn"}, {"pow", math_pow, 3, ".nn"},  {"floor", math_floor, 2, ".n"},
    {"ceil", math_ceil, 2, ".n"},    {"exp", math_exp, 2, ".n"},   {"srand", math_srand, 2, ".n"},
    {"rand", math_rand, 1, nullptr}, {"fabs", math_fabs, 2, ".n"}, {"abs", math_abs, 2, ".n"}};

}  // namespace

SQRESULT sqstd_register_mathlib(HSQUIRRELVM v)
{
    sqstd::registerFunctions(v, mathlib_funcs, std::size(mathlib_funcs));
    sq_pushstring(v, "RAND_MAX", -1);
    sq_pushinteger(v, RAND_MAX);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "PI", -1);
    sq_pushfloat(v, (SQFloat)3.14159265358979323846);
    sq_newslot(v, -3, SQFalse);
    return SQ_OK;
}
