// sqarraylib.cpp -- the default delegate of arrays.
#include <algorithm>

#include "platform/squirrel/sqapi.h"
#include "platform/squirrel/sqarray.h"
#include "platform/squirrel/sqdelegates.h"

namespace {

SQArray* self(HSQUIRRELVM v) { return _array(sq_stackobj(v, 1)); }

SQInteger returnSelf(HSQUIRRELVM v)
{
    sq_push(v, 1);
    return 1;
}

SQInteger array_len(HSQUIRRELVM v)
{
    sq_pushinteger(v, self(v)->Size());
    return 1;
}

SQInteger array_append(HSQUIRRELVM v)
{
    self(v)->Append(sq_stackobj(v, 2));
    return returnSelf(v);
}

SQInteger array_extend(HSQUIRRELVM v)
{
    SQObjectPtr other(sq_stackobj(v, 2));
    std::vector<SQObjectPtr> items(_array(other)->_values.begin(), _array(other)->_values.end());
    for (const SQObjectPtr& o : items) self(v)->_values.push_back(o);
    return returnSelf(v);
}

SQInteger array_pop(HSQUIRRELVM v)
{
    SQArray* a = self(v);
    if (a->Size() == 0) return sq_throwerror(v, "empty array");
    SQObjectPtr last = std::move(a->_values.back());
    a->_values.pop_back();
    v->Push(sq_realval(last));
    return 1;
}

SQInteger array_top(HSQUIRRELVM v)
{
    SQArray* a = self(v);
    if (a->Size() == 0) return sq_throwerror(v, "top() on a empty array");
    v->Push(sq_realval(a->_values.back()));
    return 1;
}

SQInteger array_insert(HSQUIRRELVM v)
{
    SQInteger idx;
    sq_getinteger(v, 2, &idx);
    SQArray* a = self(v);
    if (idx < 0 || idx > a->Size()) return sq_throwerror(v, "index out of range");
    a->Insert(idx, sq_stackobj(v, 3));
    return returnSelf(v);
}

SQInteger array_remove(HSQUIRRELVM v)
{
    SQInteger idx;
    sq_getinteger(v, 2, &idx);
    SQArray* a = self(v);
    if (idx < 0 || idx >= a->Size()) return sq_throwerror(v, "index out of range");
    SQObjectPtr removed = a->_values[idx];
    a->Remove(idx);
    v->Push(sq_realval(removed));
    return 1;
}

SQInteger array_resize(HSQUIRRELVM v)
{
    SQInteger size;
    sq_getinteger(v, 2, &size);
    if (size < 0) return sq_throwerror(v, "resizing to negative length");
    if (!self(v)->Resize(size, sq_gettop(v) > 2 ? (const SQObject&)sq_stackobj(v, 3) : sq_nullobj()))
        return sq_throwerror(v, "array too big");
    return returnSelf(v);
}

SQInteger array_reverse(HSQUIRRELVM v)
{
    std::reverse(self(v)->_values.begin(), self(v)->_values.end());
    return returnSelf(v);
}

SQInteger array_slice(HSQUIRRELVM v)
{
    SQArray* a = self(v);
    SQInteger start, end;
    if (!sq_slicerange(v, a->Size(), start, end)) return SQ_ERROR;
    SQArray* r = SQArray::Create(v->ss(), 0);
    SQObjectPtr ref(r);
    r->_values.assign(a->_values.begin() + start, a->_values.begin() + end);
    v->Push(ref);
    return 1;
}

SQInteger array_clear(HSQUIRRELVM v)
{
    self(v)->finalize();
    return returnSelf(v);
}

// Calls fn for each item with as many of (value, index, array) as it takes.
bool callItem(HSQUIRRELVM v, const SQObjectPtr& fn, SQInteger arity, const SQObjectPtr& arr, SQInteger i,
              SQObjectPtr& ret)
{
    SQObjectPtr item;
    _array(arr)->Get(i, item);
    SQObjectPtr index(i);
    SQObject args[3] = {item, index, arr};
    if (arity > 3) arity = 3;
    if (arity < 1) arity = 1;
    return sq_callback(v, fn, args, arity, ret);
}

SQInteger array_map(HSQUIRRELVM v)
{
    SQObjectPtr arr(sq_stackobj(v, 1)), fn(sq_stackobj(v, 2));
    SQInteger arity = sq_callbackarity(fn);
    SQArray* r = SQArray::Create(v->ss(), 0);
    SQObjectPtr ref(r);
    for (SQInteger i = 0; i < _array(arr)->Size(); i++) {
        SQObjectPtr ret;
        if (!callItem(v, fn, arity, arr, i, ret)) return SQ_ERROR;
        r->_values.push_back(ret);
    }
    v->Push(ref);
    return 1;
}

SQInteger array_apply(HSQUIRRELVM v)
{
    SQObjectPtr arr(sq_stackobj(v, 1)), fn(sq_stackobj(v, 2));
    SQInteger arity = sq_callbackarity(fn);
    for (SQInteger i = 0; i < _array(arr)->Size(); i++) {
        SQObjectPtr ret;
        if (!callItem(v, fn, arity, arr, i, ret)) return SQ_ERROR;
        _array(arr)->Set(i, ret);
    }
    return returnSelf(v);
}

SQInteger array_reduce(HSQUIRRELVM v)
{
    SQObjectPtr arr(sq_stackobj(v, 1)), fn(sq_stackobj(v, 2)), acc;
    SQInteger i = 0;
    if (sq_gettop(v) > 2) {
        acc = sq_stackobj(v, 3);
    } else {
        if (_array(arr)->Size() == 0) {
            sq_pushnull(v);
            return 1;
        }
        _array(arr)->Get(0, acc);
        i = 1;
    }
    for (; i < _array(arr)->Size(); i++) {
        SQObjectPtr cur, ret;
        _array(arr)->Get(i, cur);
        SQObject args[2] = {acc, cur};
        if (!sq_callback(v, fn, args, 2, ret)) return SQ_ERROR;
        acc = ret;
    }
    v->Push(acc);
    return 1;
}

SQInteger array_filter(HSQUIRRELVM v)
{
    SQObjectPtr arr(sq_stackobj(v, 1)), fn(sq_stackobj(v, 2));
    SQArray* r = SQArray::Create(v->ss(), 0);
    SQObjectPtr ref(r);
    for (SQInteger i = 0; i < _array(arr)->Size(); i++) {
        SQObjectPtr item, ret, index(i);
        _array(arr)->Get(i, item);
        SQObject args[2] = {index, item};
        if (!sq_callback(v, fn, args, 2, ret)) return SQ_ERROR;
        if (!sq_isfalse(ret)) r->_values.push_back(item);
    }
    v->Push(ref);
    return 1;
}

SQInteger array_find(HSQUIRRELVM v)
{
    SQArray* a = self(v);
    const SQObjectPtr& val = sq_stackobj(v, 2);
    for (SQInteger i = 0; i < a->Size(); i++) {
        if (v->IsEqual(sq_realval(a->_values[i]), val)) {
            sq_pushinteger(v, i);
            return 1;
        }
    }
    sq_pushnull(v);
    return 1;
}

// --- sort --------------------------------------------------------------------------

// Compares two items, by the values behind weak references, with the
// script's function or the language's order.
bool compareItems(HSQUIRRELVM v, const SQObjectPtr& fn, const SQObjectPtr& a, const SQObjectPtr& b, SQInteger& res)
{
    SQObject args[2] = {sq_realval(a), sq_realval(b)};
    if (sq_type(fn) == OT_NULL) return v->ObjCmp(args[0], args[1], res);
    SQObjectPtr ret;
    if (!sq_callback(v, fn, args, 2, ret)) return false;
    if (!(sq_type(ret) & SQOBJECT_NUMERIC)) {
        v->Raise_Error("numeric value expected as return value of the compare function");
        return false;
    }
    res = sq_tointeger(ret);
    return true;
}

// A stable merge sort. It only ever reads and writes inside its buffers, so a
// comparison function that answers inconsistently cannot break it.
bool mergeSort(HSQUIRRELVM v, const SQObjectPtr& fn, std::vector<SQObjectPtr>& items)
{
    size_t n = items.size();
    std::vector<SQObjectPtr> tmp(n);
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) {
                SQInteger c;
                if (!compareItems(v, fn, items[j], items[i], c)) return false;
                tmp[k++] = c < 0 ? items[j++] : items[i++];
            }
            while (i < mid) tmp[k++] = items[i++];
            while (j < hi) tmp[k++] = items[j++];
        }
        items.swap(tmp);
    }
    return true;
}

