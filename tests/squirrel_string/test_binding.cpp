// The string library through the embedding API: registration and sqstd_format.
#include <gtest/gtest.h>

#include <string>

#include "platform/squirrel/sqstdstring.h"

namespace {

struct StringLibVm : ::testing::Test {
    HSQUIRRELVM v = nullptr;
    void SetUp() override { v = sq_open(1024); }
    void TearDown() override { sq_close(v); }

    // The type of slot name in the table at idx, OT_NULL if there is none.
    SQObjectType slotType(SQInteger idx, const char* name)
    {
        SQInteger top = sq_gettop(v);
        sq_pushstring(v, name, -1);
        SQObjectType t = SQ_SUCCEEDED(sq_rawget(v, idx < 0 ? idx - 1 : idx)) ? sq_gettype(v, -1) : OT_NULL;
        sq_settop(v, top);
        return t;
    }

    std::string lastError()
    {
        sq_getlasterror(v);
        const SQChar* s = "";
        sq_getstring(v, -1, &s);
        std::string text = s;
        sq_pop(v, 1);
        return text;
    }
};

}  // namespace

TEST_F(StringLibVm, RegistersIntoTheTableOnTopOfTheStack)
{
    sq_newtable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_register_stringlib(v)));
    EXPECT_EQ(sq_gettop(v), 1);
    for (const char* name :
         {"format", "printf", "split", "strip", "lstrip", "rstrip", "startswith", "endswith", "escape"}) {
        EXPECT_EQ(slotType(1, name), OT_NATIVECLOSURE) << name;
    }
    EXPECT_EQ(slotType(1, "regexp"), OT_CLASS);
    sq_pushroottable(v);
    EXPECT_EQ(slotType(-1, "format"), OT_NULL);
    EXPECT_EQ(slotType(-1, "regexp"), OT_NULL);
}

TEST_F(StringLibVm, FormatTakesTheArgumentsAfterTheFormatString)
{
    sq_pushinteger(v, 99);  // below the format: not an argument
    sq_pushstring(v, "%s=%d %.1f", -1);
    sq_pushstring(v, "x", -1);
    sq_pushinteger(v, 5);
    sq_pushfloat(v, 2.5f);
    SQInteger length = -1;
    SQChar* text = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_format(v, 2, &length, &text)));
    EXPECT_EQ(std::string(text, (size_t)length), "x=5 2.5");
    EXPECT_EQ(text[length], '\0');
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_format(v, -4, &length, &text)));
    EXPECT_EQ(std::string(text, (size_t)length), "x=5 2.5");
    EXPECT_EQ(sq_gettop(v), 5);
}

TEST_F(StringLibVm, FormatFailuresBecomeTheLastError)
{
    sq_pushstring(v, "%d", -1);
    sq_pushstring(v, "str", -1);
    SQInteger length = -1;
    SQChar* text = nullptr;
    EXPECT_TRUE(SQ_FAILED(sqstd_format(v, 1, &length, &text)));
    EXPECT_EQ(lastError(), "format: %d expects an integer, got string");
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sqstd_format(v, 3, &length, &text)));
    EXPECT_EQ(lastError(), "format: the format must be a string");
}
