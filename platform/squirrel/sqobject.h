// sqobject.h -- values of the language: the tagged value, reference counting,
// the collectable base every container derives from, and the owning handle.
#pragma once

#include <cstring>
#include <vector>

#include "platform/squirrel/squirrel.h"

struct SQSharedState;
struct SQObjectPtr;

// Every heap value of the language: counted references, and a weak
// reference made on demand that goes null when the value dies.
struct SQRefCounted {
    SQUnsignedInteger _uiRef = 0;
    SQWeakRef* _weakref = nullptr;
    virtual ~SQRefCounted();
    // Frees the value; called once the last reference is gone.
    virtual void release() = 0;
    SQWeakRef* getWeakRef(SQObjectType type);
};

// Destroys a value whose count reached zero. Nested releases are queued, so
// freeing a long chain of tables never recurses deeply.
void sq_destroyobject(SQRefCounted* o);

inline void sq_addrefobj(const SQObject& o)
{
    if (ISREFCOUNTED(o._type)) o._unVal.pRefCounted->_uiRef++;
}
inline void sq_releaseobj(const SQObject& o)
{
    if (ISREFCOUNTED(o._type) && --o._unVal.pRefCounted->_uiRef == 0) sq_destroyobject(o._unVal.pRefCounted);
}

// The cycle collector's view of a container: it lists the values it holds.
struct SQGCVisitor {
    virtual void visit(const SQObject& o) = 0;
    virtual ~SQGCVisitor() = default;
};

// Containers are linked into their shared state's list so the collector can
// find reference cycles among them.
struct SQCollectable : SQRefCounted {
    SQCollectable* _gcnext = nullptr;
    SQCollectable* _gcprev = nullptr;
    SQSharedState* _sharedstate = nullptr;
    SQInteger _gcrefs = 0;
    bool _gcreached = false;

    explicit SQCollectable(SQSharedState* ss);
    ~SQCollectable() override;
    // Lists every value this container holds a counted reference to.
    virtual void traverse(SQGCVisitor& v) = 0;
    // Drops every held reference; used to break unreachable cycles.
    virtual void finalize() = 0;
    virtual SQObjectType objType() const = 0;
};

inline bool sq_iscollectable(SQObjectType t) { return ISREFCOUNTED(t) && t != OT_STRING && t != OT_WEAKREF; }

#define _integer(obj) ((obj)._unVal.nInteger)
#define _float(obj) ((obj)._unVal.fFloat)
#define _string(obj) ((obj)._unVal.pString)
#define _table(obj) ((obj)._unVal.pTable)
#define _array(obj) ((obj)._unVal.pArray)
#define _closure(obj) ((obj)._unVal.pClosure)
#define _nativeclosure(obj) ((obj)._unVal.pNativeClosure)
#define _generator(obj) ((obj)._unVal.pGenerator)
#define _outer(obj) ((obj)._unVal.pOuter)
#define _userdata(obj) ((obj)._unVal.pUserData)
#define _userpointer(obj) ((obj)._unVal.pUserPointer)
#define _thread(obj) ((obj)._unVal.pThread)
#define _funcproto(obj) ((obj)._unVal.pFunctionProto)
#define _class(obj) ((obj)._unVal.pClass)
#define _instance(obj) ((obj)._unVal.pInstance)
#define _weakref(obj) ((obj)._unVal.pWeakRef)
#define _refcounted(obj) ((obj)._unVal.pRefCounted)
#define _rawval(obj) ((obj)._unVal.raw)

#define sq_isfalse(o) \
    (((o)._type & SQOBJECT_CANBEFALSE) && (_rawval(o) == 0 || ((o)._type == OT_FLOAT && _float(o) == 0.0f)))