SQInteger array_sort(HSQUIRRELVM v)
{
    SQObjectPtr arr(sq_stackobj(v, 1)), fn;
    if (sq_gettop(v) > 1) fn = sq_stackobj(v, 2);
    // The stored values are sorted, so weak references stay weak.
    std::vector<SQObjectPtr> items(_array(arr)->_values.begin(), _array(arr)->_values.end());
    if (!mergeSort(v, fn, items)) return SQ_ERROR;
    _array(arr)->_values.swap(items);
    return returnSelf(v);
}

}  // namespace

const SQRegFunction sq_array_delegate_funcs[] = {{"len", array_len, 1, "a"},
                                                 {"append", array_append, 2, "a"},
                                                 {"push", array_append, 2, "a"},
                                                 {"extend", array_extend, 2, "aa"},
                                                 {"pop", array_pop, 1, "a"},
                                                 {"top", array_top, 1, "a"},
                                                 {"insert", array_insert, 3, "an"},
                                                 {"remove", array_remove, 2, "an"},
                                                 {"resize", array_resize, -2, "an"},
                                                 {"reverse", array_reverse, 1, "a"},
                                                 {"sort", array_sort, -1, "ac"},
                                                 {"slice", array_slice, -2, "ann"},
                                                 {"weakref", sq_default_weakref, 1, nullptr},
                                                 {"tostring", sq_default_tostring, 1, "."},
                                                 {"clear", array_clear, 1, "a"},
                                                 {"map", array_map, 2, "ac"},
                                                 {"apply", array_apply, 2, "ac"},
                                                 {"reduce", array_reduce, -2, "ac"},
                                                 {"filter", array_filter, 2, "ac"},
                                                 {"find", array_find, 2, "a."},
                                                 {nullptr, nullptr, 0, nullptr}};
