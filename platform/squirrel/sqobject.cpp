// sqobject.cpp -- reference counting, weak references, strings, closures,
// generators and userdata.
#include "platform/squirrel/sqobject.h"

#include <cstdlib>
#include <new>

#include "platform/squirrel/sqarray.h"
#include "platform/squirrel/sqclass.h"
#include "platform/squirrel/sqclosure.h"
#include "platform/squirrel/sqstate.h"
#include "platform/squirrel/sqtable.h"
#include "platform/squirrel/sqvm.h"

SQRefCounted::~SQRefCounted()
{
    if (_weakref) {
        _weakref->_obj._type = OT_NULL;
        _weakref->_obj._unVal.raw = 0;
    }
}

SQWeakRef* SQRefCounted::getWeakRef(SQObjectType type)
{
    if (!_weakref) {
        _weakref = new SQWeakRef();
        _weakref->_obj._type = type;
        _weakref->_obj._unVal.raw = 0;
        _weakref->_obj._unVal.pRefCounted = this;
    }
    return _weakref;
}

void SQWeakRef::release()
{
    if (ISREFCOUNTED(_obj._type)) _obj._unVal.pRefCounted->_weakref = nullptr;
    delete this;
}

void sq_destroyobject(SQRefCounted* o)
{
    static thread_local bool destroying = false;
    static thread_local std::vector<SQRefCounted*> pending;
    if (destroying) {
        pending.push_back(o);
        return;
    }
    destroying = true;
    o->release();
    while (!pending.empty()) {
        SQRefCounted* p = pending.back();
        pending.pop_back();
        p->release();
    }
    destroying = false;
}

SQCollectable::SQCollectable(SQSharedState* ss) : _sharedstate(ss) { ss->Link(this); }

SQCollectable::~SQCollectable() { _sharedstate->Unlink(this); }

// --- strings ---------------------------------------------------------------

SQString* SQString::Create(SQSharedState* ss, const SQChar* s, SQInteger len)
{
    if (len < 0) len = (SQInteger)strlen(s);
    return ss->_strings.Add(ss, s, len);
}

void SQString::release()
{
    _sharedstate->_strings.Remove(this);
    this->~SQString();
    free(this);
}

const SQChar* sq_typename(SQObjectType type)
{
    switch (type & ~(SQOBJECT_REF_COUNTED | SQOBJECT_NUMERIC | SQOBJECT_DELEGABLE | SQOBJECT_CANBEFALSE)) {
        case _RT_NULL:
            return "null";
        case _RT_INTEGER:
            return "integer";
        case _RT_FLOAT:
            return "float";
        case _RT_BOOL:
            return "bool";
        case _RT_STRING:
            return "string";
        case _RT_TABLE:
            return "table";
        case _RT_ARRAY:
            return "array";
        case _RT_USERDATA:
            return "userdata";
        case _RT_CLOSURE:
        case _RT_NATIVECLOSURE:
        case _RT_FUNCPROTO:
            return "function";
        case _RT_GENERATOR:
            return "generator";
        case _RT_USERPOINTER:
            return "userpointer";
        case _RT_THREAD:
            return "thread";
        case _RT_CLASS:
            return "class";
        case _RT_INSTANCE:
            return "instance";
        case _RT_WEAKREF:
            return "weakref";
        case _RT_OUTER:
            return "outer";
    }
    return "unknown";
}

const SQChar* sq_typename(const SQObject& o) { return sq_typename(o._type); }

SQHash sq_hashobj(const SQObject& key)
{
    switch (key._type) {
        case OT_STRING:
            return key._unVal.pString->_hash;
        case OT_FLOAT: {
            uint32_t bits;
            memcpy(&bits, &key._unVal.fFloat, sizeof bits);
            return (SQHash)bits * 0x9E3779B97F4A7C15ull;
        }
        default: {
            SQUnsignedInteger x = key._unVal.raw;
            x ^= x >> 33;
            x *= 0xff51afd7ed558ccdull;
            x ^= x >> 33;
            return x;
        }
    }
}

