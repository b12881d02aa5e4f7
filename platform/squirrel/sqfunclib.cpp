// sqfunclib.cpp -- default delegates of functions and threads.
#include "platform/squirrel/sqapi.h"
#include "platform/squirrel/sqarray.h"
#include "platform/squirrel/sqdelegates.h"
#include "platform/squirrel/sqtable.h"

namespace {

// --- functions -----------------------------------------------------------------------

// f.call(this, args...): the values from stack index 2 on are 'this' and the arguments.
SQInteger closure_call_impl(HSQUIRRELVM v, bool raiseerror)
{
    SQObjectPtr fn(sq_stackobj(v, 1)), ret;
    SQInteger nparams = sq_gettop(v) - 1;
    if (!v->Call(fn, nparams, v->_stackbase + 1, ret, raiseerror)) return SQ_ERROR;
    v->Push(ret);
    return 1;
}
SQInteger closure_call(HSQUIRRELVM v) { return closure_call_impl(v, true); }
SQInteger closure_pcall(HSQUIRRELVM v) { return closure_call_impl(v, false); }

SQInteger closure_acall_impl(HSQUIRRELVM v, bool raiseerror)
{
    SQObjectPtr fn(sq_stackobj(v, 1)), args(sq_stackobj(v, 2)), ret;
    std::vector<SQObjectPtr> items(_array(args)->_values.begin(), _array(args)->_values.end());
    if (items.empty()) return sq_throwerror(v, "the array must contain at least the 'this' object");
    SQInteger top = v->_top;
    v->Push(fn);
    for (const SQObjectPtr& o : items) v->Push(o);
    bool ok = v->Call(fn, (SQInteger)items.size(), top + 1, ret, raiseerror);
    while (v->_top > top) v->Pop();
    if (!ok) return SQ_ERROR;
    v->Push(ret);
    return 1;
}
SQInteger closure_acall(HSQUIRRELVM v) { return closure_acall_impl(v, true); }
SQInteger closure_pacall(HSQUIRRELVM v) { return closure_acall_impl(v, false); }

SQInteger closure_bindenv(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_bindenv(v, 1)) ? 1 : SQ_ERROR; }
SQInteger closure_getroot(HSQUIRRELVM v) { return SQ_SUCCEEDED(sq_getclosureroot(v, 1)) ? 1 : SQ_ERROR; }

SQInteger closure_setroot(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_setclosureroot(v, 1))) return SQ_ERROR;
    sq_push(v, 1);
    return 1;
}

void setSlot(HSQUIRRELVM v, SQTable* t, const char* name, const SQObject& val)
{
    t->NewSlot(v->ss()->StringObj(name), val);
}

SQInteger closure_getinfos(HSQUIRRELVM v)
{
    SQObjectPtr fn(sq_stackobj(v, 1));
    SQTable* t = SQTable::Create(v->ss());
    SQObjectPtr ref(t);
    if (sq_type(fn) == OT_CLOSURE) {
        SQFunctionProto* p = _closure(fn)->proto();
        SQArray* params = SQArray::Create(v->ss(), 0);
        SQObjectPtr pref(params);
        for (const SQObjectPtr& n : p->_parameters) params->Append(n);
        if (p->_varparams) params->Append(v->ss()->_vargvstr);
        SQArray* defs = SQArray::Create(v->ss(), 0);
        SQObjectPtr dref(defs);
        for (const SQObjectPtr& d : _closure(fn)->_defaultparams) defs->Append(d);
        setSlot(v, t, "native", SQObjectPtr(false));
        setSlot(v, t, "name", p->_name);
        setSlot(v, t, "src", p->_sourcename);
        setSlot(v, t, "parameters", pref);
        setSlot(v, t, "defparams", dref);
        setSlot(v, t, "varargs", SQObjectPtr((SQInteger)(p->_varparams ? 1 : 0)));
    } else {
        SQNativeClosure* nc = _nativeclosure(fn);
        SQArray* checks = SQArray::Create(v->ss(), 0);
        SQObjectPtr cref(checks);
        for (SQInteger m : nc->_typecheck) checks->Append(SQObjectPtr(m));
        setSlot(v, t, "native", SQObjectPtr(true));
        setSlot(v, t, "name", nc->_name);
        setSlot(v, t, "paramscheck", SQObjectPtr(nc->_nparamscheck));
        setSlot(v, t, "typecheck", cref);
    }
    v->Push(ref);
    return 1;
}

// --- threads -------------------------------------------------------------------------

HSQUIRRELVM threadOf(HSQUIRRELVM v) { return _thread(sq_stackobj(v, 1)); }

// Hands the thread's result (or error) back to the calling VM.
SQInteger finishThreadCall(HSQUIRRELVM v, HSQUIRRELVM thread, bool ok, const SQObjectPtr& ret)
{
    if (thread->_state != SQ_VMSTATE_SUSPENDED) thread->_state = SQ_VMSTATE_IDLE;
    if (!ok) {
        v->Raise_Error(thread->_lasterror);
        v->_errornotified = thread->_errornotified;
        return SQ_ERROR;
    }
    v->Push(ret);
    return 1;
}

