// sqapi.cpp -- embedding API: VMs, compiler, stack, creating and reading values.
#include "platform/squirrel/sqapi.h"

#include <cstring>

#include "platform/squirrel/sqarray.h"
#include "platform/squirrel/sqclass.h"
#include "platform/squirrel/sqcompiler.h"
#include "platform/squirrel/sqtable.h"

SQObjectPtr& sq_stackobj(HSQUIRRELVM v, SQInteger idx)
{
    static thread_local SQObjectPtr invalid;
    if (!sq_validindex(v, idx)) {
        invalid.Null();
        return invalid;
    }
    return v->StackAt(idx);
}

bool sq_validindex(HSQUIRRELVM v, SQInteger idx)
{
    if (idx == 0) return false;
    SQInteger abs = v->AbsIndex(idx);
    return abs >= 0 && abs < v->_top && abs >= (idx > 0 ? v->_stackbase : 0);
}

// --- virtual machine -----------------------------------------------------------

HSQUIRRELVM sq_open(SQInteger initialstacksize)
{
    SQSharedState* ss = new SQSharedState();
    ss->Init();
    SQVM* v = SQVM::Create(ss, nullptr, initialstacksize);
    v->_uiRef++;
    ss->_rootvm = v;
    sq_base_register(v);
    return v;
}

HSQUIRRELVM sq_newthread(HSQUIRRELVM friendvm, SQInteger initialstacksize)
{
    SQVM* v = SQVM::Create(friendvm->ss(), friendvm, initialstacksize);
    friendvm->Push(SQObjectPtr(v));
    return v;
}

void sq_close(HSQUIRRELVM v)
{
    SQSharedState* ss = v->ss();
    delete ss;
}

void sq_seterrorhandler(HSQUIRRELVM v)
{
    SQObjectPtr& o = sq_stackobj(v, -1);
    if (sq_type(o) == OT_CLOSURE || sq_type(o) == OT_NATIVECLOSURE || sq_type(o) == OT_NULL) v->ss()->_errorhandler = o;
    v->Pop();
}

void sq_setforeignptr(HSQUIRRELVM v, SQUserPointer p) { v->_foreignptr = p; }
SQUserPointer sq_getforeignptr(HSQUIRRELVM v) { return v->_foreignptr; }
void sq_setsharedforeignptr(HSQUIRRELVM v, SQUserPointer p) { v->ss()->_foreignptr = p; }
SQUserPointer sq_getsharedforeignptr(HSQUIRRELVM v) { return v->ss()->_foreignptr; }
void sq_setvmreleasehook(HSQUIRRELVM v, SQRELEASEHOOK hook) { v->_releasehook = hook; }
SQRELEASEHOOK sq_getvmreleasehook(HSQUIRRELVM v) { return v->_releasehook; }
void sq_setsharedreleasehook(HSQUIRRELVM v, SQRELEASEHOOK hook) { v->ss()->_releasehook = hook; }
SQRELEASEHOOK sq_getsharedreleasehook(HSQUIRRELVM v) { return v->ss()->_releasehook; }

void sq_setprintfunc(HSQUIRRELVM v, SQPRINTFUNCTION printfunc, SQPRINTFUNCTION errfunc)
{
    v->ss()->_printfunc = printfunc;
    v->ss()->_errorfunc = errfunc;
}
SQPRINTFUNCTION sq_getprintfunc(HSQUIRRELVM v) { return v->ss()->_printfunc; }
SQPRINTFUNCTION sq_geterrorfunc(HSQUIRRELVM v) { return v->ss()->_errorfunc; }

SQRESULT sq_suspendvm(HSQUIRRELVM v)
{
    (void)v;
    return SQ_SUSPEND_FLAG;
}

