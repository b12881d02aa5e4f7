// sqbaselib.cpp -- the base library: the global functions every VM has.
#include <cstring>

#include "platform/squirrel/sqapi.h"
#include "platform/squirrel/sqarray.h"
#include "platform/squirrel/sqtable.h"

namespace {

SQInteger base_print(HSQUIRRELVM v)
{
    const SQChar* s;
    if (SQ_FAILED(sq_tostring(v, 2))) return SQ_ERROR;
    sq_getstring(v, -1, &s);
    if (SQPRINTFUNCTION pf = sq_getprintfunc(v)) pf(v, "%s", s);
    return 0;
}

SQInteger base_error(HSQUIRRELVM v)
{
    const SQChar* s;
    if (SQ_FAILED(sq_tostring(v, 2))) return SQ_ERROR;
    sq_getstring(v, -1, &s);
    if (SQPRINTFUNCTION ef = sq_geterrorfunc(v)) ef(v, "%s", s);
    return 0;
}

SQInteger base_array(HSQUIRRELVM v)
{
    SQInteger size;
    sq_getinteger(v, 2, &size);
    if (size < 0) return sq_throwerror(v, "negative size");
    SQObjectPtr a(SQArray::Create(v->ss(), 0));
    if (!_array(a)->Resize(size, sq_gettop(v) > 2 ? (const SQObject&)sq_stackobj(v, 3) : sq_nullobj()))
        return sq_throwerror(v, "array too big");
    v->Push(a);
    return 1;
}

SQInteger base_seterrorhandler(HSQUIRRELVM v)
{
    sq_seterrorhandler(v);
    return 0;
}

SQInteger base_setdebughook(HSQUIRRELVM v)
{
    sq_setdebughook(v);
    return 0;
}

SQInteger base_enabledebuginfo(HSQUIRRELVM v)
{
    sq_enabledebuginfo(v, sq_type(sq_stackobj(v, 2)) != OT_NULL);
    return 0;
}

SQInteger base_callee(HSQUIRRELVM v)
{
    // The closure that called callee(): the frame below this one.
    if (v->_callstack.size() < 2) return sq_throwerror(v, "no closure in the calls stack");
    v->Push(v->_callstack[v->_callstack.size() - 2].closure);
    return 1;
}

SQInteger base_getroottable(HSQUIRRELVM v)
{
    v->Push(v->_roottable);
    return 1;
}

SQInteger base_getconsttable(HSQUIRRELVM v)
{
    v->Push(v->ss()->_consttable);
    return 1;
}

SQInteger base_setroottable(HSQUIRRELVM v)
{
    SQObjectPtr old = v->_roottable;
    if (SQ_FAILED(sq_setroottable(v))) return SQ_ERROR;
    v->Push(old);
    return 1;
}

SQInteger base_setconsttable(HSQUIRRELVM v)
{
    SQObjectPtr old = v->ss()->_consttable;
    if (SQ_FAILED(sq_setconsttable(v))) return SQ_ERROR;
    v->Push(old);
    return 1;
}

SQInteger base_assert(HSQUIRRELVM v)
{
    if (sq_isfalse(sq_stackobj(v, 2))) {
        if (sq_gettop(v) > 2) {
            SQObjectPtr msg(sq_stackobj(v, 3));
            if (sq_type(msg) == OT_STRING) return sq_throwerror(v, _string(msg)->_val);
            v->Raise_Error(msg);
            return SQ_ERROR;
        }
        return sq_throwerror(v, "assertion failed");
    }
    return 0;
}

SQInteger base_compilestring(HSQUIRRELVM v)
{
    const SQChar* src;
    SQInteger size;
    sq_getstringandsize(v, 2, &src, &size);
    const SQChar* name = "unnamedbuffer";
    if (sq_gettop(v) > 2) sq_getstring(v, 3, &name);
    if (SQ_FAILED(sq_compilebuffer(v, src, size, name, SQFalse))) return SQ_ERROR;
    return 1;
}

SQInteger base_collectgarbage(HSQUIRRELVM v)
{
    sq_pushinteger(v, sq_collectgarbage(v));
    return 1;
}

SQInteger base_resurrectunreachable(HSQUIRRELVM v)
{
    sq_resurrectunreachable(v);
    return 1;
}

SQInteger base_type(HSQUIRRELVM v)
{
    sq_pushstring(v, sq_typename(sq_stackobj(v, 2)), -1);
    return 1;
}

SQInteger base_getstackinfos(HSQUIRRELVM v)
{
    SQInteger level;
    sq_getinteger(v, 2, &level);
    SQStackInfos si;
    if (SQ_FAILED(sq_stackinfos(v, level, &si))) {
        sq_pushnull(v);
        return 1;
    }
    SQInteger seq = 0;
    sq_newtable(v);
    sq_pushstring(v, "func", -1);
    sq_pushstring(v, si.funcname, -1);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "src", -1);
    sq_pushstring(v, si.source, -1);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "line", -1);
    sq_pushinteger(v, si.line);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "locals", -1);
    sq_newtable(v);
    while (const SQChar* name = sq_getlocal(v, (SQUnsignedInteger)level, (SQUnsignedInteger)seq)) {
        sq_pushstring(v, name, -1);
        sq_push(v, -2);
        sq_newslot(v, -4, SQFalse);
        sq_pop(v, 1);
        seq++;
    }
    sq_newslot(v, -3, SQFalse);
    return 1;
}

