// regexProgram.h -- the compiled form of a pattern, shared by the compiler and
// the matcher (private to the regex engine).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sqstd {

constexpr uint32_t REGEX_UNBOUNDED = UINT32_MAX;

// A set of byte values.
struct RegexCharSet {
    uint64_t bits[4] = {0, 0, 0, 0};

    bool has(unsigned char c) const { return (bits[c >> 6] >> (c & 63)) & 1; }
    void add(unsigned char c) { bits[c >> 6] |= uint64_t(1) << (c & 63); }
    void addRange(unsigned char lo, unsigned char hi)
    {
        for (unsigned c = lo; c <= hi; ++c) add((unsigned char)c);
    }
    void addSet(const RegexCharSet& o)
    {
        for (int i = 0; i < 4; ++i) bits[i] |= o.bits[i];
    }
    void invert()
    {
        for (uint64_t& b : bits) b = ~b;
    }
};

enum class RegexOp : uint8_t {
    Char,             // a: the byte
    Any,              // any byte
    Class,            // a: index into classes
    TextStart,        // `^`
    TextEnd,          // `$`
    WordBoundary,     // `\b`
    NotWordBoundary,  // `\B`
    Split,            // try a first, b when a fails
    Jump,             // a: target
    Save,             // a: register := position
    LoopInit,         // a: loop index; count := 0, iteration start := none
    Loop,             // a: loop index, b: exit; min/max iterations of the body that follows
    RepeatClass,      // a: class index; as many bytes of the class as possible, min..max
    Match,
};

struct RegexInst {
    RegexOp op;
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t min = 0;
    uint32_t max = 0;
};

struct RegexProgram {
    std::vector<RegexInst> code;
    std::vector<RegexCharSet> classes;
    int groups = 0;  // capturing groups, the whole match not counted
    int loops = 0;

    // Registers: a begin/end pair per span (whole match first), then a
    // count/iteration-start pair per loop.
    int spanRegisters() const { return 2 * (groups + 1); }
    int registerCount() const { return spanRegisters() + 2 * loops; }
};

// Builds the program for pattern; null and *error set when it is malformed.
std::unique_ptr<RegexProgram> compileRegexProgram(std::string_view pattern, std::string* error);

// The predefined class of a class escape letter (`w`, `D`, ...); false if the
// letter names no class.
bool regexPredefinedClass(char letter, RegexCharSet* set);

bool regexIsWordChar(unsigned char c);

}  // namespace sqstd