SQRESULT sq_wakeupvm(HSQUIRRELVM v, SQBool resumedret, SQBool retval, SQBool raiseerror, SQBool throwerror)
{
    SQObjectPtr val;
    if (resumedret) {
        val = sq_stackobj(v, -1);
        v->Pop();
    }
    SQObjectPtr ret;
    if (!v->WakeUp(resumedret != 0, val, ret, raiseerror != 0, throwerror != 0)) return SQ_ERROR;
    if (retval) v->Push(ret);
    return SQ_OK;
}

SQInteger sq_getvmstate(HSQUIRRELVM v) { return v->_state; }
SQInteger sq_getversion() { return SQUIRREL_VERSION_NUMBER; }

// --- compiler --------------------------------------------------------------------

SQRESULT sq_compileimpl(HSQUIRRELVM v, const SQChar* s, SQInteger size, const SQChar* sourcename, bool raiseerror)
{
    SQSharedState* ss = v->ss();
    SQCompileError err;
    if (!sourcename) sourcename = "unnamedbuffer";
    SQFunctionProto* proto = sq_compileproto(ss, s, size, sourcename, err);
    if (!proto) {
        if (raiseerror && ss->_compilererrorhandler)
            ss->_compilererrorhandler(v, err.message.c_str(), sourcename, err.line, err.col);
        v->Raise_Error(ss->StringObj(err.message.c_str()));
        return SQ_ERROR;
    }
    SQObjectPtr pref(proto);
    proto->_uiRef--;  // the compiler handed it over with one reference
    v->Push(SQObjectPtr(SQClosure::Create(ss, proto, v->_roottable)));
    return SQ_OK;
}

SQRESULT sq_compilebuffer(HSQUIRRELVM v, const SQChar* s, SQInteger size, const SQChar* sourcename, SQBool raiseerror)
{
    return sq_compileimpl(v, s, size, sourcename, raiseerror != 0);
}

SQRESULT sq_compile(HSQUIRRELVM v, SQLEXREADFUNC read, SQUserPointer p, const SQChar* sourcename, SQBool raiseerror)
{
    std::string src;
    for (SQInteger c; (c = read(p)) != 0;) src += (char)c;
    return sq_compileimpl(v, src.data(), (SQInteger)src.size(), sourcename, raiseerror != 0);
}

void sq_enabledebuginfo(HSQUIRRELVM v, SQBool enable) { v->ss()->_debuginfo = enable != 0; }
void sq_notifyallexceptions(HSQUIRRELVM v, SQBool enable) { v->ss()->_notifyallexceptions = enable != 0; }
void sq_setcompilererrorhandler(HSQUIRRELVM v, SQCOMPILERERROR f) { v->ss()->_compilererrorhandler = f; }

// --- stack -----------------------------------------------------------------------

void sq_push(HSQUIRRELVM v, SQInteger idx) { v->Push(SQObjectPtr(sq_stackobj(v, idx))); }

void sq_pop(HSQUIRRELVM v, SQInteger nelemstopop)
{
    SQInteger avail = v->_top - v->_stackbase;
    v->Pop(nelemstopop < avail ? nelemstopop : avail);
}

void sq_poptop(HSQUIRRELVM v) { sq_pop(v, 1); }

void sq_remove(HSQUIRRELVM v, SQInteger idx)
{
    if (!sq_validindex(v, idx)) return;
    SQInteger abs = v->AbsIndex(idx);
    for (SQInteger i = abs; i < v->_top - 1; i++) v->_stack[i] = std::move(v->_stack[i + 1]);
    v->_stack[--v->_top].Null();
}

SQInteger sq_gettop(HSQUIRRELVM v) { return v->_top - v->_stackbase; }

void sq_settop(HSQUIRRELVM v, SQInteger newtop)
{
    SQInteger top = sq_gettop(v);
    if (newtop < 0) newtop = 0;
    if (top > newtop)
        sq_pop(v, top - newtop);
    else
        while (top++ < newtop) sq_pushnull(v);
}

SQRESULT sq_reservestack(HSQUIRRELVM v, SQInteger nsize) { return v->GrowStack(v->_top + nsize) ? SQ_OK : SQ_ERROR; }

