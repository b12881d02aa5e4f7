// String helpers: split, strip and escape.
#include <gtest/gtest.h>

#include "platform/squirrel/stdstring/stringOps.h"

namespace {

std::string joined(const std::vector<std::string_view>& pieces)
{
    std::string out;
    for (std::string_view p : pieces) out += "[" + std::string(p) + "]";
    return out;
}

}  // namespace

TEST(StringOps, Split)
{
    EXPECT_EQ(joined(sqstd::splitString("1.2-3;;4/5", ".-/;", false)), "[1][2][3][][4][5]");
    EXPECT_EQ(joined(sqstd::splitString("1.2-3;;4/5", ".-/;", true)), "[1][2][3][4][5]");
    EXPECT_EQ(joined(sqstd::splitString(",a,", ",", false)), "[][a][]");
    EXPECT_EQ(joined(sqstd::splitString(",a,", ",", true)), "[a]");
    EXPECT_EQ(joined(sqstd::splitString("", ",", false)), "[]");
    EXPECT_EQ(joined(sqstd::splitString("", ",", true)), "");
    EXPECT_EQ(joined(sqstd::splitString(",,,", ",", true)), "");
    EXPECT_EQ(joined(sqstd::splitString("a b", "", false)), "[a b]");
    std::string zeros("a\0b", 3);
    EXPECT_EQ(joined(sqstd::splitString(zeros, std::string_view("\0", 1), false)), "[a][b]");
}

TEST(StringOps, Strip)
{
    EXPECT_EQ(sqstd::stripBoth(" \t\n\v\f\rab c\r\n "), "ab c");
    EXPECT_EQ(sqstd::stripLeft("  ab  "), "ab  ");
    EXPECT_EQ(sqstd::stripRight("  ab  "), "  ab");
    EXPECT_EQ(sqstd::stripBoth("   "), "");
    EXPECT_EQ(sqstd::stripLeft(""), "");
    EXPECT_EQ(sqstd::stripRight("\xa0x\xa0"), "\xa0x\xa0");  // only ASCII white space
}

TEST(StringOps, Escape)
{
    EXPECT_EQ(sqstd::escapeString("plain text 123"), "plain text 123");
    EXPECT_EQ(sqstd::escapeString("\"q\" 'a' \\"), "\\\"q\\\" \\'a\\' \\\\");
    EXPECT_EQ(sqstd::escapeString("\a\b\t\n\v\f\r"), "\\a\\b\\t\\n\\v\\f\\r");
    EXPECT_EQ(sqstd::escapeString(std::string("a\0b", 3)), "a\\0b");
    EXPECT_EQ(sqstd::escapeString("\x01\x1f\x7f\xff\xc3\xa9"), "\\x01\\x1f\\x7f\\xff\\xc3\\xa9");
    EXPECT_EQ(sqstd::escapeString(""), "");
}
