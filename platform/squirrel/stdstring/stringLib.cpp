// stringLib.cpp -- the string library's global functions and its registration.
#include <cstring>
#include <string>

#include "platform/squirrel/sqstdstring.h"
#include "platform/squirrel/stdstring/format.h"
#include "platform/squirrel/stdstring/libBinding.h"
#include "platform/squirrel/stdstring/stringOps.h"

namespace {

using sqstd::pushString;
using sqstd::stringArg;

SQInteger formatFn(HSQUIRRELVM v)
{
    SQChar* text = nullptr;
    SQInteger length = 0;
    if (SQ_FAILED(sqstd_format(v, 2, &length, &text))) return SQ_ERROR;
    sq_pushstring(v, text, length);
    return 1;
}

SQInteger printfFn(HSQUIRRELVM v)
{
    SQChar* text = nullptr;
    SQInteger length = 0;
    if (SQ_FAILED(sqstd_format(v, 2, &length, &text))) return SQ_ERROR;
    if (SQPRINTFUNCTION print = sq_getprintfunc(v)) print(v, "%s", text);
    return 0;
}

SQInteger splitFn(HSQUIRRELVM v)
{
    SQBool skipEmpty = SQFalse;
    if (sq_gettop(v) >= 4) sq_getbool(v, 4, &skipEmpty);
    std::vector<std::string_view> pieces = sqstd::splitString(stringArg(v, 2), stringArg(v, 3), skipEmpty != SQFalse);
    sq_newarray(v, 0);
    for (std::string_view piece : pieces) {
        pushString(v, piece);
        sq_arrayappend(v, -2);
    }
    return 1;
}

template <std::string_view (*strip)(std::string_view)>
SQInteger stripFn(HSQUIRRELVM v)
{
    pushString(v, strip(stringArg(v, 2)));
    return 1;
}

SQInteger startswithFn(HSQUIRRELVM v)
{
    sq_pushbool(v, stringArg(v, 2).starts_with(stringArg(v, 3)));
    return 1;
}

SQInteger endswithFn(HSQUIRRELVM v)
{
    sq_pushbool(v, stringArg(v, 2).ends_with(stringArg(v, 3)));
    return 1;
}

SQInteger escapeFn(HSQUIRRELVM v)
{
    pushString(v, sqstd::escapeString(stringArg(v, 2)));
    return 1;
}

// Parameter counts include `this`; a negative count is a minimum.
const SQRegFunction stringFunctions[] = {
    {"format", formatFn, -2, ".s"},
    {"printf", printfFn, -2, ".s"},
    {"split", splitFn, -3, ".ssb"},
    {"strip", stripFn<sqstd::stripBoth>, 2, ".s"},
    {"lstrip", stripFn<sqstd::stripLeft>, 2, ".s"},
    {"rstrip", stripFn<sqstd::stripRight>, 2, ".s"},
    {"startswith", startswithFn, 3, ".ss"},
    {"endswith", endswithFn, 3, ".ss"},
    {"escape", escapeFn, 2, ".s"},
};

}  // namespace

std::string_view sqstd::stringArg(HSQUIRRELVM v, SQInteger idx)
{
    const SQChar* s = nullptr;
    SQInteger n = 0;
    if (SQ_FAILED(sq_getstringandsize(v, idx, &s, &n))) return {};
    return {s, (size_t)n};
}

void sqstd::pushString(HSQUIRRELVM v, std::string_view s) { sq_pushstring(v, s.data(), (SQInteger)s.size()); }

SQRESULT sqstd_format(HSQUIRRELVM v, SQInteger nformatstringidx, SQInteger* outlen, SQChar** output)
{
    SQInteger top = sq_gettop(v);
    if (nformatstringidx < 0) nformatstringidx += top + 1;  // counted from the top
    const SQChar* format = nullptr;
    SQInteger formatLength = 0;
    if (SQ_FAILED(sq_getstringandsize(v, nformatstringidx, &format, &formatLength))) {
        return sq_throwerror(v, "format: the format must be a string");
    }
    auto args = [&](size_t index, sqstd::FormatArg& arg) {
        SQInteger idx = nformatstringidx + 1 + (SQInteger)index;
        if (idx > top) return false;
        SQObjectType type = sq_gettype(v, idx);
        arg.typeName = sq_typename(type);
        if (type == OT_INTEGER) {
            SQInteger i = 0;
            sq_getinteger(v, idx, &i);
            arg.type = sqstd::FormatArg::Type::Integer;
            arg.integer = i;
        } else if (type == OT_FLOAT) {
            SQFloat f = 0;
            sq_getfloat(v, idx, &f);
            arg.type = sqstd::FormatArg::Type::Float;
            arg.real = f;
        } else if (type == OT_STRING) {
            arg.type = sqstd::FormatArg::Type::String;
            arg.text = stringArg(v, idx);
        } else {
            arg.type = sqstd::FormatArg::Type::Other;
        }
        return true;
    };
    std::string text;
    std::string error;
    if (!sqstd::formatString({format, (size_t)formatLength}, args, text, &error)) {
        return sq_throwerror(v, error.c_str());
    }
    SQChar* pad = sq_getscratchpad(v, (SQInteger)text.size() + 1);
    memcpy(pad, text.data(), text.size());
    pad[text.size()] = 0;
    *outlen = (SQInteger)text.size();
    *output = pad;
    return SQ_OK;
}

SQRESULT sqstd_register_stringlib(HSQUIRRELVM v)
{
    sqstd::registerRegexpClass(v);
    sqstd::registerFunctions(v, stringFunctions, sizeof stringFunctions / sizeof stringFunctions[0]);
    return SQ_OK;
}
