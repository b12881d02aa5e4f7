// utils.h -- assertions, fixed-capacity strings and the game-wide random source.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Ends the process through the fatal-error path (message on stderr, log,
// message box, shutdown, exit code 100). Defined by the shell's log module.
[[noreturn]] void fatalError(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Active in every build: a broken contract must never run on silently.
#define ASSERT(expr)                                                                     \
    do {                                                                                 \
        if (!(expr)) fatalError("%s(%d): failed ASSERT(%s)", __FILE__, __LINE__, #expr); \
    } while (0)

template <int BS>
struct FixedStr {
    static_assert(BS > 0, "FixedStr needs room for the terminator");
    char str[BS] = {0};

    // Copies len bytes plus the terminator; s[len] must be the terminator.
    void assign(const char* s, int len = -1)
    {
        if (!s) {
            str[0] = 0;
            return;
        }
        int l = len < 0 ? (int)strlen(s) : len;
        // clang-format off
        ASSERT(l<BS);
        // clang-format on
        memcpy(str, s, (size_t)l + 1);
    }

    // Formats with a bound of BS bytes; output that does not fit is cut.
    void format(const char* fmt, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list ap;
        va_start(ap, fmt);
        vsnprintf(str, BS, fmt, ap);
        va_end(ap);
    }

    const char* c_str() const { return str; }
    operator const char*() const { return str; }
    int length() const { return (int)strlen(str); }
};

// The one random source of the game. Level generation and gameplay draw from
// the same state, so the order of draws is behaviour.
struct Random64 {
    uint64_t state = 12345;

    uint32_t next()
    {
        state = state * 0x5851F42D4C957F2Dull + 0x14057B7EF767814Full;
        return (uint32_t)(state >> 32);
    }
    // r * 2^-32 rounds up to 1.0f for the top 128 values of r; those are
    // clamped to the largest float below 1 so the ranges stay half-open.
    float nextUnit() { return toUnit(next()); }
    float nextSigned() { return toUnit(next()) * 2.0f - 1.0f; }
    float nextRange(float a, float b) { return a + toUnit(next()) * (b - a); }

    static float toUnit(uint32_t r)
    {
        float f = (float)((double)r * (1.0 / 4294967296.0));
        return f < 1.0f ? f : 0x1.fffffep-1f;
    }
};

extern Random64 random64;
