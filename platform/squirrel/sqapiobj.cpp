// sqapiobj.cpp -- embedding API: slots, arrays, delegates, calls, errors,
// host references, the collector and the debug interface.
#include <algorithm>
#include <cstring>

#include "platform/squirrel/sqapi.h"
#include "platform/squirrel/sqarray.h"
#include "platform/squirrel/sqclass.h"
#include "platform/squirrel/sqtable.h"

// --- root, registry, const tables --------------------------------------------------

void sq_pushroottable(HSQUIRRELVM v) { v->Push(v->_roottable); }
void sq_pushregistrytable(HSQUIRRELVM v) { v->Push(v->ss()->_registry); }
void sq_pushconsttable(HSQUIRRELVM v) { v->Push(v->ss()->_consttable); }

SQRESULT sq_setroottable(HSQUIRRELVM v)
{
    SQObjectPtr o(sq_stackobj(v, -1));
    if (sq_type(o) != OT_TABLE && sq_type(o) != OT_NULL) return sq_throwerror(v, "invalid type");
    v->_roottable = o;
    v->Pop();
    return SQ_OK;
}

SQRESULT sq_setconsttable(HSQUIRRELVM v)
{
    SQObjectPtr o(sq_stackobj(v, -1));
    if (sq_type(o) != OT_TABLE) return sq_throwerror(v, "invalid type, expected table");
    v->ss()->_consttable = o;
    v->Pop();
    return SQ_OK;
}

// --- slots -------------------------------------------------------------------------

SQRESULT sq_newslot(HSQUIRRELVM v, SQInteger idx, SQBool bstatic)
{
    if (sq_gettop(v) < 3) return sq_throwerror(v, "not enough params in the stack");
    SQObjectPtr self(sq_stackobj(v, idx)), key(sq_stackobj(v, -2)), val(sq_stackobj(v, -1));
    if (sq_type(self) != OT_TABLE && sq_type(self) != OT_CLASS) return sq_throwerror(v, "invalid type");
    v->Pop(2);
    if (!v->NewSlot(self, key, val, bstatic != 0)) return SQ_ERROR;
    return SQ_OK;
}

SQRESULT sq_createslot(HSQUIRRELVM v, SQInteger idx) { return sq_newslot(v, idx, SQFalse); }

SQRESULT sq_deleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval)
{
    SQObjectPtr self(sq_stackobj(v, idx)), key(sq_stackobj(v, -1)), res;
    if (sq_type(self) != OT_TABLE) return sq_throwerror(v, "delete slot only works on tables");
    v->Pop();
    if (!v->DeleteSlot(self, key, res)) return SQ_ERROR;
    if (pushval) v->Push(res);
    return SQ_OK;
}

SQRESULT sq_set(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr self(sq_stackobj(v, idx)), key(sq_stackobj(v, -2)), val(sq_stackobj(v, -1));
    v->Pop(2);
    return v->Set(self, key, val) ? SQ_OK : SQ_ERROR;
}

SQRESULT sq_get(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr self(sq_stackobj(v, idx)), key(sq_stackobj(v, -1)), res;
    v->Pop();
    if (!v->Get(self, key, res, false)) return SQ_ERROR;
    v->Push(res);
    return SQ_OK;
}

SQRESULT sq_rawget(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr self(sq_stackobj(v, idx)), key(sq_stackobj(v, -1)), res;
    v->Pop();
    switch (sq_type(self)) {
        case OT_TABLE:
        case OT_ARRAY:
        case OT_CLASS:
        case OT_INSTANCE:
            if (v->Get(self, key, res, true)) {
                v->Push(res);
                return SQ_OK;
            }
            return SQ_ERROR;
        default:
            return sq_throwerror(v, "rawget works only on array/table/instance and class");
    }
}

SQRESULT sq_rawset(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr self(sq_stackobj(v, idx)), key(sq_stackobj(v, -2)), val(sq_stackobj(v, -1));
    v->Pop(2);
    if (sq_type(key) == OT_NULL) return sq_throwerror(v, "null key");
    switch (sq_type(self)) {
        case OT_TABLE:
            _table(self)->NewSlot(key, val);
            return SQ_OK;
        case OT_CLASS:  // no metamethods on classes: the same as <-
            return v->NewSlot(self, key, val, false) ? SQ_OK : SQ_ERROR;
        case OT_INSTANCE:
            if (_instance(self)->Set(key, val)) return SQ_OK;
            break;
        case OT_ARRAY:
            if ((sq_type(key) & SQOBJECT_NUMERIC) && _array(self)->Set(sq_tointeger(key), val)) return SQ_OK;
            break;
        default:
            return sq_throwerror(v, "rawset works only on array/table/class and instance");
    }
    v->Raise_IdxError(key);
    return SQ_ERROR;
}

