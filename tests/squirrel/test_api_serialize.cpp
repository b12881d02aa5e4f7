// Embedding API: compiled closures written to bytes and read back.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/squirrel/sqTestVm.h"

namespace {

struct Buffer {
    std::vector<char> bytes;
    size_t pos = 0;
};

SQInteger writeBytes(SQUserPointer up, SQUserPointer data, SQInteger size)
{
    Buffer* b = static_cast<Buffer*>(up);
    b->bytes.insert(b->bytes.end(), (char*)data, (char*)data + size);
    return size;
}

SQInteger readBytes(SQUserPointer up, SQUserPointer data, SQInteger size)
{
    Buffer* b = static_cast<Buffer*>(up);
    if (b->pos + (size_t)size > b->bytes.size()) return -1;
    memcpy(data, b->bytes.data() + b->pos, (size_t)size);
    b->pos += (size_t)size;
    return size;
}

const char* program =
    "class Acc { total = 0; function add(v) { total += v; return this; } }\n"
    "function gen(n) { for (local i = 1; i <= n; i++) yield i * 1.5; }\n"
    "local acc = Acc();\n"
    "foreach (v in gen(4)) acc.add(v);\n"
    "local names = [\"a\", \"b\"].map(@(s) s.toupper());\n"
    "result <- acc.total + \" \" + names[1] + \" \" + (true ? null : 1);\n";

struct SqSerialize : SqTestVm {
    Buffer compiled()
    {
        Buffer b;
        EXPECT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, program, (SQInteger)strlen(program), "saved.nut", SQTrue)));
        EXPECT_TRUE(SQ_SUCCEEDED(sq_writeclosure(v, writeBytes, &b)));
        sq_pop(v, 1);
        return b;
    }
};

TEST_F(SqSerialize, AReadClosureRunsLikeTheOriginal)
{
    Buffer b = compiled();
    ASSERT_GT(b.bytes.size(), 100u);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_readclosure(v, readBytes, &b)));
    EXPECT_EQ(b.pos, b.bytes.size());
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue)));
    sq_pop(v, 1);
    pushGlobal("result");
    const SQChar* s;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(v, -1, &s)));
    EXPECT_STREQ(s, "15 B null");
}

TEST_F(SqSerialize, ClosuresWithFreeVariablesAreRefused)
{
    ASSERT_TRUE(run("local x = 1; captured <- function() { return x; };"));
    pushGlobal("captured");
    Buffer b;
    EXPECT_TRUE(SQ_FAILED(sq_writeclosure(v, writeBytes, &b)));
}

TEST_F(SqSerialize, DamagedStreamsAreRejectedWithoutCrashing)
{
    Buffer good = compiled();
    // Cut short anywhere.
    for (size_t len = 0; len < good.bytes.size(); len += 7) {
        Buffer cut;
        cut.bytes.assign(good.bytes.begin(), good.bytes.begin() + (long)len);
        EXPECT_TRUE(SQ_FAILED(sq_readclosure(v, readBytes, &cut))) << len;
    }
    // Every byte changed in turn: the read either fails or gives a closure
    // whose every index was checked.
    int rejected = 0;
    for (size_t i = 0; i < good.bytes.size(); i++) {
        Buffer bad = good;
        bad.bytes[i] = (char)(bad.bytes[i] ^ 0x5A);
        SQInteger top = sq_gettop(v);
        if (SQ_FAILED(sq_readclosure(v, readBytes, &bad))) rejected++;
        sq_settop(v, top);
    }
    EXPECT_GT(rejected, 0);
    EXPECT_EQ(sq_gettop(v), 0);
}

}  // namespace