// An owning handle: holds one counted reference to its value.
struct SQObjectPtr : SQObject {
    SQObjectPtr()
    {
        _type = OT_NULL;
        _unVal.raw = 0;
    }
    SQObjectPtr(const SQObjectPtr& o) : SQObject(o) { sq_addrefobj(*this); }
    SQObjectPtr(const SQObject& o) : SQObject(o) { sq_addrefobj(*this); }
    SQObjectPtr(SQObjectPtr&& o) noexcept : SQObject(o)
    {
        o._type = OT_NULL;
        o._unVal.raw = 0;
    }
    explicit SQObjectPtr(SQInteger i)
    {
        _type = OT_INTEGER;
        _unVal.nInteger = i;
    }
    explicit SQObjectPtr(SQFloat f)
    {
        _type = OT_FLOAT;
        _unVal.raw = 0;
        _unVal.fFloat = f;
    }
    explicit SQObjectPtr(bool b)
    {
        _type = OT_BOOL;
        _unVal.raw = b ? 1 : 0;
    }
    explicit SQObjectPtr(SQUserPointer p)
    {
        _type = OT_USERPOINTER;
        _unVal.raw = 0;
        _unVal.pUserPointer = p;
    }
#define SQ_PTR_CTOR(T, OT, field) \
    SQObjectPtr(T* p)             \
    {                             \
        _type = OT;               \
        _unVal.raw = 0;           \
        _unVal.field = p;         \
        sq_addrefobj(*this);      \
    }
    SQ_PTR_CTOR(SQString, OT_STRING, pString)
    SQ_PTR_CTOR(SQTable, OT_TABLE, pTable)
    SQ_PTR_CTOR(SQArray, OT_ARRAY, pArray)
    SQ_PTR_CTOR(SQClosure, OT_CLOSURE, pClosure)
    SQ_PTR_CTOR(SQNativeClosure, OT_NATIVECLOSURE, pNativeClosure)
    SQ_PTR_CTOR(SQGenerator, OT_GENERATOR, pGenerator)
    SQ_PTR_CTOR(SQOuter, OT_OUTER, pOuter)
    SQ_PTR_CTOR(SQUserData, OT_USERDATA, pUserData)
    SQ_PTR_CTOR(SQVM, OT_THREAD, pThread)
    SQ_PTR_CTOR(SQFunctionProto, OT_FUNCPROTO, pFunctionProto)
    SQ_PTR_CTOR(SQClass, OT_CLASS, pClass)
    SQ_PTR_CTOR(SQInstance, OT_INSTANCE, pInstance)
    SQ_PTR_CTOR(SQWeakRef, OT_WEAKREF, pWeakRef)
#undef SQ_PTR_CTOR
    ~SQObjectPtr() { sq_releaseobj(*this); }

    SQObjectPtr& operator=(const SQObjectPtr& o) { return assign(o); }
    SQObjectPtr& operator=(const SQObject& o) { return assign(o); }
    SQObjectPtr& operator=(SQObjectPtr&& o) noexcept
    {
        if (this != &o) {
            SQObject old = *this;
            _type = o._type;
            _unVal = o._unVal;
            o._type = OT_NULL;
            o._unVal.raw = 0;
            sq_releaseobj(old);
        }
        return *this;
    }
    SQObjectPtr& assign(const SQObject& o)
    {
        SQObject old = *this;
        _type = o._type;
        _unVal = o._unVal;
        sq_addrefobj(*this);
        sq_releaseobj(old);
        return *this;
    }
    void setInteger(SQInteger i)
    {
        SQObject old = *this;
        _type = OT_INTEGER;
        _unVal.nInteger = i;
        sq_releaseobj(old);
    }
    void setFloat(SQFloat f)
    {
        SQObject old = *this;
        _type = OT_FLOAT;
        _unVal.raw = 0;
        _unVal.fFloat = f;
        sq_releaseobj(old);
    }
    void setBool(bool b)
    {
        SQObject old = *this;
        _type = OT_BOOL;
        _unVal.raw = b ? 1 : 0;
        sq_releaseobj(old);
    }
    void Null()
    {
        SQObject old = *this;
        _type = OT_NULL;
        _unVal.raw = 0;
        sq_releaseobj(old);
    }
};

inline SQObject sq_nullobj()
{
    SQObject o;
    o._type = OT_NULL;
    o._unVal.raw = 0;
    return o;
}

// A weak reference: points at a value without keeping it alive.
struct SQWeakRef : SQRefCounted {
    SQObject _obj;
    void release() override;
};

// Containers hand back the value behind a weak reference they hold.
inline const SQObject& sq_realval(const SQObject& o) { return o._type == OT_WEAKREF ? o._unVal.pWeakRef->_obj : o; }

struct SQString : SQRefCounted {
    SQSharedState* _sharedstate;
    SQString* _chain;  // next string in the same bucket of the string table
    SQInteger _len;
    SQHash _hash;
    SQChar _val[1];

    static SQString* Create(SQSharedState* ss, const SQChar* s, SQInteger len = -1);
    void release() override;
};

// The language's type name of a value (sq_typename of its type).
const SQChar* sq_typename(const SQObject& o);

SQHash sq_hashobj(const SQObject& key);
inline bool sq_rawequal(const SQObject& a, const SQObject& b)
{
    return a._type == b._type && a._unVal.raw == b._unVal.raw;
}

inline SQInteger sq_tointeger(const SQObject& o);
inline SQFloat sq_tofloat(const SQObject& o);

// Float to integer without undefined behaviour: NaN is 0, out of range saturates.
inline SQInteger sq_float2int(SQFloat f)
{
    if (f != f) return 0;
    if (f >= 9.2233720368547758e18f) return INT64_MAX;
    if (f <= -9.2233720368547758e18f) return INT64_MIN;
    return (SQInteger)f;
}
inline SQInteger sq_tointeger(const SQObject& o)
{
    return o._type == OT_FLOAT ? sq_float2int(o._unVal.fFloat) : o._unVal.nInteger;
}
inline SQFloat sq_tofloat(const SQObject& o)
{
    return o._type == OT_INTEGER ? (SQFloat)o._unVal.nInteger : o._unVal.fFloat;
}
