// sqstate.cpp -- the shared state: string interning, the cycle collector and
// the tables every VM of a group shares.
#include "platform/squirrel/sqstate.h"

#include <cstdlib>
#include <new>

#include "platform/squirrel/sqarray.h"
#include "platform/squirrel/sqclosure.h"
#include "platform/squirrel/sqtable.h"
#include "platform/squirrel/sqvm.h"

static SQHash hashString(const SQChar* s, SQInteger len)
{
    SQHash h = 14695981039346656037ull;
    for (SQInteger i = 0; i < len; i++) {
        h ^= (unsigned char)s[i];
        h *= 1099511628211ull;
    }
    return h;
}

SQString* SQStringTable::Add(SQSharedState* ss, const SQChar* s, SQInteger len)
{
    if (len < 0) len = (SQInteger)strlen(s);
    SQHash h = hashString(s, len);
    size_t b = h & (_buckets.size() - 1);
    for (SQString* p = _buckets[b]; p; p = p->_chain) {
        if (p->_hash == h && p->_len == len && memcmp(p->_val, s, (size_t)len) == 0) return p;
    }
    void* mem = malloc(sizeof(SQString) + (size_t)len);
    if (!mem) throw std::bad_alloc();
    SQString* str = new (mem) SQString();
    str->_sharedstate = ss;
    str->_len = len;
    str->_hash = h;
    if (len > 0) memcpy(str->_val, s, (size_t)len);
    str->_val[len] = 0;
    str->_chain = _buckets[b];
    _buckets[b] = str;
    if (++_count > (SQInteger)_buckets.size()) {
        std::vector<SQString*> nb(_buckets.size() * 2, nullptr);
        for (SQString* head : _buckets) {
            while (head) {
                SQString* next = head->_chain;
                size_t i = head->_hash & (nb.size() - 1);
                head->_chain = nb[i];
                nb[i] = head;
                head = next;
            }
        }
        _buckets.swap(nb);
    }
    return str;
}

void SQStringTable::Remove(SQString* s)
{
    SQString** link = &_buckets[s->_hash & (_buckets.size() - 1)];
    while (*link) {
        if (*link == s) {
            *link = s->_chain;
            _count--;
            return;
        }
        link = &(*link)->_chain;
    }
}

static const SQChar* const metamethodNames[MT_LAST] = {
    "_add",   "_sub", "_mul",  "_div",    "_unm",     "_modulo",  "_set",      "_get",       "_typeof",
    "_nexti", "_cmp", "_call", "_cloned", "_newslot", "_delslot", "_tostring", "_newmember", "_inherited"};

SQSharedState::SQSharedState() = default;

void SQSharedState::Init()
{
    _registry = SQObjectPtr(SQTable::Create(this));
    _consttable = SQObjectPtr(SQTable::Create(this));
    _metamethodsmap = SQObjectPtr(SQTable::Create(this));
    for (SQInteger i = 0; i < MT_LAST; i++) {
        _metamethodnames[i] = StringObj(metamethodNames[i]);
        _table(_metamethodsmap)->NewSlot(_metamethodnames[i], SQObjectPtr(i));
    }
    _constructoridx = StringObj("constructor");
    _thisstr = StringObj("this");
    _vargvstr = StringObj("vargv");
    _table_default_delegate = SQObjectPtr(sq_createdelegate(this, sq_table_delegate_funcs));
    _array_default_delegate = SQObjectPtr(sq_createdelegate(this, sq_array_delegate_funcs));
    _string_default_delegate = SQObjectPtr(sq_createdelegate(this, sq_string_delegate_funcs));
    _number_default_delegate = SQObjectPtr(sq_createdelegate(this, sq_number_delegate_funcs));
    _closure_default_delegate = SQObjectPtr(sq_createdelegate(this, sq_closure_delegate_funcs));
    _generator_default_delegate = SQObjectPtr(sq_createdelegate(this, sq_generator_delegate_funcs));
    _thread_default_delegate = SQObjectPtr(sq_createdelegate(this, sq_thread_delegate_funcs));
    _class_default_delegate = SQObjectPtr(sq_createdelegate(this, sq_class_delegate_funcs));
    _instance_default_delegate = SQObjectPtr(sq_createdelegate(this, sq_instance_delegate_funcs));
    _weakref_default_delegate = SQObjectPtr(sq_createdelegate(this, sq_weakref_delegate_funcs));
}

