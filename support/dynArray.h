// dynArray.h -- growable array of plain elements, moved bitwise.
#pragma once

#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "support/utils.h"

// The assertion texts are part of the fatal messages, so they stay as written.
// clang-format off
template <class T>
struct DynArray {
    static_assert(std::is_trivially_copyable_v<T>, "DynArray holds plain elements only");

    T* data = nullptr;
    int num = 0;
    int cap = 0;

    DynArray() = default;
    DynArray(const DynArray&) = delete;
    DynArray& operator=(const DynArray&) = delete;
    ~DynArray() { free(data); }

    // Never shrinks; contents are kept.
    void setCapacity(int n)
    {
        ASSERT(n>=0);
        if (n <= cap) return;
        T* np = (T*)realloc((void*)data, sizeof(T) * (size_t)n);
        ASSERT(np);
        data = np;
        cap = n;
    }

    void reserve(int extra, int minCap)
    {
        int need = num + extra;
        if (need <= cap) return;
        int c = 2 * cap;
        if (c < need) c = need + minCap;
        if (c < minCap) c = minCap;
        setCapacity(c);
    }

    // Growing sets the capacity to exactly n and zero-fills the new tail.
    void setNum(int n)
    {
        ASSERT(n>=0);
        if (n > num) {
            setCapacity(n);
            insert(num, n - num, nullptr);
        } else {
            num = n;
        }
    }

    void insert(int at, int n, const T* src)
    {
        ASSERT(n>=0);
        ASSERT(at>=0 && at<=num);
        if (num + n > cap) {
            // The floor of 8 applies before the slack test, so a first
            // single insert gets exactly 8 slots rather than 9.
            int c = 2 * cap;
            if (c < 8) c = 8;
            if (c < num + n) c = num + n + 8;
            setCapacity(c);
        }
        if (n == 0) return;
        memmove((void*)(data + at + n), (const void*)(data + at), sizeof(T) * (size_t)(num - at));
        num += n;
        if (src)
            memcpy((void*)(data + at), (const void*)src, sizeof(T) * (size_t)n);
        else
            memset((void*)(data + at), 0, sizeof(T) * (size_t)n);
    }

    T& append(const T& v)
    {
        T copy = v;  // v may live inside this array's block
        insert(num, 1, &copy);
        return data[num - 1];
    }

    // Order-preserving removal.
    void remove(int at, int n)
    {
        ASSERT(n>=0);
        ASSERT(at>=0 && at<=num);
        ASSERT(at+n<=num);
        // An empty array has no block: memmove must not see its null pointer.
        if (num - at - n > 0)
            memmove((void*)(data + at), (const void*)(data + at + n), sizeof(T) * (size_t)(num - at - n));
        num -= n;
    }

    // Order-breaking removal in constant time: the tail fills the gap.
    void removeFast(int at, int n)
    {
        ASSERT(n>=0);
        ASSERT(at>=0 && at<=num);
        ASSERT(at+n<=num);
        int k = num - at - n;
        if (k > n) k = n;
        if (k > 0) memcpy((void*)(data + at), (const void*)(data + num - k), sizeof(T) * (size_t)k);
        num -= n;
    }

    T& last()
    {
        ASSERT(num>0);
        return data[num - 1];
    }
    const T& last() const
    {
        ASSERT(num>0);
        return data[num - 1];
    }

    void clear() { remove(0, num); }
    bool empty() const { return num == 0; }

    T& operator[](int i) { return data[i]; }
    const T& operator[](int i) const { return data[i]; }
    T* begin() { return data; }
    T* end() { return data + num; }
    const T* begin() const { return data; }
    const T* end() const { return data + num; }
};
// clang-format on