SQInteger thread_call(HSQUIRRELVM v)
{
    SQObjectPtr self(sq_stackobj(v, 1));
    HSQUIRRELVM thread = threadOf(v);
    if (thread->_state != SQ_VMSTATE_IDLE) return sq_throwerror(v, "wrong status");
    if (thread->_top < 1) return sq_throwerror(v, "the thread has no function");
    sq_settop(thread, 1);
    SQObjectPtr fn(thread->_stack[0]);
    SQInteger nargs = sq_gettop(v) - 1;
    SQInteger base = thread->_top;
    thread->Push(thread->_roottable);
    for (SQInteger i = 2; i <= nargs + 1; i++) thread->Push(sq_stackobj(v, i));
    SQObjectPtr ret;
    thread->_state = SQ_VMSTATE_RUNNING;
    bool ok = thread->Call(fn, nargs + 1, base, ret, true);
    if (thread->_state != SQ_VMSTATE_SUSPENDED) sq_settop(thread, 1);
    return finishThreadCall(v, thread, ok, ret);
}

SQInteger thread_wakeup_impl(HSQUIRRELVM v, bool throwerror)
{
    SQObjectPtr self(sq_stackobj(v, 1));
    HSQUIRRELVM thread = threadOf(v);
    if (thread->_state != SQ_VMSTATE_SUSPENDED)
        return sq_throwerror(
            v, thread->_state == SQ_VMSTATE_IDLE ? "cannot wakeup a idle thread" : "cannot wakeup a running thread");
    bool hasvalue = sq_gettop(v) > 1;
    SQObjectPtr val;
    if (hasvalue) val = sq_stackobj(v, 2);
    // wakeupthrow(obj, false): an error the thread ends with stays in the
    // thread; the caller gets null and no handler hears of it.
    SQBool propagate = SQTrue;
    if (throwerror && sq_gettop(v) > 2) sq_getbool(v, 3, &propagate);
    SQObjectPtr ret;
    bool ok = thread->WakeUp(hasvalue, val, ret, propagate != 0, throwerror);
    if (thread->_state != SQ_VMSTATE_SUSPENDED) sq_settop(thread, 1);
    if (!ok && !propagate) {
        thread->_state = SQ_VMSTATE_IDLE;
        sq_pushnull(v);
        return 1;
    }
    return finishThreadCall(v, thread, ok, ret);
}
SQInteger thread_wakeup(HSQUIRRELVM v) { return thread_wakeup_impl(v, false); }
SQInteger thread_wakeupthrow(HSQUIRRELVM v) { return thread_wakeup_impl(v, true); }

SQInteger thread_getstatus(HSQUIRRELVM v)
{
    switch (threadOf(v)->_state) {
        case SQ_VMSTATE_IDLE:
            sq_pushstring(v, "idle", -1);
            break;
        case SQ_VMSTATE_RUNNING:
            sq_pushstring(v, "running", -1);
            break;
        default:
            sq_pushstring(v, "suspended", -1);
            break;
    }
    return 1;
}

SQInteger thread_getstackinfos(HSQUIRRELVM v)
{
    HSQUIRRELVM thread = threadOf(v);
    SQInteger level;
    sq_getinteger(v, 2, &level);
    SQStackInfos si;
    if (SQ_FAILED(sq_stackinfos(thread, level, &si))) {
        sq_pushnull(v);
        return 1;
    }
    SQTable* t = SQTable::Create(v->ss());
    SQObjectPtr ref(t);
    setSlot(v, t, "func", v->ss()->StringObj(si.funcname));
    setSlot(v, t, "src", v->ss()->StringObj(si.source));
    setSlot(v, t, "line", SQObjectPtr(si.line));
    v->Push(ref);
    return 1;
}

}  // namespace

const SQRegFunction sq_closure_delegate_funcs[] = {{"call", closure_call, -2, "c"},
                                                   {"pcall", closure_pcall, -2, "c"},
                                                   {"acall", closure_acall, 2, "ca"},
                                                   {"pacall", closure_pacall, 2, "ca"},
                                                   {"weakref", sq_default_weakref, 1, nullptr},
                                                   {"tostring", sq_default_tostring, 1, "."},
                                                   {"bindenv", closure_bindenv, 2, "c x|y|t"},
                                                   {"getinfos", closure_getinfos, 1, "c"},
                                                   {"getroot", closure_getroot, 1, "c"},
                                                   {"setroot", closure_setroot, 2, "ct"},
                                                   {nullptr, nullptr, 0, nullptr}};

const SQRegFunction sq_thread_delegate_funcs[] = {{"call", thread_call, -1, "v"},
                                                  {"wakeup", thread_wakeup, -1, "v"},
                                                  {"wakeupthrow", thread_wakeupthrow, -2, "v.b"},
                                                  {"getstatus", thread_getstatus, 1, "v"},
                                                  {"weakref", sq_default_weakref, 1, nullptr},
                                                  {"tostring", sq_default_tostring, 1, "."},
                                                  {"getstackinfos", thread_getstackinfos, 2, "vn"},
                                                  {nullptr, nullptr, 0, nullptr}};
