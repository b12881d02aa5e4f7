// stringOps.cpp -- split, strip and escape over byte strings.
#include "platform/squirrel/stdstring/stringOps.h"

namespace sqstd {

namespace {

bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::vector<std::string_view> splitString(std::string_view text, std::string_view separators, bool skipEmpty)
{
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (;;) {
        size_t cut = text.find_first_of(separators, start);
        if (cut == std::string_view::npos) cut = text.size();
        if (!skipEmpty || cut > start) pieces.push_back(text.substr(start, cut - start));
        if (cut == text.size()) break;
        start = cut + 1;
    }
    return pieces;
}

std::string_view stripLeft(std::string_view text)
{
    size_t n = 0;
    while (n < text.size() && isSpace(text[n])) ++n;
    return text.substr(n);
}

std::string_view stripRight(std::string_view text)
{
    size_t n = text.size();
    while (n > 0 && isSpace(text[n - 1])) --n;
    return text.substr(0, n);
}

std::string_view stripBoth(std::string_view text) { return stripRight(stripLeft(text)); }

std::string escapeString(std::string_view text)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        unsigned char c = (unsigned char)ch;
        const char* named = nullptr;
        switch (c) {
            case '"':
                named = "\\\"";
                break;
            case '\'':
                named = "\\'";
                break;
            case '\\':
                named = "\\\\";
                break;
            case '\a':
                named = "\\a";
                break;
            case '\b':
                named = "\\b";
                break;
            case '\t':
                named = "\\t";
                break;
            case '\n':
                named = "\\n";
                break;
            case '\v':
                named = "\\v";
                break;
            case '\f':
                named = "\\f";
                break;
            case '\r':
                named = "\\r";
                break;
            case '\0':
                named = "\\0";
                break;
            default:
                break;
        }
        if (named) {
            out += named;
        } else if (c < 0x20 || c >= 0x7f) {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace sqstd