SQInteger sq_cmp(HSQUIRRELVM v)
{
    SQInteger res = 0;
    SQObjectPtr a(sq_stackobj(v, -1)), b(sq_stackobj(v, -2));
    v->ObjCmp(a, b, res);
    return res;
}

void sq_move(HSQUIRRELVM dest, HSQUIRRELVM src, SQInteger idx) { dest->Push(SQObjectPtr(sq_stackobj(src, idx))); }

// --- creating values ---------------------------------------------------------------

SQUserPointer sq_newuserdata(HSQUIRRELVM v, SQUnsignedInteger size)
{
    SQUserData* ud = SQUserData::Create(v->ss(), (SQInteger)size);
    v->Push(SQObjectPtr(ud));
    return ud->_val;
}

void sq_newtable(HSQUIRRELVM v) { v->Push(SQObjectPtr(SQTable::Create(v->ss()))); }
void sq_newtableex(HSQUIRRELVM v, SQInteger initialcapacity)
{
    v->Push(SQObjectPtr(SQTable::Create(v->ss(), initialcapacity)));
}
void sq_newarray(HSQUIRRELVM v, SQInteger size) { v->Push(SQObjectPtr(SQArray::Create(v->ss(), size < 0 ? 0 : size))); }

void sq_newclosure(HSQUIRRELVM v, SQFUNCTION func, SQUnsignedInteger nfreevars)
{
    SQNativeClosure* nc = SQNativeClosure::Create(v->ss(), func, (SQInteger)nfreevars);
    SQObjectPtr ref(nc);
    for (SQUnsignedInteger i = 0; i < nfreevars; i++)
        nc->_outervalues[i] = sq_stackobj(v, -(SQInteger)nfreevars + (SQInteger)i);
    v->Pop((SQInteger)nfreevars);
    v->Push(ref);
}

SQRESULT sq_setparamscheck(HSQUIRRELVM v, SQInteger nparamscheck, const SQChar* typemask)
{
    SQObjectPtr& o = sq_stackobj(v, -1);
    if (sq_type(o) != OT_NATIVECLOSURE) return sq_throwerror(v, "native closure expected");
    SQNativeClosure* nc = _nativeclosure(o);
    nc->_typecheck.clear();
    if (typemask && !sq_compiletypemask(nc->_typecheck, typemask)) {
        nc->_typecheck.clear();
        return sq_throwerror(v, "invalid typemask");
    }
    nc->_nparamscheck = nparamscheck == SQ_MATCHTYPEMASKSTRING ? (SQInteger)nc->_typecheck.size() : nparamscheck;
    return SQ_OK;
}

SQRESULT sq_bindenv(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr o(sq_stackobj(v, idx)), env(sq_stackobj(v, -1));
    if (sq_type(env) != OT_TABLE && sq_type(env) != OT_CLASS && sq_type(env) != OT_INSTANCE)
        return sq_throwerror(v, "invalid environment");
    SQObjectPtr weak(_refcounted(env)->getWeakRef(sq_type(env)));
    SQObjectPtr result;
    if (sq_type(o) == OT_CLOSURE) {
        SQClosure* c = _closure(o)->Clone();
        c->_env = weak;
        result = SQObjectPtr(c);
    } else if (sq_type(o) == OT_NATIVECLOSURE) {
        SQNativeClosure* c = _nativeclosure(o)->Clone();
        c->_env = weak;
        result = SQObjectPtr(c);
    } else {
        return sq_throwerror(v, "the target is not a closure");
    }
    v->Pop();
    v->Push(result);
    return SQ_OK;
}

SQRESULT sq_setclosureroot(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr o(sq_stackobj(v, idx)), root(sq_stackobj(v, -1));
    if (sq_type(o) != OT_CLOSURE) return sq_throwerror(v, "invalid closure type");
    if (sq_type(root) != OT_TABLE) return sq_throwerror(v, "invalid type");
    _closure(o)->_root = SQObjectPtr(_table(root)->getWeakRef(OT_TABLE));
    v->Pop();
    return SQ_OK;
}

