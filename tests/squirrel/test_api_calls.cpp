// Embedding API: native closures, calls in both directions, errors,
// classes with host data, threads and generators.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/squirrel/sqTestVm.h"

namespace {

using SqNative = SqTestVm;

// A native whose free variable is the address of the C++ function to run,
// as a binding layer registers its functions.
typedef SQInteger (*Handler)(SQInteger);
SQInteger thunk(HSQUIRRELVM v)
{
    SQInteger top = sq_gettop(v);
    SQUserPointer fn = nullptr;
    if (SQ_FAILED(sq_getuserpointer(v, top, &fn)) || !fn) return sq_throwerror(v, "no function stored");
    SQInteger arg;
    if (SQ_FAILED(sq_getinteger(v, 2, &arg))) return sq_throwerror(v, "sq_get*() failed (type error)");
    sq_pushinteger(v, reinterpret_cast<Handler>(fn)(arg));
    return 1;
}
SQInteger triple(SQInteger x) { return x * 3; }

void registerNative(HSQUIRRELVM v, const char* name, Handler fn)
{
    sq_pushroottable(v);
    sq_pushstring(v, name, -1);
    sq_pushuserpointer(v, reinterpret_cast<SQUserPointer>(fn));
    sq_newclosure(v, thunk, 1);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
}

TEST_F(SqNative, FreeVariablesFollowTheParameters)
{
    registerNative(v, "triple", triple);
    ASSERT_TRUE(run("r <- triple(14);"));
    pushGlobal("r");
    SQInteger r;
    sq_getinteger(v, -1, &r);
    EXPECT_EQ(r, 42);
}

TEST_F(SqNative, TypeErrorsBecomeScriptErrors)
{
    registerNative(v, "triple", triple);
    ASSERT_TRUE(run("try { triple(\"x\"); } catch (e) { msg <- e; }"));
    pushGlobal("msg");
    const SQChar* s;
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "sq_get*() failed (type error)");
    sq_pop(v, 1);
    registerNative(v, "nothing", nullptr);
    ASSERT_TRUE(run("try { nothing(1); } catch (e) { msg2 <- e; }"));
    pushGlobal("msg2");
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "no function stored");
}

SQInteger countArgs(HSQUIRRELVM v)
{
    sq_pushinteger(v, sq_gettop(v));
    return 1;
}

TEST_F(SqNative, ParameterChecksRejectWrongCallsBeforeTheFunctionRuns)
{
    sq_pushroottable(v);
    sq_pushstring(v, "checked", -1);
    sq_newclosure(v, countArgs, 0);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setparamscheck(v, 3, ".is")));
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "atleast", -1);
    sq_newclosure(v, countArgs, 0);
    sq_setparamscheck(v, -2, nullptr);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(run("a <- checked(1, \"s\"); b <- atleast(1, 2, 3);"));
    pushGlobal("a");
    SQInteger a;
    sq_getinteger(v, -1, &a);
    EXPECT_EQ(a, 3);
    EXPECT_FALSE(run("checked(1);"));
    EXPECT_FALSE(run("checked(\"s\", 1);"));
    EXPECT_FALSE(run("atleast();"));
}

TEST_F(SqNative, CallAScriptFunctionWithAnEnvironment)
{
    ASSERT_TRUE(run("events <- { ping = function() { return offset + 1; }, offset = 41 };"));
    pushGlobal("events");
    HSQOBJECT env, fn;
    sq_getstackobj(v, -1, &env);
    sq_addref(v, &env);
    sq_pushstring(v, "ping", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    sq_getstackobj(v, -1, &fn);
    sq_addref(v, &fn);
    sq_settop(v, 0);
    for (int i = 0; i < 3; i++) {
        sq_pushobject(v, fn);
        sq_pushobject(v, env);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
        SQInteger r;
        ASSERT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -1, &r)));
        EXPECT_EQ(r, 42);
        sq_pop(v, 2);
    }
    EXPECT_EQ(sq_gettop(v), 0);
    sq_release(v, &fn);
    sq_release(v, &env);
}

TEST_F(SqNative, FailedCallsLeaveTheStackBalancedAndTheErrorReadable)
{
    ASSERT_TRUE(run("function fail(x) { throw \"failed with \" + x; }"));
    pushGlobal("fail");
    sq_pushroottable(v);
    sq_pushinteger(v, 5);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 2, SQTrue, SQFalse)));
    EXPECT_EQ(sq_gettop(v), 1);
    sq_getlasterror(v);
    const SQChar* s;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(v, -1, &s)));
    EXPECT_STREQ(s, "failed with 5");
    sq_reseterror(v);
    sq_getlasterror(v);
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
}

SQInteger throwTable(HSQUIRRELVM v)
{
    sq_newtable(v);
    sq_pushstring(v, "code", -1);
    sq_pushinteger(v, 77);
    sq_newslot(v, -3, SQFalse);
    return sq_throwobject(v);
}

TEST_F(SqNative, NativesCanThrowAnyValue)
{
    sq_pushroottable(v);
    sq_pushstring(v, "thrower", -1);
    sq_newclosure(v, throwTable, 0);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(run("try { thrower(); } catch (e) { code <- e.code; }"));
    pushGlobal("code");
    SQInteger c;
    sq_getinteger(v, -1, &c);
    EXPECT_EQ(c, 77);
}

// --- classes with host data ----------------------------------------------------------

