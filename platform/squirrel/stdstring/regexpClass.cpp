// regexpClass.cpp -- the script class `regexp` over the regex engine. Each
// instance owns one compiled pattern, freed by the instance's release hook.
#include <memory>
#include <string>

#include "platform/squirrel/stdstring/libBinding.h"
#include "platform/squirrel/stdstring/regex.h"

namespace {

using sqstd::Regex;
using sqstd::RegexResult;

// Its address tags the class, so methods refuse instances of other classes.
int regexpTypeTag;

SQInteger releaseRegex(SQUserPointer p, SQInteger /*size*/)
{
    delete static_cast<Regex*>(p);
    return 1;
}

Regex* thisRegex(HSQUIRRELVM v)
{
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, 1, &p, &regexpTypeTag, SQFalse))) return nullptr;
    return static_cast<Regex*>(p);
}

SQInteger notARegexp(HSQUIRRELVM v) { return sq_throwerror(v, "regexp: 'this' is not a constructed regexp"); }

SQInteger constructorFn(HSQUIRRELVM v)
{
    std::string error;
    std::unique_ptr<Regex> re = Regex::compile(sqstd::stringArg(v, 2), &error);
    if (!re) return sq_throwerror(v, ("regexp: " + error).c_str());
    SQUserPointer old = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, 1, &old, &regexpTypeTag, SQFalse))) return notARegexp(v);
    delete static_cast<Regex*>(old);  // calling the constructor again replaces the pattern
    sq_setinstanceup(v, 1, re.release());
    sq_setreleasehook(v, 1, releaseRegex);
    return 0;
}

void pushSpan(HSQUIRRELVM v, sqstd::RegexSpan span)
{
    sq_newtable(v);
    sq_pushstring(v, "begin", -1);
    sq_pushinteger(v, span.begin);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "end", -1);
    sq_pushinteger(v, span.end);
    sq_newslot(v, -3, SQFalse);
}

// Runs a search for search() and capture(): text at 2, optional start at 3.
// Returns SQ_ERROR after raising an error, 0 for no match, 1 for a match.
SQInteger runSearch(HSQUIRRELVM v, Regex* re)
{
    std::string_view text = sqstd::stringArg(v, 2);
    SQInteger start = 0;
    if (sq_gettop(v) >= 3) sq_getinteger(v, 3, &start);
    if (start < 0 || start > (SQInteger)text.size()) {
        return sq_throwerror(v, "regexp: the start index is outside the string");
    }
    RegexResult result = re->search(text, (size_t)start);
    if (result == RegexResult::LimitReached) return sq_throwerror(v, Regex::limitMessage());
    return result == RegexResult::Match ? 1 : 0;
}

SQInteger searchFn(HSQUIRRELVM v)
{
    Regex* re = thisRegex(v);
    if (!re) return notARegexp(v);
    SQInteger found = runSearch(v, re);
    if (SQ_FAILED(found)) return SQ_ERROR;
    if (found)
        pushSpan(v, re->span(0));
    else
        sq_pushnull(v);
    return 1;
}

SQInteger captureFn(HSQUIRRELVM v)
{
    Regex* re = thisRegex(v);
    if (!re) return notARegexp(v);
    SQInteger found = runSearch(v, re);
    if (SQ_FAILED(found)) return SQ_ERROR;
    if (!found) {
        sq_pushnull(v);
        return 1;
    }
    sq_newarray(v, 0);
    for (int i = 0; i < re->spanCount(); ++i) {
        pushSpan(v, re->span(i));
        sq_arrayappend(v, -2);
    }
    return 1;
}

SQInteger matchFn(HSQUIRRELVM v)
{
    Regex* re = thisRegex(v);
    if (!re) return notARegexp(v);
    RegexResult result = re->matchWhole(sqstd::stringArg(v, 2));
    if (result == RegexResult::LimitReached) return sq_throwerror(v, Regex::limitMessage());
    sq_pushbool(v, result == RegexResult::Match);
    return 1;
}

SQInteger subexpcountFn(HSQUIRRELVM v)
{
    Regex* re = thisRegex(v);
    if (!re) return notARegexp(v);
    sq_pushinteger(v, re->spanCount());
    return 1;
}

SQInteger typeofFn(HSQUIRRELVM v)
{
    sq_pushstring(v, "regexp", -1);
    return 1;
}

// Parameter counts include `this`; a negative count is a minimum.
const SQRegFunction regexpMethods[] = {
    {"constructor", constructorFn, 2, "xs"}, {"search", searchFn, -2, "xsi"},
    {"capture", captureFn, -2, "xsi"},       {"match", matchFn, 2, "xs"},
    {"subexpcount", subexpcountFn, 1, "x"},  {"_typeof", typeofFn, 1, "x"},
};

}  // namespace

void sqstd::registerRegexpClass(HSQUIRRELVM v)
{
    sq_pushstring(v, "regexp", -1);
    sq_newclass(v, SQFalse);
    sq_settypetag(v, -1, &regexpTypeTag);
    registerFunctions(v, regexpMethods, sizeof regexpMethods / sizeof regexpMethods[0]);
    sq_newslot(v, -3, SQFalse);
}