SQRESULT sq_getclosureroot(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr o(sq_stackobj(v, idx));
    if (sq_type(o) != OT_CLOSURE) return sq_throwerror(v, "invalid closure type");
    SQClosure* c = _closure(o);
    if (sq_type(c->_root) == OT_WEAKREF && sq_type(_weakref(c->_root)->_obj) != OT_NULL)
        v->Push(_weakref(c->_root)->_obj);
    else
        v->Push(v->_roottable);
    return SQ_OK;
}

void sq_pushstring(HSQUIRRELVM v, const SQChar* s, SQInteger len)
{
    if (!s) {
        v->Push(SQObjectPtr());
        return;
    }
    v->Push(v->ss()->StringObj(s, len));
}
void sq_pushfloat(HSQUIRRELVM v, SQFloat f) { v->Push(SQObjectPtr(f)); }
void sq_pushinteger(HSQUIRRELVM v, SQInteger n) { v->Push(SQObjectPtr(n)); }
void sq_pushbool(HSQUIRRELVM v, SQBool b) { v->Push(SQObjectPtr(b != 0)); }
void sq_pushuserpointer(HSQUIRRELVM v, SQUserPointer p) { v->Push(SQObjectPtr(p)); }
void sq_pushnull(HSQUIRRELVM v) { v->Push(SQObjectPtr()); }
void sq_pushthread(HSQUIRRELVM v, HSQUIRRELVM thread) { v->Push(SQObjectPtr(thread)); }

SQObjectType sq_gettype(HSQUIRRELVM v, SQInteger idx) { return sq_type(sq_stackobj(v, idx)); }

SQRESULT sq_typeof(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr o(sq_stackobj(v, idx)), res;
    if (!v->TypeOf(o, res)) return SQ_ERROR;
    v->Push(res);
    return SQ_OK;
}

SQInteger sq_getsize(HSQUIRRELVM v, SQInteger idx)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    switch (sq_type(o)) {
        case OT_STRING:
            return _string(o)->_len;
        case OT_TABLE:
            return _table(o)->CountUsed();
        case OT_ARRAY:
            return _array(o)->Size();
        case OT_USERDATA:
            return _userdata(o)->_size;
        case OT_INSTANCE:
            return _instance(o)->_memsize;
        case OT_CLASS:
            return _class(o)->_udsize;
        default:
            return sq_throwerror(v, "type not supported");
    }
}

SQHash sq_gethash(HSQUIRRELVM v, SQInteger idx) { return sq_hashobj(sq_stackobj(v, idx)); }

SQRESULT sq_getbase(HSQUIRRELVM v, SQInteger idx)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_CLASS) return sq_throwerror(v, "invalid type");
    if (_class(o)->_base)
        v->Push(SQObjectPtr(_class(o)->_base));
    else
        v->Push(SQObjectPtr());
    return SQ_OK;
}

SQBool sq_instanceof(HSQUIRRELVM v)
{
    const SQObjectPtr& inst = sq_stackobj(v, -1);
    const SQObjectPtr& cls = sq_stackobj(v, -2);
    if (sq_type(inst) != OT_INSTANCE || sq_type(cls) != OT_CLASS) return SQFalse;
    return _instance(inst)->InstanceOf(_class(cls)) ? SQTrue : SQFalse;
}

SQRESULT sq_tostring(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr o(sq_stackobj(v, idx)), res;
    if (!v->ToString(o, res)) return SQ_ERROR;
    v->Push(res);
    return SQ_OK;
}

void sq_tobool(HSQUIRRELVM v, SQInteger idx, SQBool* b) { *b = sq_isfalse(sq_stackobj(v, idx)) ? SQFalse : SQTrue; }

