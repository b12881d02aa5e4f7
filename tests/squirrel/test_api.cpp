// Embedding API: VM set-up, the stack, reading values with type errors,
// slots, references and compilation.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>

#include "platform/squirrel/sqstdmath.h"
#include "tests/squirrel/sqTestVm.h"

std::string SqTestVm::out;
std::string SqTestVm::err;
std::string SqTestVm::compileError;
SQInteger SqTestVm::compileLine = 0;
SQInteger SqTestVm::compileColumn = 0;

namespace {
void appendf(std::string& s, const SQChar* fmt, va_list args)
{
    char buf[1024];
    vsnprintf(buf, sizeof buf, fmt, args);
    s += buf;
}
void printOut(HSQUIRRELVM, const SQChar* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    appendf(SqTestVm::out, fmt, args);
    va_end(args);
}
void printErr(HSQUIRRELVM, const SQChar* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    appendf(SqTestVm::err, fmt, args);
    va_end(args);
}
void onCompileError(HSQUIRRELVM, const SQChar* desc, const SQChar*, SQInteger line, SQInteger column)
{
    SqTestVm::compileError = desc;
    SqTestVm::compileLine = line;
    SqTestVm::compileColumn = column;
}
}  // namespace

void SqTestVm::SetUp()
{
    out.clear();
    err.clear();
    compileError.clear();
    v = sq_open(1024);
    sq_setprintfunc(v, printOut, printErr);
    sq_setcompilererrorhandler(v, onCompileError);
    sq_pushroottable(v);
    sqstd_register_mathlib(v);
    sq_pop(v, 1);
}

void SqTestVm::TearDown() { sq_close(v); }

bool SqTestVm::run(const std::string& script, const char* name)
{
    SQInteger top = sq_gettop(v);
    if (SQ_FAILED(sq_compilebuffer(v, script.data(), (SQInteger)script.size(), name, SQTrue))) return false;
    sq_pushroottable(v);
    bool ok = SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue));
    sq_settop(v, top);
    return ok;
}

void SqTestVm::pushGlobal(const char* name)
{
    sq_pushroottable(v);
    sq_pushstring(v, name, -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2))) << name;
    sq_remove(v, -2);
}

namespace {

using SqStack = SqTestVm;

TEST_F(SqStack, PushPopAndIndexesFromBothEnds)
{
    EXPECT_EQ(sq_gettop(v), 0);
    sq_pushinteger(v, 1);
    sq_pushfloat(v, 2.5f);
    sq_pushstring(v, "three", -1);
    sq_pushbool(v, SQTrue);
    sq_pushnull(v);
    EXPECT_EQ(sq_gettop(v), 5);
    EXPECT_EQ(sq_gettype(v, 1), OT_INTEGER);
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    EXPECT_EQ(sq_gettype(v, -3), OT_STRING);
    sq_remove(v, 2);
    EXPECT_EQ(sq_gettype(v, 2), OT_STRING);
    sq_push(v, 1);
    EXPECT_EQ(sq_gettop(v), 5);
    EXPECT_EQ(sq_gettype(v, -1), OT_INTEGER);
    sq_settop(v, 7);
    EXPECT_EQ(sq_gettype(v, 7), OT_NULL);
    sq_settop(v, 1);
    EXPECT_EQ(sq_gettop(v), 1);
    sq_poptop(v);
    EXPECT_EQ(sq_gettop(v), 0);
    // Reading past the stack gives null, never a crash.
    EXPECT_EQ(sq_gettype(v, 3), OT_NULL);
    EXPECT_EQ(sq_gettype(v, -2), OT_NULL);
}

TEST_F(SqStack, GettersAcceptTheirTypeAndFailOnOthers)
{
    sq_pushinteger(v, 42);
    sq_pushfloat(v, 1.5f);
    sq_pushstring(v, "text", -1);
    sq_pushbool(v, SQTrue);
    int marker;
    sq_pushuserpointer(v, &marker);
    SQInteger i = 0;
    SQFloat f = 0;
    const SQChar* s = nullptr;
    SQBool b = SQFalse;
    SQUserPointer p = nullptr;
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, 1, &i)));
    EXPECT_EQ(i, 42);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getfloat(v, 2, &f)));
    EXPECT_FLOAT_EQ(f, 1.5f);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getstring(v, 3, &s)));
    EXPECT_STREQ(s, "text");
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getbool(v, 4, &b)));
    EXPECT_EQ(b, SQTrue);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getuserpointer(v, 5, &p)));
    EXPECT_EQ(p, &marker);
    // Numbers convert between integer and float; nothing else does.
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, 2, &i)));
    EXPECT_EQ(i, 1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getfloat(v, 1, &f)));
    EXPECT_FLOAT_EQ(f, 42.0f);
    EXPECT_TRUE(SQ_FAILED(sq_getinteger(v, 3, &i)));
    EXPECT_TRUE(SQ_FAILED(sq_getinteger(v, 4, &i)));
    EXPECT_TRUE(SQ_FAILED(sq_getfloat(v, 3, &f)));
    EXPECT_TRUE(SQ_FAILED(sq_getstring(v, 1, &s)));
    EXPECT_TRUE(SQ_FAILED(sq_getbool(v, 1, &b)));
    EXPECT_TRUE(SQ_FAILED(sq_getuserpointer(v, 3, &p)));
    EXPECT_TRUE(SQ_FAILED(sq_getstring(v, 99, &s)));
    SQInteger size = 0;
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getstringandsize(v, 3, &s, &size)));
    EXPECT_EQ(size, 4);
}