SQRESULT sq_rawdeleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval)
{
    SQObjectPtr self(sq_stackobj(v, idx)), key(sq_stackobj(v, -1)), res;
    if (sq_type(self) != OT_TABLE) return sq_throwerror(v, "delete slot only works on tables");
    v->Pop();
    _table(self)->Get(key, res);
    _table(self)->Remove(key);
    if (pushval) v->Push(res);
    return SQ_OK;
}

static SQRESULT newMember(HSQUIRRELVM v, SQInteger idx, SQBool bstatic, bool raw)
{
    SQObjectPtr self(sq_stackobj(v, idx)), key(sq_stackobj(v, -3)), val(sq_stackobj(v, -2)), attrs(sq_stackobj(v, -1));
    if (sq_type(self) != OT_CLASS) return sq_throwerror(v, "new member only works with classes");
    v->Pop(3);
    const SQObjectPtr* mm = raw ? nullptr : _class(self)->GetMetaMethod(MT_NEWMEMBER);
    if (mm) {
        SQObjectPtr fn(*mm), ret;
        v->Push(self);
        v->Push(key);
        v->Push(val);
        v->Push(attrs);
        v->Push(SQObjectPtr(bstatic != 0));
        return v->CallMetaMethod(fn, 5, ret) ? SQ_OK : SQ_ERROR;
    }
    if (!v->NewSlot(self, key, val, bstatic != 0)) return SQ_ERROR;
    if (sq_type(attrs) != OT_NULL) _class(self)->SetAttributes(key, attrs);
    return SQ_OK;
}

SQRESULT sq_newmember(HSQUIRRELVM v, SQInteger idx, SQBool bstatic) { return newMember(v, idx, bstatic, false); }
SQRESULT sq_rawnewmember(HSQUIRRELVM v, SQInteger idx, SQBool bstatic) { return newMember(v, idx, bstatic, true); }

// --- arrays --------------------------------------------------------------------------

static SQArray* arrayAt(HSQUIRRELVM v, SQInteger idx)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_ARRAY) {
        sq_throwerror(v, "the object is not an array");
        return nullptr;
    }
    return _array(o);
}

SQRESULT sq_arrayappend(HSQUIRRELVM v, SQInteger idx)
{
    SQArray* a = arrayAt(v, idx);
    if (!a) return SQ_ERROR;
    a->Append(sq_stackobj(v, -1));
    v->Pop();
    return SQ_OK;
}

SQRESULT sq_arraypop(HSQUIRRELVM v, SQInteger idx, SQBool pushval)
{
    SQArray* a = arrayAt(v, idx);
    if (!a) return SQ_ERROR;
    if (a->Size() == 0) return sq_throwerror(v, "empty array");
    SQObjectPtr last = std::move(a->_values.back());
    a->_values.pop_back();
    if (pushval) v->Push(last);
    return SQ_OK;
}

SQRESULT sq_arrayresize(HSQUIRRELVM v, SQInteger idx, SQInteger newsize)
{
    SQArray* a = arrayAt(v, idx);
    if (!a) return SQ_ERROR;
    if (newsize < 0) return sq_throwerror(v, "negative size");
    if (!a->Resize(newsize, sq_nullobj())) return sq_throwerror(v, "array too big");
    return SQ_OK;
}

SQRESULT sq_arrayreverse(HSQUIRRELVM v, SQInteger idx)
{
    SQArray* a = arrayAt(v, idx);
    if (!a) return SQ_ERROR;
    std::reverse(a->_values.begin(), a->_values.end());
    return SQ_OK;
}

SQRESULT sq_arrayremove(HSQUIRRELVM v, SQInteger idx, SQInteger itemidx)
{
    SQArray* a = arrayAt(v, idx);
    if (!a) return SQ_ERROR;
    if (itemidx < 0 || itemidx >= a->Size()) return sq_throwerror(v, "index out of range");
    a->Remove(itemidx);
    return SQ_OK;
}

SQRESULT sq_arrayinsert(HSQUIRRELVM v, SQInteger idx, SQInteger destpos)
{
    SQArray* a = arrayAt(v, idx);
    if (!a) return SQ_ERROR;
    if (destpos < 0 || destpos > a->Size()) return sq_throwerror(v, "index out of range");
    a->Insert(destpos, sq_stackobj(v, -1));
    v->Pop();
    return SQ_OK;
}

