// format.cpp -- parses each conversion, checks its argument and lets the C
// library print numbers from a rebuilt, fully checked C conversion.
#include "platform/squirrel/stdstring/format.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace sqstd {

namespace {

struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    char letter = 0;
};

enum class ArgKind { Integer, Float, String };

bool kindOf(char letter, ArgKind* kind)
{
    switch (letter) {
        case 'd':
        case 'i':
        case 'u':
        case 'o':
        case 'x':
        case 'X':
        case 'c':
            *kind = ArgKind::Integer;
            return true;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
            *kind = ArgKind::Float;
            return true;
        case 's':
            *kind = ArgKind::String;
            return true;
        default:
            return false;
    }
}

class Formatter {
public:
    Formatter(std::string_view format, const FormatArgSource& args, std::string& out)
        : format_(format), args_(args), out_(out)
    {
    }

    bool run()
    {
        while (pos_ < format_.size()) {
            size_t percent = format_.find('%', pos_);
            if (percent == std::string_view::npos) percent = format_.size();
            out_.append(format_.substr(pos_, percent - pos_));
            pos_ = percent;
            if (pos_ < format_.size() && !convert()) return false;
        }
        return true;
    }

    const std::string& error() const { return error_; }

private:
    std::string_view format_;
    const FormatArgSource& args_;
    std::string& out_;
    size_t pos_ = 0;
    size_t nextArg_ = 0;
    std::string error_;

    bool fail(const std::string& what)
    {
        error_ = "format: " + what;
        return false;
    }

    bool atEnd() const { return pos_ >= format_.size(); }

    bool readNumber(int* value, const char* what)
    {
        *value = 0;
        while (!atEnd() && format_[pos_] >= '0' && format_[pos_] <= '9') {
            *value = *value * 10 + (format_[pos_++] - '0');
            if (*value > FORMAT_MAX_FIELD) {
                return fail(std::string(what) + " above " + std::to_string(FORMAT_MAX_FIELD));
            }
        }
        return true;
    }

    bool parse(Conversion* c)
    {
        ++pos_;  // '%'
        while (!atEnd() && std::string_view("-+ #0").find(format_[pos_]) != std::string_view::npos) {
            c->flags += format_[pos_++];
        }
        if (!atEnd() && format_[pos_] >= '0' && format_[pos_] <= '9' && !readNumber(&c->width, "width")) return false;
        if (!atEnd() && format_[pos_] == '.') {
            ++pos_;
            if (!readNumber(&c->precision, "precision")) return false;
        }
        if (atEnd()) return fail("the format string ends inside a conversion");
        c->letter = format_[pos_++];
        if (c->letter == '*') return fail("'*' is not supported in a conversion");
        return true;
    }

    static std::string describe(char letter)
    {
        unsigned char u = (unsigned char)letter;
        if (u >= 0x20 && u < 0x7f) return std::string("'") + letter + "'";
        char hex[8];
        snprintf(hex, sizeof hex, "0x%02x", u);
        return hex;
    }

    bool convert()
    {
        if (format_.substr(pos_, 2) == "%%") {
            out_ += '%';
            pos_ += 2;
            return true;
        }
        Conversion c;
        if (!parse(&c)) return false;
        ArgKind kind;
        if (!kindOf(c.letter, &kind)) return fail("invalid conversion " + describe(c.letter));
        FormatArg arg;
        if (!args_(nextArg_, arg)) return fail("not enough arguments for the format string");
        ++nextArg_;
        switch (kind) {
            case ArgKind::Integer:
                return putInteger(c, arg);
            case ArgKind::Float:
                return putFloat(c, arg);
            case ArgKind::String:
                return putString(c, arg);
        }
        return false;
    }

    std::string expected(const Conversion& c, const char* type, const FormatArg& arg) const
    {
        return std::string("%") + c.letter + " expects " + type + ", got " + arg.typeName;
    }

    // The C conversion for c, with the flags dropped where C leaves their
    // meaning undefined.
    static std::string cSpec(const Conversion& c, const char* dropFlags, const char* length, char letter)
    {
        std::string conversion = "%";
        for (char f : c.flags)
            if (!strchr(dropFlags, f)) conversion += f;
        if (c.width >= 0) conversion += std::to_string(c.width);
        if (c.precision >= 0 && letter != 'c') conversion += "." + std::to_string(c.precision);
        return conversion + length + letter;
    }

    template <typename T>
    void print(const std::string& conversion, T value)
    {
        int n = snprintf(nullptr, 0, conversion.c_str(), value);
        if (n <= 0) return;
        size_t at = out_.size();
        out_.resize(at + (size_t)n + 1);
        snprintf(&out_[at], (size_t)n + 1, conversion.c_str(), value);
        out_.resize(at + (size_t)n);
    }

    bool putInteger(const Conversion& c, const FormatArg& arg)
    {
        int64_t value = 0;
        if (arg.type == FormatArg::Type::Integer) {
            value = arg.integer;
        } else if (arg.type == FormatArg::Type::Float) {
            double t = std::trunc(arg.real);
            // 2^63 is exactly representable; anything at or beyond it is not an int64.
            if (!(t >= -9223372036854775808.0 && t < 9223372036854775808.0)) {
                return fail(std::string("%") + c.letter + " got a float outside the integer range");
            }
            value = (int64_t)t;
        } else {
            return fail(expected(c, "an integer", arg));
        }
        switch (c.letter) {
            case 'd':
            case 'i':
                print(cSpec(c, "#", "ll", 'd'), (long long)value);
                break;
            case 'c':
                print(cSpec(c, "#0", "", 'c'), (int)(unsigned char)value);
                break;
            default:
                print(cSpec(c, c.letter == 'u' ? "#" : "", "ll", c.letter), (unsigned long long)value);
                break;
        }
        return true;
    }

    bool putFloat(const Conversion& c, const FormatArg& arg)
    {
        double value = 0;
        if (arg.type == FormatArg::Type::Float)
            value = arg.real;
        else if (arg.type == FormatArg::Type::Integer)
            value = (double)arg.integer;
        else
            return fail(expected(c, "a float", arg));
        print(cSpec(c, "", "", c.letter), value);
        return true;
    }

    // Strings may hold zero bytes, so they are copied rather than printed.
    bool putString(const Conversion& c, const FormatArg& arg)
    {
        if (arg.type != FormatArg::Type::String) return fail(expected(c, "a string", arg));
        std::string_view text = arg.text;
        if (c.precision >= 0 && (size_t)c.precision < text.size()) text = text.substr(0, (size_t)c.precision);
        size_t pad = c.width > 0 && (size_t)c.width > text.size() ? (size_t)c.width - text.size() : 0;
        bool left = c.flags.find('-') != std::string::npos;
        if (!left) out_.append(pad, ' ');
        out_.append(text);
        if (left) out_.append(pad, ' ');
        return true;
    }
};

}  // namespace

bool formatString(std::string_view format, const FormatArgSource& args, std::string& out, std::string* error)
{
    Formatter formatter(format, args, out);
    if (formatter.run()) return true;
    if (error) *error = formatter.error();
    return false;
}

}  // namespace sqstd