SQInteger base_newthread(HSQUIRRELVM v)
{
    SQObjectPtr func(sq_stackobj(v, 2));
    SQInteger stacksize = 1024;
    HSQUIRRELVM thread = sq_newthread(v, stacksize);
    thread->Push(func);
    return 1;
}

SQInteger base_suspend(HSQUIRRELVM v)
{
    if (sq_gettop(v) > 1)
        sq_push(v, 2);
    else
        sq_pushnull(v);
    return sq_suspendvm(v);
}

// min and max of any number of values, as the comparison operators order them.
SQInteger minmax(HSQUIRRELVM v, bool wantmax)
{
    SQInteger n = sq_gettop(v);
    SQObjectPtr best(sq_stackobj(v, 2));
    for (SQInteger i = 3; i <= n; i++) {
        SQObjectPtr cur(sq_stackobj(v, i));
        SQInteger c;
        if (!v->ObjCmp(cur, best, c)) return SQ_ERROR;
        if (wantmax ? c > 0 : c < 0) best = cur;
    }
    v->Push(best);
    return 1;
}
SQInteger base_min(HSQUIRRELVM v) { return minmax(v, false); }
SQInteger base_max(HSQUIRRELVM v) { return minmax(v, true); }

const SQRegFunction base_funcs[] = {{"seterrorhandler", base_seterrorhandler, 2, nullptr},
                                    {"setdebughook", base_setdebughook, 2, nullptr},
                                    {"enabledebuginfo", base_enabledebuginfo, 2, nullptr},
                                    {"getstackinfos", base_getstackinfos, 2, ".n"},
                                    {"getroottable", base_getroottable, 1, nullptr},
                                    {"setroottable", base_setroottable, 2, nullptr},
                                    {"getconsttable", base_getconsttable, 1, nullptr},
                                    {"setconsttable", base_setconsttable, 2, nullptr},
                                    {"assert", base_assert, -2, nullptr},
                                    {"print", base_print, 2, nullptr},
                                    {"error", base_error, 2, nullptr},
                                    {"compilestring", base_compilestring, -2, ".ss"},
                                    {"newthread", base_newthread, 2, ".c"},
                                    {"suspend", base_suspend, -1, nullptr},
                                    {"array", base_array, -2, ".n"},
                                    {"type", base_type, 2, nullptr},
                                    {"callee", base_callee, 1, nullptr},
                                    {"collectgarbage", base_collectgarbage, 1, nullptr},
                                    {"resurrectunreachable", base_resurrectunreachable, 1, nullptr},
                                    {"min", base_min, -3, nullptr},
                                    {"max", base_max, -3, nullptr},
                                    {nullptr, nullptr, 0, nullptr}};

}  // namespace

void sq_base_register(HSQUIRRELVM v)
{
    SQSharedState* ss = v->ss();
    SQTable* root = _table(v->_roottable);
    sq_registerfuncs(ss, root, base_funcs);
    root->NewSlot(ss->StringObj("_versionnumber_"), SQObjectPtr((SQInteger)SQUIRREL_VERSION_NUMBER));
    root->NewSlot(ss->StringObj("_version_"), ss->StringObj(SQUIRREL_VERSION));
    root->NewSlot(ss->StringObj("_charsize_"), SQObjectPtr((SQInteger)sizeof(SQChar)));
    root->NewSlot(ss->StringObj("_intsize_"), SQObjectPtr((SQInteger)sizeof(SQInteger)));
    root->NewSlot(ss->StringObj("_floatsize_"), SQObjectPtr((SQInteger)sizeof(SQFloat)));
}