TEST_F(SqStack, ToStringAndToBoolFollowTheLanguage)
{
    sq_pushfloat(v, 0.5f);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_tostring(v, -1)));
    const SQChar* s;
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "0.5");
    SQBool b;
    sq_pushinteger(v, 0);
    sq_tobool(v, -1, &b);
    EXPECT_EQ(b, SQFalse);
    sq_pushstring(v, "", 0);
    sq_tobool(v, -1, &b);
    EXPECT_EQ(b, SQTrue);
    sq_pushstring(v, "a\0b", 3);
    EXPECT_EQ(sq_getsize(v, -1), 3);
}

using SqSlots = SqTestVm;

TEST_F(SqSlots, NewSlotGetSetAndDeleteOnTables)
{
    sq_newtable(v);
    sq_pushstring(v, "key", -1);
    sq_pushinteger(v, 7);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    EXPECT_EQ(sq_gettop(v), 1);
    sq_pushstring(v, "key", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    SQInteger i;
    sq_getinteger(v, -1, &i);
    EXPECT_EQ(i, 7);
    sq_pop(v, 1);
    // Setting a missing slot fails and leaves the stack balanced.
    sq_pushstring(v, "missing", -1);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_set(v, -3)));
    EXPECT_EQ(sq_gettop(v), 1);
    sq_getlasterror(v);
    const SQChar* msg;
    sq_getstring(v, -1, &msg);
    EXPECT_STREQ(msg, "the index 'missing' does not exist");
    sq_pop(v, 1);
    sq_pushstring(v, "missing", -1);
    EXPECT_TRUE(SQ_FAILED(sq_get(v, -2)));
    EXPECT_EQ(sq_gettop(v), 1);
    sq_pushstring(v, "key", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_deleteslot(v, -2, SQTrue)));
    sq_getinteger(v, -1, &i);
    EXPECT_EQ(i, 7);
    sq_pop(v, 1);
    EXPECT_EQ(sq_getsize(v, -1), 0);
}

