// Formatter: conversions, flags, argument types and malformed formats.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/squirrel/stdstring/format.h"

using sqstd::FormatArg;

namespace {

FormatArg integer(int64_t v)
{
    FormatArg a;
    a.type = FormatArg::Type::Integer;
    a.integer = v;
    a.typeName = "integer";
    return a;
}

FormatArg real(double v)
{
    FormatArg a;
    a.type = FormatArg::Type::Float;
    a.real = v;
    a.typeName = "float";
    return a;
}

FormatArg str(std::string_view v)
{
    FormatArg a;
    a.type = FormatArg::Type::String;
    a.text = v;
    a.typeName = "string";
    return a;
}

FormatArg other(const char* typeName)
{
    FormatArg a;
    a.typeName = typeName;
    return a;
}

// The formatted text, or "error: ..." with the reason.
std::string fmt(std::string_view format, std::vector<FormatArg> args = {})
{
    std::string out = "";
    std::string error;
    auto source = [&](size_t i, FormatArg& arg) {
        if (i >= args.size()) return false;
        arg = args[i];
        return true;
    };
    if (!sqstd::formatString(format, source, out, &error)) return "error: " + error;
    return out;
}

}  // namespace

TEST(Format, PlainTextAndPercent)
{
    EXPECT_EQ(fmt(""), "");
    EXPECT_EQ(fmt("no conversions"), "no conversions");
    EXPECT_EQ(fmt("100%%"), "100%");
    EXPECT_EQ(fmt("%%d"), "%d");
    EXPECT_EQ(fmt(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Format, Integers)
{
    EXPECT_EQ(fmt("%s %d 0x%02X\n", {str("this is a test :"), integer(123), integer(10)}),
              "this is a test : 123 0x0A\n");
    EXPECT_EQ(fmt("%d|%i", {integer(-42), integer(7)}), "-42|7");
    EXPECT_EQ(fmt("%5d|%-5d|%05d|%+d|% d", {integer(42), integer(42), integer(-42), integer(42), integer(42)}),
              "   42|42   |-0042|+42| 42");
    EXPECT_EQ(fmt("%.3d", {integer(7)}), "007");
    EXPECT_EQ(fmt("%x %X %o %#x %#o", {integer(255), integer(255), integer(8), integer(255), integer(8)}),
              "ff FF 10 0xff 010");
    EXPECT_EQ(fmt("%d %d", {integer(INT64_MAX), integer(INT64_MIN)}), "9223372036854775807 -9223372036854775808");
    EXPECT_EQ(fmt("%x %u", {integer(-1), integer(-1)}), "ffffffffffffffff 18446744073709551615");
}

TEST(Format, Characters)
{
    EXPECT_EQ(fmt("%c%c%c", {integer('a'), integer('b'), integer('c')}), "abc");
    EXPECT_EQ(fmt("[%3c][%-3c]", {integer('x'), integer('y')}), "[  x][y  ]");
    EXPECT_EQ(fmt("%c", {integer(0)}), std::string(1, '\0'));
    EXPECT_EQ(fmt("%c", {integer(0x141)}), "A");  // only the low byte
}

TEST(Format, Floats)
{
    EXPECT_EQ(fmt("%f", {real(1.5)}), "1.500000");
    EXPECT_EQ(fmt("%.2f|%8.3f|%-8.1f|%+.1f", {real(3.14159), real(2.5), real(-1.25), real(1)}),
              "3.14|   2.500|-1.2    |+1.0");
    EXPECT_EQ(fmt("%e|%.2E", {real(12345.678), real(0.000123)}), "1.234568e+04|1.23E-04");
    EXPECT_EQ(fmt("%g|%g|%G", {real(100000), real(1e-5), real(1e20)}), "100000|1e-05|1E+20");
    EXPECT_EQ(fmt("%#g", {real(1)}), "1.00000");
    EXPECT_EQ(fmt("%08.2f", {real(-3.5)}), "-0003.50");
    EXPECT_EQ(fmt("%f %F", {real(INFINITY), real(-INFINITY)}), "inf -INF");
}

TEST(Format, IntegersAndFloatsConvertIntoEachOther)
{
    EXPECT_EQ(fmt("%d %d %d", {real(3.99), real(-3.99), real(0.5)}), "3 -3 0");
    EXPECT_EQ(fmt("%x", {real(255.7)}), "ff");
    EXPECT_EQ(fmt("%.1f %e", {integer(2), integer(-10)}), "2.0 -1.000000e+01");
    EXPECT_EQ(fmt("%d", {real(1e30)}), "error: format: %d got a float outside the integer range");
    EXPECT_EQ(fmt("%d", {real(NAN)}), "error: format: %d got a float outside the integer range");
    EXPECT_EQ(fmt("%d", {real(-9223372036854775808.0)}), "-9223372036854775808");
}

TEST(Format, Strings)
{
    EXPECT_EQ(fmt("<%s>", {str("abc")}), "<abc>");
    EXPECT_EQ(fmt("<%6s|%-6s>", {str("abc"), str("abc")}), "<   abc|abc   >");
    EXPECT_EQ(fmt("<%.2s|%5.1s>", {str("abc"), str("xyz")}), "<ab|    x>");
    EXPECT_EQ(fmt("<%2s>", {str("abcdef")}), "<abcdef>");
    EXPECT_EQ(fmt("%s", {str(std::string_view("a\0b", 3))}), std::string("a\0b", 3));
    EXPECT_EQ(fmt("%s%s", {str(""), str("")}), "");
}

TEST(Format, WrongArgumentTypes)
{
    EXPECT_EQ(fmt("%d", {str("12")}), "error: format: %d expects an integer, got string");
    EXPECT_EQ(fmt("%c", {other("null")}), "error: format: %c expects an integer, got null");
    EXPECT_EQ(fmt("%f", {str("1.0")}), "error: format: %f expects a float, got string");
    EXPECT_EQ(fmt("%g", {other("bool")}), "error: format: %g expects a float, got bool");
    EXPECT_EQ(fmt("%s", {integer(1)}), "error: format: %s expects a string, got integer");
    EXPECT_EQ(fmt("%s", {other("table")}), "error: format: %s expects a string, got table");
}

TEST(Format, ArgumentCount)
{
    EXPECT_EQ(fmt("%d %d", {integer(1)}), "error: format: not enough arguments for the format string");
    EXPECT_EQ(fmt("%s"), "error: format: not enough arguments for the format string");
    EXPECT_EQ(fmt("%d", {integer(1), integer(2), str("extra")}), "1");
    EXPECT_EQ(fmt("%%", {}), "%");
}

TEST(Format, MalformedConversions)
{
    EXPECT_EQ(fmt("%*d", {integer(3), integer(1)}), "error: format: '*' is not supported in a conversion");
    EXPECT_EQ(fmt("%.*f", {integer(3), real(1)}), "error: format: '*' is not supported in a conversion");
    EXPECT_EQ(fmt("%ld", {integer(1)}), "error: format: invalid conversion 'l'");
    EXPECT_EQ(fmt("%n", {integer(1)}), "error: format: invalid conversion 'n'");
    EXPECT_EQ(fmt("%p", {integer(1)}), "error: format: invalid conversion 'p'");
    EXPECT_EQ(fmt("%\x01", {integer(1)}), "error: format: invalid conversion 0x01");
    EXPECT_EQ(fmt("abc%", {integer(1)}), "error: format: the format string ends inside a conversion");
    EXPECT_EQ(fmt("%-5.", {integer(1)}), "error: format: the format string ends inside a conversion");
    EXPECT_EQ(fmt("%1001d", {integer(1)}), "error: format: width above 1000");
    EXPECT_EQ(fmt("%.99999999999999f", {real(1)}), "error: format: precision above 1000");
    EXPECT_EQ(fmt("%1000d", {integer(1)}).size(), 1000u);
    EXPECT_EQ(fmt("%.1000f", {real(1e308)}).size(), 309u + 1 + 1000);
}
