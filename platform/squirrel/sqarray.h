// sqarray.h -- the array and the userdata blob.
#pragma once

#include <new>

#include "platform/squirrel/sqobject.h"

// The items of an array. Items removed from the front leave a gap that is
// reclaimed later, so taking items off either end costs the same.
class SQValueVector {
public:
    SQValueVector() = default;
    explicit SQValueVector(size_t n) : _v(n) {}
    size_t size() const { return _v.size() - _head; }
    bool empty() const { return size() == 0; }
    SQObjectPtr& operator[](size_t i) { return _v[_head + i]; }
    const SQObjectPtr& operator[](size_t i) const { return _v[_head + i]; }
    SQObjectPtr* begin() { return _v.data() + _head; }
    SQObjectPtr* end() { return _v.data() + _v.size(); }
    const SQObjectPtr* begin() const { return _v.data() + _head; }
    const SQObjectPtr* end() const { return _v.data() + _v.size(); }
    SQObjectPtr& back() { return _v.back(); }
    void push_back(const SQObjectPtr& o) { _v.push_back(o); }
    void push_back(SQObjectPtr&& o) { _v.push_back(std::move(o)); }
    void pop_back()
    {
        _v.pop_back();
        if (_v.size() == _head) clear();
    }
    void pop_front()
    {
        _v[_head++].Null();
        if (_head == _v.size())
            clear();
        else if (_head >= 16 && _head * 2 >= _v.size())
            compact();
    }
    void resize(size_t n) { _v.resize(_head + n); }
    void resize(size_t n, const SQObjectPtr& fill) { _v.resize(_head + n, fill); }
    void reserve(size_t n) { _v.reserve(_head + n); }
    void clear()
    {
        std::vector<SQObjectPtr> old;
        old.swap(_v);
        _head = 0;
    }
    void swap(std::vector<SQObjectPtr>& other)
    {
        compact();
        _v.swap(other);
    }
    void assign(const SQObjectPtr* first, const SQObjectPtr* last)
    {
        std::vector<SQObjectPtr> copy(first, last);
        clear();
        _v.swap(copy);
    }
    // Moves items [from, from + n) up by one slot, into raw storage.
    void shiftUp(size_t from, size_t n)
    {
        if (n) memmove((void*)&(*this)[from + 1], (const void*)&(*this)[from], n * sizeof(SQObjectPtr));
    }
    void shiftDown(size_t from, size_t n)
    {
        if (n) memmove((void*)&(*this)[from - 1], (const void*)&(*this)[from], n * sizeof(SQObjectPtr));
    }
    size_t head() const { return _head; }
    void setHead(size_t h) { _head = h; }
    void compact()
    {
        if (_head == 0) return;
        _v.erase(_v.begin(), _v.begin() + (long)_head);
        _head = 0;
    }

private:
    std::vector<SQObjectPtr> _v;
    size_t _head = 0;
};

struct SQArray : SQCollectable {
    SQValueVector _values;

    static SQArray* Create(SQSharedState* ss, SQInteger size) { return new SQArray(ss, size); }
    SQObjectType objType() const override { return OT_ARRAY; }
    void release() override { delete this; }
    void traverse(SQGCVisitor& v) override
    {
        for (const SQObjectPtr& o : _values) v.visit(o);
    }
    void finalize() override { _values.clear(); }
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
    // Removal and insertion move the other items as raw bytes, on the shorter
    // side: a value handle does not care where it lives, and moving items
    // one by one would touch every reference count.
    void Remove(SQInteger idx)
    {
        size_t n = _values.size(), i = (size_t)idx;
        SQObjectPtr removed = std::move(_values[i]);
        if (i == 0) {
            _values.pop_front();
        } else if (i < n / 2) {
            _values.shiftUp(0, i);
            new ((void*)&_values[0]) SQObjectPtr();
            _values.pop_front();
        } else {
            _values.shiftDown(i + 1, n - i - 1);
            new ((void*)&_values.back()) SQObjectPtr();
            _values.pop_back();
        }
    }
    void Insert(SQInteger idx, const SQObject& o)
    {
        if (idx == 0 && _values.head() > 0) {
            _values.setHead(_values.head() - 1);
            _values[0] = o;
            return;
        }
        _values.push_back(SQObjectPtr());
        size_t tail = _values.size() - (size_t)idx - 1;
        if (tail) {
            _values.shiftUp((size_t)idx, tail);
            new ((void*)&_values[idx]) SQObjectPtr();
        }
        _values[idx] = o;
    }
    // The most items an array may hold (a gigabyte of values): a larger size
    // is the script's mistake, not something to try allocating.
    static constexpr SQInteger MaxSize = SQInteger(1) << 26;
    // False, changing nothing, when size is over MaxSize.
    [[nodiscard]] bool Resize(SQInteger size, const SQObject& fill)
    {
        if (size > MaxSize) return false;
        if (size < Size()) {
            std::vector<SQObjectPtr> tail(std::make_move_iterator(_values.begin() + size),
                                          std::make_move_iterator(_values.end()));
            _values.resize(size);
        } else {
            _values.resize(size, SQObjectPtr(fill));
        }
        return true;
    }
    SQArray* Clone() const
    {
        SQArray* a = Create(_sharedstate, 0);
        a->_values.assign(_values.begin(), _values.end());
        return a;
    }

private:
    SQArray(SQSharedState* ss, SQInteger size) : SQCollectable(ss), _values((size_t)size) {}
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
