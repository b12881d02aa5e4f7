// vecmath.h -- 4-float SSE vectors, 4x4 row-vector matrices and 2D boxes.
#pragma once

#include <emmintrin.h>
#include <cmath>
#include <cstdint>

struct alignas(16) Vec4 {
    union {
        __m128 m;
        struct {
            float x, y, z, w;
        };
        float f[4];
    };

    Vec4() : m(_mm_setzero_ps()) {}
    Vec4(__m128 v) : m(v) {}
    Vec4(float x_, float y_, float z_, float w_ = 0.0f) : m(_mm_setr_ps(x_, y_, z_, w_)) {}
    static Vec4 zero() { return Vec4(_mm_setzero_ps()); }
    static Vec4 splat(float v) { return Vec4(_mm_set1_ps(v)); }
    static Vec4 point(float x_, float y_, float z_) { return Vec4(x_, y_, z_, 1.0f); }

    float operator[](int i) const { return f[i]; }
    float& operator[](int i) { return f[i]; }

    Vec4 operator-() const { return Vec4(_mm_sub_ps(_mm_setzero_ps(), m)); }
    Vec4& operator+=(const Vec4& o)
    {
        m = _mm_add_ps(m, o.m);
        return *this;
    }
    Vec4& operator-=(const Vec4& o)
    {
        m = _mm_sub_ps(m, o.m);
        return *this;
    }
    Vec4& operator*=(const Vec4& o)
    {
        m = _mm_mul_ps(m, o.m);
        return *this;
    }
    Vec4& operator/=(const Vec4& o)
    {
        m = _mm_div_ps(m, o.m);
        return *this;
    }
    Vec4& operator*=(float s)
    {
        m = _mm_mul_ps(m, _mm_set1_ps(s));
        return *this;
    }
    Vec4& operator/=(float s)
    {
        m = _mm_div_ps(m, _mm_set1_ps(s));
        return *this;
    }
};

inline Vec4 operator+(Vec4 a, Vec4 b) { return _mm_add_ps(a.m, b.m); }
inline Vec4 operator-(Vec4 a, Vec4 b) { return _mm_sub_ps(a.m, b.m); }
inline Vec4 operator*(Vec4 a, Vec4 b) { return _mm_mul_ps(a.m, b.m); }
inline Vec4 operator/(Vec4 a, Vec4 b) { return _mm_div_ps(a.m, b.m); }
inline Vec4 operator*(Vec4 a, float s) { return _mm_mul_ps(a.m, _mm_set1_ps(s)); }
inline Vec4 operator*(float s, Vec4 a) { return _mm_mul_ps(a.m, _mm_set1_ps(s)); }
inline Vec4 operator/(Vec4 a, float s) { return _mm_div_ps(a.m, _mm_set1_ps(s)); }
inline Vec4 operator&(Vec4 a, Vec4 b) { return _mm_and_ps(a.m, b.m); }
inline Vec4 operator|(Vec4 a, Vec4 b) { return _mm_or_ps(a.m, b.m); }
inline Vec4 operator^(Vec4 a, Vec4 b) { return _mm_xor_ps(a.m, b.m); }

// Comparisons give lane masks (all bits set where true).
inline Vec4 cmpEq(Vec4 a, Vec4 b) { return _mm_cmpeq_ps(a.m, b.m); }
inline Vec4 cmpLt(Vec4 a, Vec4 b) { return _mm_cmplt_ps(a.m, b.m); }
inline Vec4 cmpLe(Vec4 a, Vec4 b) { return _mm_cmple_ps(a.m, b.m); }
inline Vec4 cmpGt(Vec4 a, Vec4 b) { return _mm_cmpgt_ps(a.m, b.m); }
inline Vec4 cmpGe(Vec4 a, Vec4 b) { return _mm_cmpge_ps(a.m, b.m); }
// Bit i is the sign bit of lane i.
inline int signMask(Vec4 a) { return _mm_movemask_ps(a.m); }
inline Vec4 select(Vec4 mask, Vec4 a, Vec4 b) { return _mm_or_ps(_mm_and_ps(mask.m, a.m), _mm_andnot_ps(mask.m, b.m)); }