TEST_F(SqSlots, RawAccessIgnoresDelegates)
{
    ASSERT_TRUE(run("proto <- { inherited = 1 }; obj <- { own = 2 }.setdelegate(proto);"));
    pushGlobal("obj");
    sq_pushstring(v, "inherited", -1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    sq_pop(v, 1);
    sq_pushstring(v, "inherited", -1);
    EXPECT_TRUE(SQ_FAILED(sq_rawget(v, -2)));
    sq_pushstring(v, "fresh", -1);
    sq_pushinteger(v, 3);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_rawset(v, -3)));
    sq_pushstring(v, "fresh", -1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_rawget(v, -2)));
    EXPECT_EQ(sq_gettype(v, -1), OT_INTEGER);
}

TEST_F(SqSlots, ArraysAndIteration)
{
    sq_newarray(v, 0);
    for (int i = 1; i <= 3; i++) {
        sq_pushinteger(v, i * 10);
        sq_arrayappend(v, -2);
    }
    sq_pushinteger(v, 5);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arrayinsert(v, -2, 0)));
    EXPECT_TRUE(SQ_FAILED(sq_arrayinsert(v, -1, 99)));
    EXPECT_EQ(sq_getsize(v, -1), 4);
    SQInteger sum = 0, count = 0;
    sq_pushnull(v);
    while (SQ_SUCCEEDED(sq_next(v, -2))) {
        SQInteger val;
        sq_getinteger(v, -1, &val);
        sum += val;
        count++;
        sq_pop(v, 2);
    }
    sq_pop(v, 1);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(sum, 65);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_arraypop(v, -1, SQTrue)));
    SQInteger last;
    sq_getinteger(v, -1, &last);
    EXPECT_EQ(last, 30);
    sq_pop(v, 1);
    sq_arrayreverse(v, -1);
    sq_pushinteger(v, 0);
    sq_get(v, -2);
    SQInteger first;
    sq_getinteger(v, -1, &first);
    EXPECT_EQ(first, 20);
    sq_pop(v, 1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_arrayremove(v, -1, 0)));
    EXPECT_TRUE(SQ_FAILED(sq_arrayremove(v, -1, 7)));
    EXPECT_TRUE(SQ_SUCCEEDED(sq_arrayresize(v, -1, 10)));
    EXPECT_EQ(sq_getsize(v, -1), 10);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_clear(v, -1)));
    EXPECT_EQ(sq_getsize(v, -1), 0);
    EXPECT_TRUE(SQ_FAILED(sq_arraypop(v, -1, SQFalse)));
}

TEST_F(SqSlots, RegistryAndConstTablesAreSeparateTables)
{
    int owner;
    sq_pushregistrytable(v);
    sq_pushstring(v, "Owner", -1);
    sq_pushuserpointer(v, &owner);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    sq_pop(v, 1);
    // Scripts cannot see the registry.
    ASSERT_TRUE(run("seen <- (\"Owner\" in getroottable());"));
    pushGlobal("seen");
    SQBool seen;
    sq_getbool(v, -1, &seen);
    EXPECT_EQ(seen, SQFalse);
    sq_pop(v, 1);
    sq_pushregistrytable(v);
    sq_pushstring(v, "Owner", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    SQUserPointer p;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getuserpointer(v, -1, &p)));
    EXPECT_EQ(p, &owner);
    sq_pop(v, 2);
    sq_pushconsttable(v);
    sq_pushstring(v, "FROM_HOST", -1);
    sq_pushinteger(v, 12);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(run("result <- FROM_HOST * 2;"));
    pushGlobal("result");
    SQInteger r;
    sq_getinteger(v, -1, &r);
    EXPECT_EQ(r, 24);
}

using SqReferences = SqTestVm;

TEST_F(SqReferences, AddRefKeepsAValueAliveUntilReleased)
{
    HSQOBJECT obj;
    sq_resetobject(&obj);
    ASSERT_TRUE(run("made <- { name = \"kept\" };"));
    pushGlobal("made");
    sq_getstackobj(v, -1, &obj);
    sq_addref(v, &obj);
    sq_addref(v, &obj);
    sq_pop(v, 1);
    ASSERT_TRUE(run("made = null;"));
    EXPECT_EQ(sq_getrefcount(v, &obj), 2u);
    EXPECT_EQ(sq_release(v, &obj), SQFalse);
    sq_pushobject(v, obj);
    sq_pushstring(v, "name", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    const SQChar* s;
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "kept");
    sq_pop(v, 2);
    EXPECT_EQ(sq_release(v, &obj), SQTrue);
    EXPECT_EQ(sq_type(obj), OT_NULL);
}

