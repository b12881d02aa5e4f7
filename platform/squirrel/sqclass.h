// sqclass.h -- classes and their instances.
#pragma once

#include "platform/squirrel/sqobject.h"

struct SQTable;

enum SQMetaMethod {
    MT_ADD,
    MT_SUB,
    MT_MUL,
    MT_DIV,
    MT_UNM,
    MT_MODULO,
    MT_SET,
    MT_GET,
    MT_TYPEOF,
    MT_NEXTI,
    MT_CMP,
    MT_CALL,
    MT_CLONED,
    MT_NEWSLOT,
    MT_DELSLOT,
    MT_TOSTRING,
    MT_NEWMEMBER,
    MT_INHERITED,
    MT_LAST
};

struct SQClassMember {
    SQObjectPtr val;
    SQObjectPtr attrs;
};

// A member is found through the members table, whose values encode where
// it lives: instance fields in each instance, methods and statics in the
// class.
#define SQ_MEMBER_FIELD 0
#define SQ_MEMBER_METHOD 1
#define SQ_MEMBER_STATIC 2
inline SQInteger sq_member_encode(SQInteger idx, SQInteger kind) { return (idx << 2) | kind; }
inline SQInteger sq_member_index(SQInteger m) { return m >> 2; }
inline SQInteger sq_member_kind(SQInteger m) { return m & 3; }

struct SQClass : SQCollectable {
    SQClass* _base = nullptr;     // counted reference
    SQTable* _members = nullptr;  // counted reference
    std::vector<SQClassMember> _defaultvalues;
    std::vector<SQClassMember> _methods;
    SQObjectPtr _attributes;
    SQObjectPtr _metamethods[MT_LAST];
    SQObjectPtr _constructor;
    bool _locked = false;
    SQUserPointer _typetag = nullptr;
    SQRELEASEHOOK _hook = nullptr;
    SQInteger _udsize = 0;

    static SQClass* Create(SQSharedState* ss, SQClass* base);
    SQObjectType objType() const override { return OT_CLASS; }
    void release() override;
    void traverse(SQGCVisitor& v) override;
    void finalize() override;

    // Adds or replaces a member. Fails once instances exist and the member
    // would be a new field.
    bool NewSlot(SQSharedState* ss, const SQObject& key, const SQObject& val, bool bstatic);
    bool Get(const SQObject& key, SQObjectPtr& val) const;
    bool GetMember(const SQObject& key, SQInteger& member) const;
    bool SetAttributes(const SQObject& key, const SQObject& val);
    bool GetAttributes(const SQObject& key, SQObjectPtr& outval) const;
    SQInstance* CreateInstance();
    SQInteger Next(SQInteger pos, SQObjectPtr& key, SQObjectPtr& val) const;
    const SQObjectPtr* GetMetaMethod(SQMetaMethod mm) const
    {
        return sq_type(_metamethods[mm]) != OT_NULL ? &_metamethods[mm] : nullptr;
    }

private:
    using SQCollectable::SQCollectable;
};

struct SQInstance : SQCollectable {
    SQClass* _class = nullptr;  // counted reference
    std::vector<SQObjectPtr> _values;
    SQUserPointer _userpointer = nullptr;
    SQRELEASEHOOK _hook = nullptr;
    SQInteger _memsize = 0;
    void* _userdata = nullptr;  // block of the class's user data size

    static SQInstance* Create(SQSharedState* ss, SQClass* cls);
    SQObjectType objType() const override { return OT_INSTANCE; }
    void release() override;
    void traverse(SQGCVisitor& v) override;
    void finalize() override;
    bool Get(const SQObject& key, SQObjectPtr& val) const;
    // Sets a field; false for unknown keys and for methods.
    bool Set(const SQObject& key, const SQObject& val);
    SQInstance* Clone(SQSharedState* ss) const;
    bool InstanceOf(const SQClass* cls) const;
    const SQObjectPtr* GetMetaMethod(SQMetaMethod mm) const { return _class->GetMetaMethod(mm); }

private:
    using SQCollectable::SQCollectable;
};