SQRESULT sq_clear(HSQUIRRELVM v, SQInteger idx)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    switch (sq_type(o)) {
        case OT_TABLE:
            _table(o)->Clear();
            return SQ_OK;
        case OT_ARRAY:
            _array(o)->finalize();
            return SQ_OK;
        default:
            return sq_throwerror(v, "clear only works on table and array");
    }
}

// --- delegates, clones, free variables, iteration -------------------------------------

SQRESULT sq_setdelegate(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr self(sq_stackobj(v, idx)), mt(sq_stackobj(v, -1));
    if (sq_type(mt) != OT_TABLE && sq_type(mt) != OT_NULL) return sq_throwerror(v, "invalid type");
    SQTable* d = sq_type(mt) == OT_TABLE ? _table(mt) : nullptr;
    switch (sq_type(self)) {
        case OT_TABLE:
            if (!_table(self)->SetDelegate(d)) return sq_throwerror(v, "delegate cycle");
            break;
        case OT_USERDATA:
            _userdata(self)->SetDelegate(d);
            break;
        default:
            return sq_throwerror(v, "invalid type");
    }
    v->Pop();
    return SQ_OK;
}

SQRESULT sq_getdelegate(HSQUIRRELVM v, SQInteger idx)
{
    const SQObjectPtr& self = sq_stackobj(v, idx);
    if (sq_type(self) != OT_TABLE && sq_type(self) != OT_USERDATA) return sq_throwerror(v, "wrong type");
    SQTable* d = sq_delegateof(self);
    if (d)
        v->Push(SQObjectPtr(d));
    else
        v->Push(SQObjectPtr());
    return SQ_OK;
}

SQRESULT sq_clone(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr o(sq_stackobj(v, idx)), res;
    if (!v->Clone(o, res)) return SQ_ERROR;
    v->Push(res);
    return SQ_OK;
}

SQRESULT sq_setfreevariable(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger nval)
{
    SQObjectPtr self(sq_stackobj(v, idx)), val(sq_stackobj(v, -1));
    if (sq_type(self) == OT_CLOSURE) {
        SQClosure* c = _closure(self);
        if (nval >= c->_outervalues.size()) return sq_throwerror(v, "invalid free var index");
        *_outer(c->_outervalues[nval])->_valptr = val;
    } else if (sq_type(self) == OT_NATIVECLOSURE) {
        SQNativeClosure* c = _nativeclosure(self);
        if (nval >= c->_outervalues.size()) return sq_throwerror(v, "invalid free var index");
        c->_outervalues[nval] = val;
    } else {
        return sq_throwerror(v, "invalid type");
    }
    v->Pop();
    return SQ_OK;
}

const SQChar* sq_getfreevariable(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger nval)
{
    SQObjectPtr self(sq_stackobj(v, idx));
    if (sq_type(self) == OT_CLOSURE) {
        SQClosure* c = _closure(self);
        SQFunctionProto* p = c->proto();
        if (nval >= c->_outervalues.size()) return nullptr;
        v->Push(*_outer(c->_outervalues[nval])->_valptr);
        return _string(p->_outervars[nval].name)->_val;
    }
    if (sq_type(self) == OT_NATIVECLOSURE) {
        SQNativeClosure* c = _nativeclosure(self);
        if (nval >= c->_outervalues.size()) return nullptr;
        v->Push(c->_outervalues[nval]);
        return "@NATIVE";
    }
    return nullptr;
}

SQRESULT sq_next(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr self(sq_stackobj(v, idx)), iter(sq_stackobj(v, -1)), key, val;
    bool done;
    if (sq_type(self) == OT_GENERATOR) return sq_throwerror(v, "cannot iterate a generator");
    if (!v->ForeachNext(self, iter, key, val, done)) return SQ_ERROR;
    if (done) return SQ_ERROR;
    sq_stackobj(v, -1) = iter;
    v->Push(key);
    v->Push(val);
    return SQ_OK;
}

SQRESULT sq_getweakrefval(HSQUIRRELVM v, SQInteger idx)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_WEAKREF) return sq_throwerror(v, "the object must be a weakref");
    v->Push(SQObjectPtr(_weakref(o)->_obj));
    return SQ_OK;
}

// --- calls and errors ------------------------------------------------------------------

