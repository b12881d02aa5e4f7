// sqclass.cpp -- classes and instances.
#include "platform/squirrel/sqclass.h"

#include <cstdlib>

#include "platform/squirrel/sqclosure.h"
#include "platform/squirrel/sqstate.h"
#include "platform/squirrel/sqtable.h"

SQClass* SQClass::Create(SQSharedState* ss, SQClass* base)
{
    SQClass* c = new SQClass(ss);
    if (base) {
        base->_uiRef++;
        c->_base = base;
        c->_members = base->_members->Clone();
        c->_defaultvalues = base->_defaultvalues;
        c->_methods = base->_methods;
        for (int i = 0; i < MT_LAST; i++) c->_metamethods[i] = base->_metamethods[i];
        c->_constructor = base->_constructor;
        c->_typetag = base->_typetag;
        c->_hook = base->_hook;
        c->_udsize = base->_udsize;
    } else {
        c->_members = SQTable::Create(ss);
    }
    c->_members->_uiRef++;
    return c;
}

void SQClass::release()
{
    finalize();
    delete this;
}

void SQClass::traverse(SQGCVisitor& v)
{
    SQObject o;
    if (_base) {
        o._type = OT_CLASS;
        o._unVal.pClass = _base;
        v.visit(o);
    }
    if (_members) {
        o._type = OT_TABLE;
        o._unVal.pTable = _members;
        v.visit(o);
    }
    for (const SQClassMember& m : _defaultvalues) {
        v.visit(m.val);
        v.visit(m.attrs);
    }
    for (const SQClassMember& m : _methods) {
        v.visit(m.val);
        v.visit(m.attrs);
    }
    v.visit(_attributes);
    for (const SQObjectPtr& m : _metamethods) v.visit(m);
    v.visit(_constructor);
}

void SQClass::finalize()
{
    std::vector<SQClassMember> d, m;
    d.swap(_defaultvalues);
    m.swap(_methods);
    _attributes.Null();
    for (SQObjectPtr& mm : _metamethods) mm.Null();
    _constructor.Null();
    SQTable* members = _members;
    _members = nullptr;
    if (members && --members->_uiRef == 0) sq_destroyobject(members);
    SQClass* base = _base;
    _base = nullptr;
    if (base && --base->_uiRef == 0) sq_destroyobject(base);
}

bool SQClass::GetMember(const SQObject& key, SQInteger& member) const
{
    if (!_members) return false;
    SQObjectPtr* slot = _members->GetSlot(key);
    if (!slot) return false;
    member = _integer(*slot);
    return true;
}

bool SQClass::NewSlot(SQSharedState* ss, const SQObject& key, const SQObject& val, bool bstatic)
{
    if (!_members) return false;
    bool isfunc = sq_type(val) == OT_CLOSURE || sq_type(val) == OT_NATIVECLOSURE;
    bool classlevel = isfunc || bstatic;
    if (_locked && !classlevel) return false;
    SQObjectPtr theval(val);
    // Methods remember the base class of the class they belong to, for 'base'.
    if (_base && sq_type(val) == OT_CLOSURE) {
        SQClosure* c = _closure(val)->Clone();
        c->SetBase(_base);
        theval = SQObjectPtr(c);
    }
    SQInteger member;
    if (GetMember(key, member)) {
        SQInteger idx = sq_member_index(member);
        if (sq_member_kind(member) == SQ_MEMBER_FIELD && !classlevel) {
            _defaultvalues[idx].val = theval;
            return true;
        }
        if (sq_member_kind(member) != SQ_MEMBER_FIELD) {
            _methods[idx].val = theval;
        } else {
            // A field turning into a method or static.
            _methods.push_back({theval, _defaultvalues[idx].attrs});
            _members->NewSlot(key, SQObjectPtr(sq_member_encode((SQInteger)_methods.size() - 1,
                                                                bstatic ? SQ_MEMBER_STATIC : SQ_MEMBER_METHOD)));
        }
    } else if (classlevel) {
        _methods.push_back({theval, SQObjectPtr()});
        _members->NewSlot(key, SQObjectPtr(sq_member_encode((SQInteger)_methods.size() - 1,
                                                            bstatic ? SQ_MEMBER_STATIC : SQ_MEMBER_METHOD)));
    } else {
        _defaultvalues.push_back({theval, SQObjectPtr()});
        _members->NewSlot(key, SQObjectPtr(sq_member_encode((SQInteger)_defaultvalues.size() - 1, SQ_MEMBER_FIELD)));
        return true;
    }
    SQInteger mm = ss->MetaMethodIndex(key);
    if (mm >= 0) _metamethods[mm] = theval;
    if (sq_rawequal(key, ss->_constructoridx)) _constructor = theval;
    return true;
}

