// format.h -- printf-style formatting for the script function `format`.
//
// Conversions: %d %i %u %o %x %X %c (integer; a float argument is truncated
// toward zero), %f %F %e %E %g %G (float; an integer argument is widened),
// %s (string only) and %%. Flags `- + space # 0`, a width and a precision of
// at most FORMAT_MAX_FIELD each. `*`, length modifiers and any other
// conversion are refused. Arguments beyond those the format uses are ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace sqstd {

constexpr int FORMAT_MAX_FIELD = 1000;

struct FormatArg {
    enum class Type { Integer, Float, String, Other };
    Type type = Type::Other;
    int64_t integer = 0;
    double real = 0;
    std::string_view text;      // for String
    const char* typeName = "";  // the script type, for error messages
};

// Fills arg with argument number index (0 is the first one after the format
// string); false when the call has no such argument.
using FormatArgSource = std::function<bool(size_t index, FormatArg& arg)>;

// Appends the formatted text to out. On a malformed format or a missing or
// mistyped argument returns false with the reason in *error.
bool formatString(std::string_view format, const FormatArgSource& args, std::string& out, std::string* error);

}  // namespace sqstd