SQRESULT sq_getstringandsize(HSQUIRRELVM v, SQInteger idx, const SQChar** c, SQInteger* size)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_STRING) return SQ_ERROR;
    *c = _string(o)->_val;
    if (size) *size = _string(o)->_len;
    return SQ_OK;
}

SQRESULT sq_getstring(HSQUIRRELVM v, SQInteger idx, const SQChar** c)
{
    return sq_getstringandsize(v, idx, c, nullptr);
}

SQRESULT sq_getinteger(HSQUIRRELVM v, SQInteger idx, SQInteger* i)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (!(sq_type(o) & SQOBJECT_NUMERIC)) return SQ_ERROR;
    *i = sq_tointeger(o);
    return SQ_OK;
}

SQRESULT sq_getfloat(HSQUIRRELVM v, SQInteger idx, SQFloat* f)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (!(sq_type(o) & SQOBJECT_NUMERIC)) return SQ_ERROR;
    *f = sq_tofloat(o);
    return SQ_OK;
}

SQRESULT sq_getbool(HSQUIRRELVM v, SQInteger idx, SQBool* b)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_BOOL) return SQ_ERROR;
    *b = _integer(o) ? SQTrue : SQFalse;
    return SQ_OK;
}

SQRESULT sq_getthread(HSQUIRRELVM v, SQInteger idx, HSQUIRRELVM* thread)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_THREAD) return SQ_ERROR;
    *thread = _thread(o);
    return SQ_OK;
}

SQRESULT sq_getuserpointer(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_USERPOINTER) return SQ_ERROR;
    *p = _userpointer(o);
    return SQ_OK;
}

SQRESULT sq_getuserdata(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p, SQUserPointer* typetag)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_USERDATA) return SQ_ERROR;
    *p = _userdata(o)->_val;
    if (typetag) *typetag = _userdata(o)->_typetag;
    return SQ_OK;
}

SQRESULT sq_settypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer typetag)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    switch (sq_type(o)) {
        case OT_USERDATA:
            _userdata(o)->_typetag = typetag;
            return SQ_OK;
        case OT_CLASS:
            _class(o)->_typetag = typetag;
            return SQ_OK;
        default:
            return sq_throwerror(v, "invalid object type");
    }
}

SQRESULT sq_getobjtypetag(const HSQOBJECT* o, SQUserPointer* typetag)
{
    switch (sq_type(*o)) {
        case OT_INSTANCE:
            *typetag = _instance(*o)->_class ? _instance(*o)->_class->_typetag : nullptr;
            return SQ_OK;
        case OT_USERDATA:
            *typetag = _userdata(*o)->_typetag;
            return SQ_OK;
        case OT_CLASS:
            *typetag = _class(*o)->_typetag;
            return SQ_OK;
        default:
            return SQ_ERROR;
    }
}

SQRESULT sq_gettypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer* typetag)
{
    if (SQ_FAILED(sq_getobjtypetag(&sq_stackobj(v, idx), typetag))) return sq_throwerror(v, "invalid object type");
    return SQ_OK;
}

void sq_setreleasehook(HSQUIRRELVM v, SQInteger idx, SQRELEASEHOOK hook)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    switch (sq_type(o)) {
        case OT_USERDATA:
            _userdata(o)->_hook = hook;
            break;
        case OT_INSTANCE:
            _instance(o)->_hook = hook;
            break;
        case OT_CLASS:
            _class(o)->_hook = hook;
            break;
        default:
            break;
    }
}

SQRELEASEHOOK sq_getreleasehook(HSQUIRRELVM v, SQInteger idx)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    switch (sq_type(o)) {
        case OT_USERDATA:
            return _userdata(o)->_hook;
        case OT_INSTANCE:
            return _instance(o)->_hook;
        case OT_CLASS:
            return _class(o)->_hook;
        default:
            return nullptr;
    }
}

SQChar* sq_getscratchpad(HSQUIRRELVM v, SQInteger minsize) { return v->ss()->GetScratchPad(minsize); }