bool SQClass::Get(const SQObject& key, SQObjectPtr& val) const
{
    SQInteger member;
    if (!GetMember(key, member)) return false;
    SQInteger idx = sq_member_index(member);
    if (sq_member_kind(member) == SQ_MEMBER_FIELD)
        val = sq_realval(_defaultvalues[idx].val);
    else
        val = sq_realval(_methods[idx].val);
    return true;
}

bool SQClass::SetAttributes(const SQObject& key, const SQObject& val)
{
    if (sq_type(key) == OT_NULL) {
        _attributes = val;
        return true;
    }
    SQInteger member;
    if (!GetMember(key, member)) return false;
    SQInteger idx = sq_member_index(member);
    if (sq_member_kind(member) == SQ_MEMBER_FIELD)
        _defaultvalues[idx].attrs = val;
    else
        _methods[idx].attrs = val;
    return true;
}

bool SQClass::GetAttributes(const SQObject& key, SQObjectPtr& outval) const
{
    if (sq_type(key) == OT_NULL) {
        outval = _attributes;
        return true;
    }
    SQInteger member;
    if (!GetMember(key, member)) return false;
    SQInteger idx = sq_member_index(member);
    outval = sq_member_kind(member) == SQ_MEMBER_FIELD ? _defaultvalues[idx].attrs : _methods[idx].attrs;
    return true;
}

SQInteger SQClass::Next(SQInteger pos, SQObjectPtr& key, SQObjectPtr& val) const
{
    if (!_members) return -1;
    SQInteger i = _members->NextEntry(pos);
    if (i < 0) return -1;
    const SQTable::Entry& e = _members->_entries[i];
    key = e.key;
    Get(e.key, val);
    return i + 1;
}

SQInstance* SQClass::CreateInstance()
{
    _locked = true;
    return SQInstance::Create(_sharedstate, this);
}

// --- instances -------------------------------------------------------------

SQInstance* SQInstance::Create(SQSharedState* ss, SQClass* cls)
{
    SQInstance* inst = new SQInstance(ss);
    cls->_uiRef++;
    inst->_class = cls;
    inst->_values.reserve(cls->_defaultvalues.size());
    for (const SQClassMember& m : cls->_defaultvalues) inst->_values.push_back(m.val);
    inst->_hook = cls->_hook;
    if (cls->_udsize > 0) {
        inst->_memsize = cls->_udsize;
        inst->_userdata = calloc(1, (size_t)cls->_udsize);
        inst->_userpointer = inst->_userdata;
    }
    return inst;
}

void SQInstance::release()
{
    if (_hook) _hook(_userpointer, _memsize);
    free(_userdata);
    finalize();
    delete this;
}

void SQInstance::traverse(SQGCVisitor& v)
{
    if (_class) {
        SQObject c;
        c._type = OT_CLASS;
        c._unVal.pClass = _class;
        v.visit(c);
    }
    for (const SQObjectPtr& o : _values) v.visit(o);
}

void SQInstance::finalize()
{
    std::vector<SQObjectPtr> old;
    old.swap(_values);
    SQClass* cls = _class;
    _class = nullptr;
    if (cls && --cls->_uiRef == 0) sq_destroyobject(cls);
}

bool SQInstance::Get(const SQObject& key, SQObjectPtr& val) const
{
    SQInteger member;
    if (!_class || !_class->GetMember(key, member)) return false;
    SQInteger idx = sq_member_index(member);
    if (sq_member_kind(member) == SQ_MEMBER_FIELD) {
        if (idx >= (SQInteger)_values.size()) return false;
        val = sq_realval(_values[idx]);
    } else {
        val = sq_realval(_class->_methods[idx].val);
    }
    return true;
}

bool SQInstance::Set(const SQObject& key, const SQObject& val)
{
    SQInteger member;
    if (!_class || !_class->GetMember(key, member)) return false;
    if (sq_member_kind(member) != SQ_MEMBER_FIELD) return false;
    SQInteger idx = sq_member_index(member);
    if (idx >= (SQInteger)_values.size()) return false;
    _values[idx] = val;
    return true;
}

SQInstance* SQInstance::Clone(SQSharedState* ss) const
{
    SQInstance* inst = Create(ss, _class);
    inst->_values = _values;
    // A user pointer is not shared: the copy would free it a second time.
    if (_memsize > 0 && _userdata) memcpy(inst->_userdata, _userdata, (size_t)_memsize);
    return inst;
}

bool SQInstance::InstanceOf(const SQClass* cls) const
{
    for (const SQClass* c = _class; c; c = c->_base) {
        if (c == cls) return true;
    }
    return false;
}