// --- userdata --------------------------------------------------------------

SQUserData* SQUserData::Create(SQSharedState* ss, SQInteger size)
{
    SQUserData* ud = new SQUserData(ss);
    ud->_size = size;
    ud->_val = size > 0 ? calloc(1, (size_t)size) : nullptr;
    return ud;
}

void SQUserData::release()
{
    if (_hook) _hook(_val, _size);
    free(_val);
    SetDelegate(nullptr);
    delete this;
}

void SQUserData::traverse(SQGCVisitor& v)
{
    if (_delegate) {
        SQObject d;
        d._type = OT_TABLE;
        d._unVal.pTable = _delegate;
        v.visit(d);
    }
}

void SQUserData::finalize() { SetDelegate(nullptr); }

void SQUserData::SetDelegate(SQTable* t)
{
    if (t) t->_uiRef++;
    SQTable* old = _delegate;
    _delegate = t;
    if (old && --old->_uiRef == 0) sq_destroyobject(old);
}

// --- closures --------------------------------------------------------------

SQClosure* SQClosure::Create(SQSharedState* ss, SQFunctionProto* proto, const SQObject& root)
{
    SQClosure* c = new SQClosure(ss);
    c->_function = SQObjectPtr(proto);
    c->_outervalues.resize(proto->_outervars.size());
    c->_defaultparams.resize(proto->_ndefaults);
    if (ISREFCOUNTED(root._type)) c->_root = SQObjectPtr(root._unVal.pRefCounted->getWeakRef(root._type));
    return c;
}

void SQClosure::release()
{
    SetBase(nullptr);
    delete this;
}

void SQClosure::traverse(SQGCVisitor& v)
{
    v.visit(_function);
    for (const SQObjectPtr& o : _outervalues) v.visit(o);
    for (const SQObjectPtr& o : _defaultparams) v.visit(o);
    if (_base) {
        SQObject b;
        b._type = OT_CLASS;
        b._unVal.pClass = _base;
        v.visit(b);
    }
}

void SQClosure::finalize()
{
    std::vector<SQObjectPtr> o, d;
    o.swap(_outervalues);
    d.swap(_defaultparams);
    _env.Null();
    _root.Null();
    SetBase(nullptr);
    _function.Null();
}

SQClosure* SQClosure::Clone() const
{
    SQClosure* c = new SQClosure(_sharedstate);
    c->_function = _function;
    c->_outervalues = _outervalues;
    c->_defaultparams = _defaultparams;
    c->_env = _env;
    c->_root = _root;
    c->SetBase(_base);
    return c;
}

void SQClosure::SetBase(SQClass* base)
{
    if (base) base->_uiRef++;
    SQClass* old = _base;
    _base = base;
    if (old && --old->_uiRef == 0) sq_destroyobject(old);
}

// --- generators ------------------------------------------------------------

void SQGenerator::traverse(SQGCVisitor& v)
{
    v.visit(_func);
    for (const SQObjectPtr& o : _stack) v.visit(o);
    for (SQOuter* o : _outers) {
        SQObject ob;
        ob._type = OT_OUTER;
        ob._unVal.pOuter = o;
        v.visit(ob);
    }
}

void SQGenerator::Kill()
{
    _state = eDead;
    // Outers captured from the saved frame keep their last values.
    for (SQOuter* o : _outers) {
        o->_value = *o->_valptr;
        o->_valptr = &o->_value;
        if (--o->_uiRef == 0) sq_destroyobject(o);
    }
    _outers.clear();
    std::vector<SQObjectPtr> s;
    s.swap(_stack);
    _traps.clear();
}

void SQGenerator::finalize()
{
    Kill();
    _func.Null();
}

SQGenerator::~SQGenerator() { Kill(); }
