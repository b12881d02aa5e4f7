// sqarray.h -- the array and the userdata blob.
#pragma once

#include "platform/squirrel/sqobject.h"

struct SQArray : SQCollectable {
    std::vector<SQObjectPtr> _values;

    static SQArray* Create(SQSharedState* ss, SQInteger size) { return new SQArray(ss, size); }
    SQObjectType objType() const override { return OT_ARRAY; }
    void release() override { delete this; }
    void traverse(SQGCVisitor& v) override
    {
        for (const SQObjectPtr& o : _values) v.visit(o);
    }
    void finalize() override
    {
        std::vector<SQObjectPtr> old;
        old.swap(_values);
    }
    SQInteger Size() const { return (SQInteger)_values.size(); }
    // Element access hands back the value behind a weak reference.
    bool Get(SQInteger idx, SQObjectPtr& val) const
    {
        if (idx < 0 || idx >= Size()) return false;
        val = sq_realval(_values[idx]);
        return true;
    }
    bool Set(SQInteger idx, const SQObject& val)
    {
        if (idx < 0 || idx >= Size()) return false;
        _values[idx] = val;
        return true;
    }
    void Append(const SQObject& o) { _values.push_back(SQObjectPtr(o)); }
    void Resize(SQInteger size, const SQObject& fill)
    {
        if (size < Size()) {
            std::vector<SQObjectPtr> tail(std::make_move_iterator(_values.begin() + size),
                                          std::make_move_iterator(_values.end()));
            _values.resize(size);
        } else {
            _values.resize(size, SQObjectPtr(fill));
        }
    }
    SQArray* Clone() const
    {
        SQArray* a = Create(_sharedstate, 0);
        a->_values = _values;
        return a;
    }

private:
    SQArray(SQSharedState* ss, SQInteger size) : SQCollectable(ss), _values(size) {}
};

struct SQUserData : SQCollectable {
    SQTable* _delegate = nullptr;  // counted reference
    SQInteger _size = 0;
    SQRELEASEHOOK _hook = nullptr;
    SQUserPointer _typetag = nullptr;
    void* _val = nullptr;

    static SQUserData* Create(SQSharedState* ss, SQInteger size);
    SQObjectType objType() const override { return OT_USERDATA; }
    void release() override;
    void traverse(SQGCVisitor& v) override;
    void finalize() override;
    void SetDelegate(SQTable* t);

private:
    using SQCollectable::SQCollectable;
};