int releasedValue = 0;
SQInteger releaseHook(SQUserPointer p, SQInteger)
{
    releasedValue = *static_cast<int*>(p);
    delete static_cast<int*>(p);
    return 1;
}
SQInteger counterCtor(HSQUIRRELVM v)
{
    SQInteger start = 0;
    sq_getinteger(v, 2, &start);
    sq_setinstanceup(v, 1, new int((int)start));
    sq_setreleasehook(v, 1, releaseHook);
    return 0;
}
int counterTag;
SQInteger counterNext(HSQUIRRELVM v)
{
    SQUserPointer p;
    if (SQ_FAILED(sq_getinstanceup(v, 1, &p, &counterTag))) return SQ_ERROR;
    sq_pushinteger(v, ++*static_cast<int*>(p));
    return 1;
}

TEST_F(SqNative, ClassesCarryHostPointersAndReleaseThem)
{
    sq_pushroottable(v);
    sq_pushstring(v, "Counter", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newclass(v, SQFalse)));
    sq_settypetag(v, -1, &counterTag);
    sq_pushstring(v, "constructor", -1);
    sq_newclosure(v, counterCtor, 0);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "next", -1);
    sq_newclosure(v, counterNext, 0);
    sq_newslot(v, -3, SQFalse);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    releasedValue = 0;
    ASSERT_TRUE(run("local c = Counter(10); c.next(); last <- c.next(); c = null;"));
    EXPECT_EQ(releasedValue, 12);
    pushGlobal("last");
    SQInteger last;
    sq_getinteger(v, -1, &last);
    EXPECT_EQ(last, 12);
    // An instance of another class fails the type tag check.
    ASSERT_TRUE(run("class Other {} o <- Other(); try { Counter.next.call(o); } catch (e) { tagerror <- e; }"));
    pushGlobal("tagerror");
    const SQChar* s;
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "invalid type tag");
}

TEST_F(SqNative, ClassUserDataSizeReservesMemoryPerInstance)
{
    sq_newclass(v, SQFalse);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setclassudsize(v, -1, 64)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_createinstance(v, -1)));
    SQUserPointer p = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &p, nullptr)));
    ASSERT_NE(p, nullptr);
    memset(p, 0xAB, 64);
    EXPECT_EQ(sq_getsize(v, -1), 64);
    EXPECT_TRUE(SQ_FAILED(sq_setclassudsize(v, -2, 8)));
}

TEST_F(SqNative, UserDataWithADelegateAndReleaseHook)
{
    auto* block = static_cast<int*>(sq_newuserdata(v, sizeof(int)));
    *block = 5;
    sq_setreleasehook(v, -1, [](SQUserPointer p, SQInteger size) -> SQInteger {
        releasedValue = *static_cast<int*>(p) + (int)size;
        return 1;
    });
    ASSERT_TRUE(run("ud_delegate <- { _get = function(k) { return k + \"!\"; } };"));
    pushGlobal("ud_delegate");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setdelegate(v, -2)));
    sq_pushstring(v, "hello", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    const SQChar* s;
    sq_getstring(v, -1, &s);
    EXPECT_STREQ(s, "hello!");
    releasedValue = 0;
    sq_settop(v, 0);
    EXPECT_EQ(releasedValue, 5 + (int)sizeof(int));
}

// --- threads and generators ------------------------------------------------------------

TEST_F(SqNative, ThreadsSuspendAndWakeUpFromTheHost)
{
    ASSERT_TRUE(run("function worker(a) { local b = suspend(a * 2); return a + b; }"));
    HSQUIRRELVM thread = sq_newthread(v, 256);
    ASSERT_EQ(sq_gettype(v, -1), OT_THREAD);
    pushGlobal("worker");
    sq_move(thread, v, -1);
    sq_pop(v, 1);
    sq_pushroottable(thread);
    sq_pushinteger(thread, 20);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(thread, 2, SQTrue, SQTrue)));
    EXPECT_EQ(sq_getvmstate(thread), SQ_VMSTATE_SUSPENDED);
    SQInteger yielded;
    sq_getinteger(thread, -1, &yielded);
    EXPECT_EQ(yielded, 40);
    sq_pop(thread, 1);
    sq_pushinteger(thread, 22);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_wakeupvm(thread, SQTrue, SQTrue, SQTrue, SQFalse)));
    SQInteger result;
    sq_getinteger(thread, -1, &result);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(sq_getvmstate(thread), SQ_VMSTATE_IDLE);
}

TEST_F(SqNative, GeneratorsResumeFromTheHost)
{
    ASSERT_TRUE(run("function gen() { yield 1; yield 2; } g <- gen();"));
    pushGlobal("g");
    SQInteger total = 0;
    for (int i = 0; i < 2; i++) {
        ASSERT_TRUE(SQ_SUCCEEDED(sq_resume(v, SQTrue, SQTrue)));
        SQInteger x;
        sq_getinteger(v, -1, &x);
        total += x;
        sq_pop(v, 1);
    }
    EXPECT_EQ(total, 3);
}

TEST_F(SqNative, CallingAClassMakesAnInstance)
{
    ASSERT_TRUE(run("class Pair { a = 0; b = 0; constructor(x, y) { a = x; b = y; } }"));
    pushGlobal("Pair");
    sq_pushnull(v);  // becomes the instance
    sq_pushinteger(v, 3);
    sq_pushinteger(v, 4);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 3, SQTrue, SQTrue)));
    ASSERT_EQ(sq_gettype(v, -1), OT_INSTANCE);
    sq_pushstring(v, "b", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    SQInteger b;
    sq_getinteger(v, -1, &b);
    EXPECT_EQ(b, 4);
    sq_settop(v, 0);
    pushGlobal("Pair");
    pushGlobal("Pair");
    sq_createinstance(v, -1);
    EXPECT_TRUE(sq_instanceof(v));
}

}  // namespace