SQSharedState::~SQSharedState()
{
    _refs.clear();
    FinalizeAll();
    if (_rootvm) {
        SQVM* v = _rootvm;
        _rootvm = nullptr;
        if (--v->_uiRef == 0) sq_destroyobject(v);
    }
    if (_releasehook) _releasehook(_foreignptr, 0);
}

SQChar* SQSharedState::GetScratchPad(SQInteger size)
{
    if (size < 0) size = 0;
    if ((SQInteger)_scratchpad.size() < size + 1) _scratchpad.resize((size_t)size + size / 2 + 16);
    return _scratchpad.data();
}

const SQObjectPtr* SQSharedState::DefaultDelegate(SQObjectType t) const
{
    switch (t) {
        case OT_TABLE:
            return &_table_default_delegate;
        case OT_ARRAY:
            return &_array_default_delegate;
        case OT_STRING:
            return &_string_default_delegate;
        case OT_INTEGER:
        case OT_FLOAT:
        case OT_BOOL:
            return &_number_default_delegate;
        case OT_CLOSURE:
        case OT_NATIVECLOSURE:
            return &_closure_default_delegate;
        case OT_GENERATOR:
            return &_generator_default_delegate;
        case OT_THREAD:
            return &_thread_default_delegate;
        case OT_CLASS:
            return &_class_default_delegate;
        case OT_INSTANCE:
            return &_instance_default_delegate;
        case OT_WEAKREF:
            return &_weakref_default_delegate;
        default:
            return nullptr;
    }
}

SQInteger SQSharedState::MetaMethodIndex(const SQObject& name) const
{
    if (sq_type(name) != OT_STRING || sq_type(_metamethodsmap) != OT_TABLE) return -1;
    SQObjectPtr* slot = _table(_metamethodsmap)->GetSlot(name);
    return slot ? _integer(*slot) : -1;
}

// --- collector -------------------------------------------------------------

void SQSharedState::Link(SQCollectable* c)
{
    c->_gcnext = _gcchain;
    c->_gcprev = nullptr;
    if (_gcchain) _gcchain->_gcprev = c;
    _gcchain = c;
    _gccount++;
}

void SQSharedState::Unlink(SQCollectable* c)
{
    if (c->_gcprev)
        c->_gcprev->_gcnext = c->_gcnext;
    else if (_gcchain == c)
        _gcchain = c->_gcnext;
    if (c->_gcnext) c->_gcnext->_gcprev = c->_gcprev;
    c->_gcnext = c->_gcprev = nullptr;
    _gccount--;
}

static SQCollectable* asCollectable(const SQObject& o)
{
    return sq_iscollectable(o._type) ? static_cast<SQCollectable*>(o._unVal.pRefCounted) : nullptr;
}

// Trial deletion: every reference a tracked object receives from another
// tracked object is subtracted from its count; what keeps a count above zero
// is referenced from outside (the host, a VM stack) and is alive, together
// with everything it reaches. The rest are cycles nobody can reach.
SQInteger SQSharedState::Collect(SQObjectPtr* resurrect)
{
    if (_collecting) return 0;
    _collecting = true;
    struct Subtract : SQGCVisitor {
        void visit(const SQObject& o) override
        {
            if (SQCollectable* c = asCollectable(o)) c->_gcrefs--;
        }
    } subtract;
    struct Mark : SQGCVisitor {
        std::vector<SQCollectable*> pending;
        void visit(const SQObject& o) override
        {
            SQCollectable* c = asCollectable(o);
            if (c && !c->_gcreached) {
                c->_gcreached = true;
                pending.push_back(c);
            }
        }
    } mark;
    for (SQCollectable* c = _gcchain; c; c = c->_gcnext) {
        c->_gcrefs = (SQInteger)c->_uiRef;
        c->_gcreached = false;
    }
    for (SQCollectable* c = _gcchain; c; c = c->_gcnext) c->traverse(subtract);
    for (SQCollectable* c = _gcchain; c; c = c->_gcnext) {
        if (c->_gcrefs > 0 && !c->_gcreached) {
            c->_gcreached = true;
            mark.pending.push_back(c);
        }
    }
    while (!mark.pending.empty()) {
        SQCollectable* c = mark.pending.back();
        mark.pending.pop_back();
        c->traverse(mark);
    }
    std::vector<SQCollectable*> dead;
    for (SQCollectable* c = _gcchain; c; c = c->_gcnext) {
        if (!c->_gcreached) dead.push_back(c);
    }
    if (resurrect) {
        if (dead.empty()) {
            resurrect->Null();
        } else {
            SQArray* a = SQArray::Create(this, 0);
            for (SQCollectable* c : dead) {
                SQObject o;
                o._type = c->objType();
                o._unVal.raw = 0;
                o._unVal.pRefCounted = c;
                a->Append(o);
            }
            *resurrect = SQObjectPtr(a);
        }
        _collecting = false;
        return (SQInteger)dead.size();
    }
    for (SQCollectable* c : dead) c->_uiRef++;
    for (SQCollectable* c : dead) c->finalize();
    for (SQCollectable* c : dead) {
        if (--c->_uiRef == 0) sq_destroyobject(c);
    }
    _collecting = false;
    return (SQInteger)dead.size();
}