struct alignas(16) Int4 {
    int32_t i[4];
};
// Round to nearest (the default rounding mode).
inline Int4 toInt(Vec4 a)
{
    Int4 r;
    _mm_store_si128((__m128i*)r.i, _mm_cvtps_epi32(a.m));
    return r;
}
inline Vec4 fromInt(const Int4& v) { return _mm_cvtepi32_ps(_mm_load_si128((const __m128i*)v.i)); }

inline Vec4 vabs(Vec4 a) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), a.m); }
inline Vec4 vsqrt(Vec4 a) { return _mm_sqrt_ps(a.m); }
// Approximate (about 12 bits), as the hardware gives it.
inline Vec4 vrsqrt(Vec4 a) { return _mm_rsqrt_ps(a.m); }
inline Vec4 vmax(Vec4 a, Vec4 b) { return _mm_max_ps(a.m, b.m); }
inline Vec4 vmin(Vec4 a, Vec4 b) { return _mm_min_ps(a.m, b.m); }
inline Vec4 lerp(Vec4 a, Vec4 b, float t) { return (b - a) * t + a; }

inline float dot4(Vec4 a, Vec4 b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
inline float dot3(Vec4 a, Vec4 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float dot2(Vec4 a, Vec4 b) { return a.x * b.x + a.y * b.y; }
inline float lengthSq2(Vec4 a) { return dot2(a, a); }
inline float length3(Vec4 a) { return std::sqrt(dot3(a, a)); }
inline Vec4 normalize3(Vec4 a)
{
    Vec4 r = vrsqrt(Vec4::splat(dot3(a, a)));
    return a * r.x;
}
inline Vec4 cross3(Vec4 a, Vec4 b)
{
    return Vec4(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 0.0f);
}

// Row-vector convention: p' = p.x*r[0] + p.y*r[1] + p.z*r[2] + p.w*r[3].
struct alignas(16) Mat4 {
    Vec4 r[4];

    static Mat4 identity()
    {
        Mat4 m;
        m.r[0] = Vec4(1, 0, 0, 0);
        m.r[1] = Vec4(0, 1, 0, 0);
        m.r[2] = Vec4(0, 0, 1, 0);
        m.r[3] = Vec4(0, 0, 0, 1);
        return m;
    }
    static Mat4 rotationY(float a)
    {
        float c = std::cos(a), s = std::sin(a);
        Mat4 m;
        m.r[0] = Vec4(c, 0, s, 0);
        m.r[1] = Vec4(0, 1, 0, 0);
        m.r[2] = Vec4(-s, 0, c, 0);
        m.r[3] = Vec4(0, 0, 0, 1);
        return m;
    }
    Vec4& row(int i) { return r[i]; }
    const Vec4& row(int i) const { return r[i]; }
    float at(int i, int j) const { return r[i].f[j]; }
};

inline Vec4 transform(const Mat4& m, Vec4 p) { return m.r[0] * p.x + m.r[1] * p.y + m.r[2] * p.z + m.r[3] * p.w; }
// a then b: rows of a transformed by b.
inline Mat4 operator*(const Mat4& a, const Mat4& b)
{
    Mat4 o;
    for (int i = 0; i < 4; i++) o.r[i] = transform(b, a.r[i]);
    return o;
}
inline Mat4 scaleAll(const Mat4& a, float s)
{
    Mat4 o;
    for (int i = 0; i < 4; i++) o.r[i] = a.r[i] * s;
    return o;
}
// General inverse by cofactors; a singular matrix gives all zeros.
Mat4 inverse(const Mat4& m);

// A 2D rectangle (x0, y0, x1, y1) held in a Vec4.
struct Box2 {
    Vec4 v;
    Box2() = default;
    Box2(float x0, float y0, float x1, float y1) : v(x0, y0, x1, y1) {}
    float x0() const { return v.x; }
    float y0() const { return v.y; }
    float x1() const { return v.z; }
    float y1() const { return v.w; }
};