SQRESULT sq_getclosureinfo(HSQUIRRELVM v, SQInteger idx, SQInteger* nparams, SQInteger* nfreevars)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) == OT_CLOSURE) {
        SQFunctionProto* p = _closure(o)->proto();
        *nparams = p->_nparams;
        *nfreevars = (SQInteger)p->_outervars.size();
        return SQ_OK;
    }
    if (sq_type(o) == OT_NATIVECLOSURE) {
        *nparams = _nativeclosure(o)->_nparamscheck;
        *nfreevars = (SQInteger)_nativeclosure(o)->_outervalues.size();
        return SQ_OK;
    }
    return sq_throwerror(v, "the object is not a closure");
}

SQRESULT sq_getclosurename(HSQUIRRELVM v, SQInteger idx)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) == OT_CLOSURE) {
        v->Push(SQObjectPtr(_closure(o)->proto()->_name));
        return SQ_OK;
    }
    if (sq_type(o) == OT_NATIVECLOSURE) {
        v->Push(SQObjectPtr(_nativeclosure(o)->_name));
        return SQ_OK;
    }
    return sq_throwerror(v, "the target is not a closure");
}

SQRESULT sq_setnativeclosurename(HSQUIRRELVM v, SQInteger idx, const SQChar* name)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_NATIVECLOSURE) return sq_throwerror(v, "the object is not a nativeclosure");
    _nativeclosure(o)->_name = v->ss()->StringObj(name);
    return SQ_OK;
}

SQRESULT sq_setinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer p)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_INSTANCE) return sq_throwerror(v, "the object is not a class instance");
    _instance(o)->_userpointer = p;
    return SQ_OK;
}

SQRESULT sq_getinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer* p, SQUserPointer typetag, SQBool throwerror)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_INSTANCE)
        return throwerror ? sq_throwerror(v, "the object is not a class instance") : SQ_ERROR;
    SQInstance* inst = _instance(o);
    if (typetag) {
        bool found = false;
        for (SQClass* c = inst->_class; c; c = c->_base) {
            if (c->_typetag == typetag) {
                found = true;
                break;
            }
        }
        if (!found) return throwerror ? sq_throwerror(v, "invalid type tag") : SQ_ERROR;
    }
    *p = inst->_userpointer;
    return SQ_OK;
}

SQRESULT sq_setclassudsize(HSQUIRRELVM v, SQInteger idx, SQInteger udsize)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_CLASS) return sq_throwerror(v, "the object is not a class");
    if (_class(o)->_locked) return sq_throwerror(v, "the class is locked");
    _class(o)->_udsize = udsize < 0 ? 0 : udsize;
    return SQ_OK;
}

SQRESULT sq_newclass(HSQUIRRELVM v, SQBool hasbase)
{
    SQClass* base = nullptr;
    SQObjectPtr baseref;
    if (hasbase) {
        baseref = sq_stackobj(v, -1);
        if (sq_type(baseref) != OT_CLASS) return sq_throwerror(v, "invalid base type");
        base = _class(baseref);
        v->Pop();
    }
    v->Push(SQObjectPtr(SQClass::Create(v->ss(), base)));
    return SQ_OK;
}

SQRESULT sq_createinstance(HSQUIRRELVM v, SQInteger idx)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_CLASS) return sq_throwerror(v, "the object is not a class");
    v->Push(SQObjectPtr(_class(o)->CreateInstance()));
    return SQ_OK;
}

SQRESULT sq_setattributes(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr o(sq_stackobj(v, idx)), key(sq_stackobj(v, -2)), val(sq_stackobj(v, -1)), old;
    if (sq_type(o) != OT_CLASS) return sq_throwerror(v, "the object is not a class");
    if (!_class(o)->GetAttributes(key, old)) return sq_throwerror(v, "wrong index");
    _class(o)->SetAttributes(key, val);
    v->Pop(2);
    v->Push(old);
    return SQ_OK;
}