TEST_F(SqReferences, WeakReferencesGoNullWhenTheValueDies)
{
    ASSERT_TRUE(run("target <- [1, 2];"));
    pushGlobal("target");
    sq_weakref(v, -1);
    HSQOBJECT weak;
    sq_getstackobj(v, -1, &weak);
    sq_addref(v, &weak);
    sq_pop(v, 2);
    sq_pushobject(v, weak);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getweakrefval(v, -1)));
    EXPECT_EQ(sq_gettype(v, -1), OT_ARRAY);
    sq_pop(v, 2);
    ASSERT_TRUE(run("target = null;"));
    sq_pushobject(v, weak);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getweakrefval(v, -1)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 2);
    sq_release(v, &weak);
    // Scalars are their own weak reference.
    sq_pushinteger(v, 5);
    sq_weakref(v, -1);
    EXPECT_EQ(sq_gettype(v, -1), OT_INTEGER);
}

TEST_F(SqReferences, ObjectHandleConversions)
{
    sq_pushinteger(v, 9);
    sq_pushfloat(v, 2.5f);
    sq_pushstring(v, "s", -1);
    HSQOBJECT i, f, s;
    sq_getstackobj(v, 1, &i);
    sq_getstackobj(v, 2, &f);
    sq_getstackobj(v, 3, &s);
    EXPECT_EQ(sq_objtointeger(&i), 9);
    EXPECT_EQ(sq_objtointeger(&f), 2);
    EXPECT_FLOAT_EQ(sq_objtofloat(&i), 9.0f);
    EXPECT_STREQ(sq_objtostring(&s), "s");
    EXPECT_EQ(sq_objtostring(&i), nullptr);
    EXPECT_EQ(sq_objtointeger(&s), 0);
}

using SqCompile = SqTestVm;

TEST_F(SqCompile, CompileErrorsGiveLineAndColumnToTheHandler)
{
    EXPECT_FALSE(run("local a = 1;\nlocal b = a +;\n", "broken.nut"));
    EXPECT_EQ(compileError, "expression expected");
    EXPECT_EQ(compileLine, 2);
    EXPECT_EQ(compileColumn, 14);
    sq_getlasterror(v);
    const SQChar* msg;
    sq_getstring(v, -1, &msg);
    EXPECT_STREQ(msg, "expression expected");
    sq_pop(v, 1);
    // Without raiseerror the handler is not called.
    compileError.clear();
    const char* bad = "function (";
    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(v, bad, (SQInteger)strlen(bad), "quiet", SQFalse)));
    EXPECT_TRUE(compileError.empty());
    EXPECT_EQ(sq_gettop(v), 0);
}

TEST_F(SqCompile, CompileFromAReadFunction)
{
    struct Source {
        const char* text;
        size_t pos;
    } src{"answer <- 6 * 7;", 0};
    auto read = [](SQUserPointer p) -> SQInteger {
        Source* s = static_cast<Source*>(p);
        return s->text[s->pos] ? s->text[s->pos++] : 0;
    };
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compile(v, read, &src, "reader", SQTrue)));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue)));
    sq_pop(v, 1);
    pushGlobal("answer");
    SQInteger a;
    sq_getinteger(v, -1, &a);
    EXPECT_EQ(a, 42);
}

TEST_F(SqCompile, PrintGoesToThePrintFunction)
{
    ASSERT_TRUE(run("print(\"out \" + PI); error(\"err\");"));
    EXPECT_EQ(out, "out 3.14159");
    EXPECT_EQ(err, "err");
}

}  // namespace
