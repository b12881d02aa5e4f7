// sqtable.h -- the hash table: slots kept in insertion order, found through
// hash chains; iteration visits slots in the order they were created.
#pragma once

#include "platform/squirrel/sqobject.h"

struct SQTable : SQCollectable {
    struct Entry {
        SQObjectPtr key;  // null marks a deleted slot
        SQObjectPtr val;
        SQHash hash = 0;
        int32_t next = -1;  // next entry of the same bucket
    };

    std::vector<Entry> _entries;
    std::vector<int32_t> _buckets;
    SQInteger _count = 0;
    SQTable* _delegate = nullptr;  // counted reference

    static SQTable* Create(SQSharedState* ss, SQInteger capacity = 0);
    SQObjectType objType() const override { return OT_TABLE; }
    void release() override;
    void traverse(SQGCVisitor& v) override;
    void finalize() override;

    // Raw slot access, without delegation. Get hands back the value behind
    // a weak reference.
    bool Get(const SQObject& key, SQObjectPtr& val) const;
    SQObjectPtr* GetSlot(const SQObject& key) const;
    // GetSlot that first tries the entry found last time by the caller.
    SQObjectPtr* GetSlotHinted(const SQObject& key, int32_t& hint) const
    {
        if ((size_t)hint < _entries.size() && sq_rawequal(_entries[hint].key, key))
            return const_cast<SQObjectPtr*>(&_entries[hint].val);
        int32_t i = find(key, sq_hashobj(key));
        if (i < 0) return nullptr;
        hint = i;
        return const_cast<SQObjectPtr*>(&_entries[i].val);
    }
    // Sets an existing slot; false if there is none.
    bool Set(const SQObject& key, const SQObject& val);
    // Sets the slot, creating it when missing.
    void NewSlot(const SQObject& key, const SQObject& val);
    bool Remove(const SQObject& key);
    void Clear();
    SQInteger CountUsed() const { return _count; }
    // Iteration: the next used entry at or after position pos, or -1.
    SQInteger NextEntry(SQInteger pos) const;
    SQTable* Clone() const;
    bool SetDelegate(SQTable* d);  // false if it would make a delegation loop

private:
    using SQCollectable::SQCollectable;
    int32_t find(const SQObject& key, SQHash h) const;
    void rehash(size_t minbuckets);
};