void SQSharedState::FinalizeAll()
{
    _collecting = true;
    // Finalizing can free objects and, through release hooks, make new
    // ones: repeat until nothing tracked is left.
    for (int round = 0; _gcchain && round < 16; round++) {
        std::vector<SQCollectable*> all;
        for (SQCollectable* c = _gcchain; c; c = c->_gcnext) {
            c->_uiRef++;
            all.push_back(c);
        }
        for (SQCollectable* c : all) c->finalize();
        for (SQCollectable* c : all) {
            if (--c->_uiRef == 0) sq_destroyobject(c);
        }
    }
    _collecting = false;
}

// --- registration helpers --------------------------------------------------

bool sq_compiletypemask(std::vector<SQInteger>& res, const SQChar* typemask)
{
    SQInteger mask = 0;
    bool pending = false;
    for (const SQChar* p = typemask; *p; p++) {
        switch (*p) {
            case ' ':
                continue;
            case 'o':
                mask |= _RT_NULL;
                break;
            case 'i':
                mask |= _RT_INTEGER;
                break;
            case 'f':
                mask |= _RT_FLOAT;
                break;
            case 'n':
                mask |= _RT_FLOAT | _RT_INTEGER;
                break;
            case 's':
                mask |= _RT_STRING;
                break;
            case 't':
                mask |= _RT_TABLE;
                break;
            case 'a':
                mask |= _RT_ARRAY;
                break;
            case 'u':
                mask |= _RT_USERDATA;
                break;
            case 'c':
                mask |= _RT_CLOSURE | _RT_NATIVECLOSURE;
                break;
            case 'b':
                mask |= _RT_BOOL;
                break;
            case 'g':
                mask |= _RT_GENERATOR;
                break;
            case 'p':
                mask |= _RT_USERPOINTER;
                break;
            case 'v':
                mask |= _RT_THREAD;
                break;
            case 'x':
                mask |= _RT_INSTANCE;
                break;
            case 'y':
                mask |= _RT_CLASS;
                break;
            case 'r':
                mask |= _RT_WEAKREF;
                break;
            case '.':
                mask = -1;
                break;
            default:
                return false;
        }
        pending = true;
        if (p[1] == '|') {
            p++;
            if (!p[1]) return false;
            continue;
        }
        res.push_back(mask);
        mask = 0;
        pending = false;
    }
    if (pending) res.push_back(mask);
    return true;
}

void sq_registerfuncs(SQSharedState* ss, SQTable* t, const SQRegFunction* funcs)
{
    for (const SQRegFunction* f = funcs; f->name; f++) {
        SQNativeClosure* nc = SQNativeClosure::Create(ss, f->f, 0);
        nc->_name = ss->StringObj(f->name);
        nc->_nparamscheck = f->nparamscheck;
        if (f->typemask) sq_compiletypemask(nc->_typecheck, f->typemask);
        if (nc->_nparamscheck == SQ_MATCHTYPEMASKSTRING) nc->_nparamscheck = (SQInteger)nc->_typecheck.size();
        t->NewSlot(ss->StringObj(f->name), SQObjectPtr(nc));
    }
}

SQTable* sq_createdelegate(SQSharedState* ss, const SQRegFunction* funcs)
{
    SQTable* t = SQTable::Create(ss);
    sq_registerfuncs(ss, t, funcs);
    return t;
}
