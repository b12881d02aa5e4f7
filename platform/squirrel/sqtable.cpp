// sqtable.cpp -- the hash table.
#include "platform/squirrel/sqtable.h"

#include "platform/squirrel/sqstate.h"

SQTable* SQTable::Create(SQSharedState* ss, SQInteger capacity)
{
    SQTable* t = new SQTable(ss);
    if (capacity > 0) {
        size_t n = 4;
        while (n < (size_t)capacity) n <<= 1;
        t->_entries.reserve(capacity);
        t->_buckets.assign(n, -1);
    }
    return t;
}

void SQTable::release()
{
    SetDelegate(nullptr);
    delete this;
}

void SQTable::traverse(SQGCVisitor& v)
{
    for (Entry& e : _entries) {
        v.visit(e.key);
        v.visit(e.val);
    }
    if (_delegate) {
        SQObject d;
        d._type = OT_TABLE;
        d._unVal.pTable = _delegate;
        v.visit(d);
    }
}

void SQTable::finalize()
{
    Clear();
    SetDelegate(nullptr);
}

int32_t SQTable::find(const SQObject& key, SQHash h) const
{
    if (_buckets.empty()) return -1;
    for (int32_t i = _buckets[h & (_buckets.size() - 1)]; i >= 0; i = _entries[i].next) {
        const Entry& e = _entries[i];
        if (e.hash == h && sq_rawequal(e.key, key)) return i;
    }
    return -1;
}

bool SQTable::Get(const SQObject& key, SQObjectPtr& val) const
{
    int32_t i = find(key, sq_hashobj(key));
    if (i < 0) return false;
    val = sq_realval(_entries[i].val);
    return true;
}

SQObjectPtr* SQTable::GetSlot(const SQObject& key) const
{
    int32_t i = find(key, sq_hashobj(key));
    return i < 0 ? nullptr : const_cast<SQObjectPtr*>(&_entries[i].val);
}

bool SQTable::Set(const SQObject& key, const SQObject& val)
{
    int32_t i = find(key, sq_hashobj(key));
    if (i < 0) return false;
    _entries[i].val = val;
    return true;
}

void SQTable::rehash(size_t minbuckets)
{
    // Drop deleted entries, then rebuild the chains.
    std::vector<Entry> live;
    live.reserve(_count + 1);
    for (Entry& e : _entries) {
        if (sq_type(e.key) != OT_NULL) live.push_back(std::move(e));
    }
    _entries.swap(live);
    live.clear();
    size_t n = _buckets.empty() ? 4 : _buckets.size();
    while (n < minbuckets) n <<= 1;
    _buckets.assign(n, -1);
    for (size_t i = 0; i < _entries.size(); i++) {
        Entry& e = _entries[i];
        size_t b = e.hash & (n - 1);
        e.next = _buckets[b];
        _buckets[b] = (int32_t)i;
    }
}

void SQTable::NewSlot(const SQObject& key, const SQObject& val)
{
    SQHash h = sq_hashobj(key);
    int32_t i = find(key, h);
    if (i >= 0) {
        _entries[i].val = val;
        return;
    }
    if (_entries.size() + 1 > _buckets.size()) {
        // Grow when the live slots fill the buckets, otherwise just compact.
        size_t want = (size_t)(_count + 1) * 2;
        rehash(want > _buckets.size() ? want : _buckets.size());
    }
    Entry e;
    e.key = key;
    e.val = val;
    e.hash = h;
    size_t b = h & (_buckets.size() - 1);
    e.next = _buckets[b];
    _buckets[b] = (int32_t)_entries.size();
    _entries.push_back(std::move(e));
    _count++;
}

bool SQTable::Remove(const SQObject& key)
{
    SQHash h = sq_hashobj(key);
    if (_buckets.empty()) return false;
    int32_t* link = &_buckets[h & (_buckets.size() - 1)];
    while (*link >= 0) {
        Entry& e = _entries[*link];
        if (e.hash == h && sq_rawequal(e.key, key)) {
            *link = e.next;
            e.next = -1;
            // Take the values out before releasing them: a release may run
            // code that touches this table.
            SQObjectPtr oldkey = std::move(e.key);
            SQObjectPtr oldval = std::move(e.val);
            _count--;
            return true;
        }
        link = &e.next;
    }
    return false;
}

void SQTable::Clear()
{
    std::vector<Entry> old;
    old.swap(_entries);
    _buckets.clear();
    _count = 0;
}

SQInteger SQTable::NextEntry(SQInteger pos) const
{
    if (pos < 0) pos = 0;
    for (SQInteger i = pos; i < (SQInteger)_entries.size(); i++) {
        if (sq_type(_entries[i].key) != OT_NULL) return i;
    }
    return -1;
}

SQTable* SQTable::Clone() const
{
    SQTable* t = Create(_sharedstate, _count);
    for (const Entry& e : _entries) {
        if (sq_type(e.key) != OT_NULL) t->NewSlot(e.key, e.val);
    }
    t->SetDelegate(_delegate);
    return t;
}

bool SQTable::SetDelegate(SQTable* d)
{
    for (SQTable* p = d; p; p = p->_delegate) {
        if (p == this) return false;
    }
    if (d) d->_uiRef++;
    SQTable* old = _delegate;
    _delegate = d;
    if (old && --old->_uiRef == 0) sq_destroyobject(old);
    return true;
}