SQRESULT sq_call(HSQUIRRELVM v, SQInteger params, SQBool retval, SQBool raiseerror)
{
    if (params < 1 || sq_gettop(v) < params + 1) return sq_throwerror(v, "not enough parameters in the stack");
    SQInteger stackbase = v->_top - params;
    SQObjectPtr closure(v->_stack[stackbase - 1]), res;
    bool ok = v->Call(closure, params, stackbase, res, raiseerror != 0);
    if (v->_state == SQ_VMSTATE_SUSPENDED) {
        if (retval) v->Push(res);
        return SQ_OK;
    }
    while (v->_top > stackbase) v->Pop();
    if (!ok) return SQ_ERROR;
    if (retval) v->Push(res);
    return SQ_OK;
}

SQRESULT sq_resume(HSQUIRRELVM v, SQBool retval, SQBool raiseerror)
{
    SQObjectPtr gen(sq_stackobj(v, -1)), res;
    if (sq_type(gen) != OT_GENERATOR) return sq_throwerror(v, "only generators can be resumed");
    if (!v->Resume(_generator(gen), res, raiseerror != 0)) return SQ_ERROR;
    if (retval) v->Push(res);
    return SQ_OK;
}

SQRESULT sq_tailcall(HSQUIRRELVM v, SQInteger nparams)
{
    // The closure and its arguments are on top; the result becomes the
    // return value of the calling native function.
    if (SQ_FAILED(sq_call(v, nparams, SQTrue, SQTrue))) return SQ_ERROR;
    sq_remove(v, -2);
    return 1;
}

SQRESULT sq_throwerror(HSQUIRRELVM v, const SQChar* err)
{
    v->Raise_Error(v->ss()->StringObj(err ? err : "unknown error"));
    return SQ_ERROR;
}

SQRESULT sq_throwobject(HSQUIRRELVM v)
{
    v->Raise_Error(sq_stackobj(v, -1));
    v->Pop();
    return SQ_ERROR;
}

void sq_reseterror(HSQUIRRELVM v) { v->_lasterror.Null(); }
void sq_getlasterror(HSQUIRRELVM v) { v->Push(v->_lasterror); }

SQRESULT sq_getcallee(HSQUIRRELVM v)
{
    if (v->_callstack.empty()) return sq_throwerror(v, "no closure in the calls stack");
    v->Push(v->_callstack.back().closure);
    return SQ_OK;
}

// --- host references -----------------------------------------------------------------

SQRESULT sq_getstackobj(HSQUIRRELVM v, SQInteger idx, HSQOBJECT* po)
{
    *po = sq_stackobj(v, idx);
    return SQ_OK;
}

void sq_pushobject(HSQUIRRELVM v, HSQOBJECT obj) { v->Push(obj); }

void sq_addref(HSQUIRRELVM v, HSQOBJECT* po)
{
    if (!ISREFCOUNTED(sq_type(*po))) return;
    auto& entry = v->ss()->_refs[_refcounted(*po)];
    if (entry.second == 0) entry.first = *po;
    entry.second++;
}

SQBool sq_release(HSQUIRRELVM v, HSQOBJECT* po)
{
    if (!ISREFCOUNTED(sq_type(*po))) return SQTrue;
    auto& refs = v->ss()->_refs;
    auto it = refs.find(_refcounted(*po));
    if (it == refs.end()) return SQTrue;
    if (--it->second.second > 0) return SQFalse;
    SQObjectPtr keep = std::move(it->second.first);
    refs.erase(it);
    sq_resetobject(po);
    return SQTrue;
}

SQUnsignedInteger sq_getrefcount(HSQUIRRELVM v, HSQOBJECT* po)
{
    if (!ISREFCOUNTED(sq_type(*po))) return 0;
    auto it = v->ss()->_refs.find(_refcounted(*po));
    return it == v->ss()->_refs.end() ? 0 : it->second.second;
}

void sq_resetobject(HSQOBJECT* po)
{
    po->_type = OT_NULL;
    po->_unVal.raw = 0;
}

const SQChar* sq_objtostring(const HSQOBJECT* o) { return sq_type(*o) == OT_STRING ? _string(*o)->_val : nullptr; }
SQBool sq_objtobool(const HSQOBJECT* o) { return sq_type(*o) == OT_BOOL && _integer(*o) ? SQTrue : SQFalse; }
SQInteger sq_objtointeger(const HSQOBJECT* o) { return (sq_type(*o) & SQOBJECT_NUMERIC) ? sq_tointeger(*o) : 0; }
SQFloat sq_objtofloat(const HSQOBJECT* o) { return (sq_type(*o) & SQOBJECT_NUMERIC) ? sq_tofloat(*o) : 0.0f; }
SQUserPointer sq_objtouserpointer(const HSQOBJECT* o)
{
    return sq_type(*o) == OT_USERPOINTER ? _userpointer(*o) : nullptr;
}

