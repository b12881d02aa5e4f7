#include "script/sqbind.h"

#include "shell/log.h"

namespace sqbind {

SQInteger getInt(HSQUIRRELVM v, SQInteger idx)
{
    SQInteger i;
    if (sq_gettype(v, idx) != OT_INTEGER || SQ_FAILED(sq_getinteger(v, idx, &i))) throw SquirrelError{TYPE_ERROR};
    return i;
}

float getFloat(HSQUIRRELVM v, SQInteger idx)
{
    // Integers pass as floats: a script writes 1 for full volume.
    SQFloat f;
    if (!(sq_gettype(v, idx) & SQOBJECT_NUMERIC) || SQ_FAILED(sq_getfloat(v, idx, &f)))
        throw SquirrelError{TYPE_ERROR};
    return f;
}

bool getBool(HSQUIRRELVM v, SQInteger idx)
{
    SQBool b;
    if (SQ_FAILED(sq_getbool(v, idx, &b))) throw SquirrelError{TYPE_ERROR};
    return b != 0;
}

const char* getString(HSQUIRRELVM v, SQInteger idx)
{
    const SQChar* s;
    if (SQ_FAILED(sq_getstring(v, idx, &s))) throw SquirrelError{TYPE_ERROR};
    return s;
}

void registerNative(HSQUIRRELVM v, const char* name, void* fn, SQFUNCTION thunk, int argCount)
{
    sq_pushroottable(v);
    sq_pushstring(v, name, -1);
    sq_pushuserpointer(v, fn);
    sq_newclosure(v, thunk, 1);
    if (argCount >= 0) sq_setparamscheck(v, argCount + 1, nullptr);
    sq_setnativeclosurename(v, -1, name);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
}

void registerConstant(HSQUIRRELVM v, const char* name, SQInteger value)
{
    sq_pushroottable(v);
    sq_pushstring(v, name, -1);
    sq_pushinteger(v, value);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
}

const char* lastError(HSQUIRRELVM v)
{
    sq_getlasterror(v);
    const SQChar* s = nullptr;
    // The string stays alive as the VM's last error after the pop.
    bool isString = SQ_SUCCEEDED(sq_getstring(v, -1, &s));
    sq_pop(v, 1);
    return isString ? s : "unknown error";
}

HSQOBJECT getGlobal(HSQUIRRELVM v, const char* name)
{
    sq_pushroottable(v);
    sq_pushstring(v, name, -1);
    if (SQ_FAILED(sq_get(v, -2))) {
        sq_pop(v, 1);
        logPrint("getGlobal '%s' failed", name);
        throw SquirrelError{lastError(v)};
    }
    HSQOBJECT o;
    sq_getstackobj(v, -1, &o);
    sq_addref(v, &o);
    sq_pop(v, 2);
    return o;
}

void* getReg(HSQUIRRELVM v, const char* name)
{
    sq_pushregistrytable(v);
    sq_pushstring(v, name, -1);
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_get(v, -2)) ) {
        sq_pop(v, 1);
        logPrint("getReg '%s' failed", name);
        throw SquirrelError{lastError(v)};
    }
    sq_getuserpointer(v, -1, &p);
    sq_pop(v, 2);
    return p;
}

void SqFunc::bind(HSQUIRRELVM v, const HSQOBJECT& e, const HSQOBJECT& f)
{
    release();
    vm = v;
    env = e;
    func = f;
    sq_addref(vm, &env);
    sq_addref(vm, &func);
}

void SqFunc::release()
{
    if (!vm) return;
    sq_release(vm, &env);
    sq_release(vm, &func);
    sq_resetobject(&env);
    sq_resetobject(&func);
    vm = nullptr;
}

SQInteger SqFunc::callInt()
{
    if (!vm) throw SquirrelError{"SqFunc<> call failed"};
    SQInteger top = sq_gettop(vm);
    sq_pushobject(vm, func);
    sq_pushobject(vm, env);
    if (sq_type(env) == OT_WEAKREF) {
        // A weakly held environment that has gone away cannot be called with.
        sq_getweakrefval(vm, -1);
        if (sq_gettype(vm, -1) == OT_NULL) {
            sq_settop(vm, top);
            throw SquirrelError{"SqFunc: can't deref weakptr to object"};
        }
        sq_remove(vm, -2);
    }
    if (SQ_FAILED(sq_call(vm, 1, SQTrue, SQTrue))) {
        sq_settop(vm, top);
        throw SquirrelError{"SqFunc<> call failed"};
    }
    SQInteger result;
    bool isInt = sq_gettype(vm, -1) == OT_INTEGER && SQ_SUCCEEDED(sq_getinteger(vm, -1, &result));
    sq_settop(vm, top);
    if (!isInt) throw SquirrelError{TYPE_ERROR};
    return result;
}

namespace detail {

void* storedFunction(HSQUIRRELVM v)
{
    SQInteger params = 0, freeVars = 0;
    sq_getcallee(v);
    bool ok = SQ_SUCCEEDED(sq_getclosureinfo(v, -1, &params, &freeVars));
    sq_pop(v, 1);
    SQUserPointer p = nullptr;
    if (!ok || freeVars < 1 || SQ_FAILED(sq_getuserpointer(v, sq_gettop(v), &p))) return nullptr;
    return p;
}

SQInteger noFunctionStored(HSQUIRRELVM v)
{
    return sq_throwerror(v, "native closure called without a stored function");
}

}  // namespace detail

}  // namespace sqbind