SQRESULT sq_getattributes(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr o(sq_stackobj(v, idx)), key(sq_stackobj(v, -1)), attrs;
    if (sq_type(o) != OT_CLASS) return sq_throwerror(v, "the object is not a class");
    if (!_class(o)->GetAttributes(key, attrs)) return sq_throwerror(v, "wrong index");
    v->Pop();
    v->Push(attrs);
    return SQ_OK;
}

SQRESULT sq_getclass(HSQUIRRELVM v, SQInteger idx)
{
    const SQObjectPtr& o = sq_stackobj(v, idx);
    if (sq_type(o) != OT_INSTANCE || !_instance(o)->_class)
        return sq_throwerror(v, "the object is not a class instance");
    v->Push(SQObjectPtr(_instance(o)->_class));
    return SQ_OK;
}

void sq_weakref(HSQUIRRELVM v, SQInteger idx)
{
    SQObjectPtr o(sq_stackobj(v, idx));
    if (ISREFCOUNTED(sq_type(o)))
        v->Push(SQObjectPtr(_refcounted(o)->getWeakRef(sq_type(o))));
    else
        v->Push(o);
}

SQRESULT sq_getdefaultdelegate(HSQUIRRELVM v, SQObjectType t)
{
    const SQObjectPtr* d = v->ss()->DefaultDelegate(t);
    if (!d) return sq_throwerror(v, "the type doesn't have a default delegate");
    v->Push(*d);
    return SQ_OK;
}

SQRESULT sq_getmemberhandle(HSQUIRRELVM v, SQInteger idx, HSQMEMBERHANDLE* handle)
{
    SQObjectPtr o(sq_stackobj(v, idx)), key(sq_stackobj(v, -1));
    if (sq_type(o) != OT_CLASS) return sq_throwerror(v, "wrong type");
    SQInteger member;
    if (!_class(o)->GetMember(key, member)) return sq_throwerror(v, "wrong index");
    handle->_static = sq_member_kind(member) != SQ_MEMBER_FIELD;
    handle->_index = sq_member_index(member);
    v->Pop();
    return SQ_OK;
}

static SQObjectPtr* memberByHandle(HSQUIRRELVM v, const SQObjectPtr& o, const HSQMEMBERHANDLE* handle)
{
    SQClass* cls = sq_type(o) == OT_INSTANCE ? _instance(o)->_class : sq_type(o) == OT_CLASS ? _class(o) : nullptr;
    if (!cls) {
        sq_throwerror(v, "wrong type");
        return nullptr;
    }
    if (handle->_static) {
        if (handle->_index < 0 || handle->_index >= (SQInteger)cls->_methods.size()) return nullptr;
        return &cls->_methods[handle->_index].val;
    }
    if (sq_type(o) == OT_INSTANCE) {
        SQInstance* inst = _instance(o);
        if (handle->_index < 0 || handle->_index >= (SQInteger)inst->_values.size()) return nullptr;
        return &inst->_values[handle->_index];
    }
    if (handle->_index < 0 || handle->_index >= (SQInteger)cls->_defaultvalues.size()) return nullptr;
    return &cls->_defaultvalues[handle->_index].val;
}

SQRESULT sq_getbyhandle(HSQUIRRELVM v, SQInteger idx, const HSQMEMBERHANDLE* handle)
{
    SQObjectPtr o(sq_stackobj(v, idx));
    SQObjectPtr* slot = memberByHandle(v, o, handle);
    if (!slot) return sq_throwerror(v, "wrong index");
    v->Push(sq_realval(*slot));
    return SQ_OK;
}

SQRESULT sq_setbyhandle(HSQUIRRELVM v, SQInteger idx, const HSQMEMBERHANDLE* handle)
{
    SQObjectPtr o(sq_stackobj(v, idx)), val(sq_stackobj(v, -1));
    SQObjectPtr* slot = memberByHandle(v, o, handle);
    if (!slot) return sq_throwerror(v, "wrong index");
    *slot = val;
    v->Pop();
    return SQ_OK;
}