// --- collector -------------------------------------------------------------------------

SQInteger sq_collectgarbage(HSQUIRRELVM v) { return v->ss()->Collect(); }

SQRESULT sq_resurrectunreachable(HSQUIRRELVM v)
{
    SQObjectPtr res;
    v->ss()->Collect(&res);
    v->Push(res);
    return SQ_OK;
}

// --- debug interface -------------------------------------------------------------------

static const SQCallInfo* frameAt(HSQUIRRELVM v, SQInteger level)
{
    SQInteger n = (SQInteger)v->_callstack.size();
    if (level < 0 || level >= n) return nullptr;
    return &v->_callstack[n - 1 - level];
}

SQRESULT sq_stackinfos(HSQUIRRELVM v, SQInteger level, SQStackInfos* si)
{
    const SQCallInfo* ci = frameAt(v, level);
    if (!ci) return SQ_ERROR;
    si->funcname = "unknown";
    si->source = "NATIVE";
    si->line = -1;
    if (sq_type(ci->closure) == OT_CLOSURE) {
        SQFunctionProto* p = _closure(ci->closure)->proto();
        if (sq_type(p->_name) == OT_STRING) si->funcname = _string(p->_name)->_val;
        if (sq_type(p->_sourcename) == OT_STRING) si->source = _string(p->_sourcename)->_val;
        SQInteger pc = ci->ip - p->_code.data() - 1;
        si->line = p->GetLine(pc < 0 ? 0 : pc);
    } else if (sq_type(ci->closure) == OT_NATIVECLOSURE) {
        SQNativeClosure* nc = _nativeclosure(ci->closure);
        if (sq_type(nc->_name) == OT_STRING) si->funcname = _string(nc->_name)->_val;
    }
    return SQ_OK;
}

SQRESULT sq_getfunctioninfo(HSQUIRRELVM v, SQInteger level, SQFunctionInfo* fi)
{
    const SQCallInfo* ci = frameAt(v, level);
    if (!ci || sq_type(ci->closure) != OT_CLOSURE) return sq_throwerror(v, "the object is not a closure");
    SQFunctionProto* p = _closure(ci->closure)->proto();
    fi->funcid = p;
    fi->name = sq_type(p->_name) == OT_STRING ? _string(p->_name)->_val : "unknown";
    fi->source = sq_type(p->_sourcename) == OT_STRING ? _string(p->_sourcename)->_val : "unknown";
    fi->line = p->_lineinfos.empty() ? 0 : p->_lineinfos[0].line;
    return SQ_OK;
}

// Locals of a frame: the free variables first, then the local variables
// alive at the frame's current instruction, in declaration order.
const SQChar* sq_getlocal(HSQUIRRELVM v, SQUnsignedInteger level, SQUnsignedInteger idx)
{
    const SQCallInfo* ci = frameAt(v, (SQInteger)level);
    if (!ci || sq_type(ci->closure) != OT_CLOSURE) return nullptr;
    SQClosure* c = _closure(ci->closure);
    SQFunctionProto* p = c->proto();
    if (idx < p->_outervars.size()) {
        v->Push(*_outer(c->_outervalues[idx])->_valptr);
        return _string(p->_outervars[idx].name)->_val;
    }
    idx -= p->_outervars.size();
    SQInteger pc = ci->ip - p->_code.data() - 1;
    for (const SQLocalVarInfo& lv : p->_localvars) {
        if (pc < lv.startpc || (lv.endpc >= 0 && pc >= lv.endpc)) continue;
        const char* name = _string(lv.name)->_val;
        if (name[0] == '@') continue;  // hidden loop state
        if (idx-- == 0) {
            v->Push(v->_stack[ci->base + lv.reg]);
            return name;
        }
    }
    return nullptr;
}

void sq_setdebughook(HSQUIRRELVM v)
{
    SQObjectPtr o(sq_stackobj(v, -1));
    if (sq_type(o) == OT_CLOSURE || sq_type(o) == OT_NATIVECLOSURE || sq_type(o) == OT_NULL) {
        v->ss()->_debughook_closure = o;
        v->ss()->_debughook_native = nullptr;
    }
    v->Pop();
}

void sq_setnativedebughook(HSQUIRRELVM v, SQDEBUGHOOK hook)
{
    v->ss()->_debughook_native = hook;
    v->ss()->_debughook_closure.Null();
}
