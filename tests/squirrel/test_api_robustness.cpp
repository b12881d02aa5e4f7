// Misuse from scripts and hosts: built-ins called on the wrong kind of value,
// runaway nesting, impossible sizes and dropped threads give script errors or
// clean up, never crashes, leaks or silent no-ops.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "tests/squirrel/sqTestVm.h"

namespace {

struct SqRobust : SqTestVm {
    // A global of the root table as text ("null" for a missing one).
    std::string text(const char* name)
    {
        sq_pushroottable(v);
        sq_pushstring(v, name, -1);
        std::string s = "null";
        if (SQ_SUCCEEDED(sq_get(v, -2)) && SQ_SUCCEEDED(sq_tostring(v, -1))) {
            const SQChar* p = nullptr;
            sq_getstring(v, -1, &p);
            s = p;
        }
        sq_settop(v, 0);
        return s;
    }
    void setGlobalFunction(const char* name, SQFUNCTION f)
    {
        sq_pushroottable(v);
        sq_pushstring(v, name, -1);
        sq_newclosure(v, f, 0);
        sq_newslot(v, -3, SQFalse);
        sq_pop(v, 1);
    }
};

// Every default delegate function, called with 'this' of every kind of value
// and a few argument lists: each call returns or raises a script error.
TEST_F(SqRobust, DelegateFunctionsRefuseAForeignThis)
{
    const SQObjectType types[] = {OT_TABLE,     OT_ARRAY,  OT_STRING, OT_INTEGER,  OT_CLOSURE,
                                  OT_GENERATOR, OT_THREAD, OT_CLASS,  OT_INSTANCE, OT_WEAKREF};
    sq_pushroottable(v);
    sq_pushstring(v, "delegates", -1);
    sq_newarray(v, 0);
    for (SQObjectType t : types) {
        ASSERT_TRUE(SQ_SUCCEEDED(sq_getdefaultdelegate(v, t)));
        sq_arrayappend(v, -2);
    }
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(run(R"(
        function gen() { yield 1; }
        class K { x = 1; }
        local samples = [null, 7, 2.5, true, "str", {a = 1}, [1, 2, 3], gen, print, gen(),
                         newthread(gen), K, K(), K().weakref()];
        local argsets = [[], [0], ["a"], [0, 1], [{}], [[]], [0, 1, 2]];
        calls <- 0;
        foreach (d in delegates) {
            foreach (name, f in d) {
                foreach (s in samples) {
                    foreach (args in argsets) {
                        local all = [s];
                        all.extend(args);
                        try { f.pacall(all); } catch (e) {}
                        calls++;
                    }
                }
            }
        }
    )"));
    EXPECT_GT(std::stoi(text("calls")), 3000);
}

TEST_F(SqRobust, ClearOnlyClearsItsOwnType)
{
    ASSERT_TRUE(run(R"(
        local tc = {}.clear, ac = [].clear;
        try { tc.call(5); } catch (e) { t <- e; }
        try { tc.call([1, 2, 3]); } catch (e) { ta <- e; }
        try { ac.call({x = 1}); } catch (e) { a <- e; }
        local kept = [1, 2];
        ac.call(kept);
        len <- kept.len();
    )"));
    EXPECT_EQ(text("t"), "parameter 0 has an invalid type 'integer' ; expected: 'table'");
    EXPECT_EQ(text("ta"), "parameter 0 has an invalid type 'array' ; expected: 'table'");
    EXPECT_EQ(text("a"), "parameter 0 has an invalid type 'table' ; expected: 'array'");
    EXPECT_EQ(text("len"), "0");
}

// The host reads a local of the calling frame many times over: each read is
// pushed while the stack grows under it.
SQInteger readLocalRepeatedly(HSQUIRRELVM v)
{
    for (int i = 0; i < 5000; i++) {
        const SQChar* name = sq_getlocal(v, 1, 1);  // 0 is 'this'
        if (!name || std::string(name) != "kept") return sq_throwerror(v, "local not found");
        const SQChar* s = nullptr;
        if (SQ_FAILED(sq_getstring(v, -1, &s)) || std::string(s) != "value") return sq_throwerror(v, "wrong value");
    }
    sq_pushinteger(v, sq_gettop(v));
    return 1;
}

TEST_F(SqRobust, PushingAStackValueSurvivesTheStackGrowing)
{
    setGlobalFunction("readLocal", readLocalRepeatedly);
    ASSERT_TRUE(run("function f() { local kept = \"value\"; return readLocal(); } top <- f();"));
    EXPECT_EQ(text("top"), "5001");
}

TEST_F(SqRobust, ThreadsNestedWithoutEndAreAScriptError)
{
    ASSERT_TRUE(run(R"(
        function f(n) { return newthread(f).call(n + 1); }
        try { f(0); } catch (e) { msg <- e; }
        function g(n) { local t = newthread(function() { return g(n + 1); }); return t.call(); }
        try { g(0); } catch (e) { msg2 <- e; }
        // nesting within the limit still works, and so do the threads afterwards
        function h(n) { return n == 0 ? 0 : 1 + newthread(h).call(n - 1); }
        depth <- h(20);
    )"));
    EXPECT_EQ(text("msg"), "native stack overflow");
    EXPECT_EQ(text("msg2"), "native stack overflow");
    EXPECT_EQ(text("depth"), "20");
}

TEST_F(SqRobust, DroppingAThreadSuspendedInAGeneratorEndsTheGenerator)
{
    ASSERT_TRUE(run(R"(
        function body() { local got = suspend("inside"); yield got; }
        gen <- body();
        local t = newthread(function() { return resume ::gen; });
        first <- t.call();
        before <- gen.getstatus();
        t = null;
        after <- gen.getstatus();
        try { resume gen; } catch (e) { resumed <- e; }
        // the same when the thread is part of a cycle only the collector frees
        local holder = {};
        function body2() { local keep = holder; yield suspend(1); }
        gen2 <- body2();
        holder.thread <- newthread(function() { return resume ::gen2; });
        holder.thread.call();
        local w = holder.thread.weakref();
        holder = null;
        ::gen2 = null;
        collectgarbage();
        collected <- w.ref() == null;
    )"));
    EXPECT_EQ(text("first"), "inside");
    EXPECT_EQ(text("before"), "running");
    EXPECT_EQ(text("after"), "dead");
    EXPECT_EQ(text("resumed"), "resuming dead generator");
    EXPECT_EQ(text("collected"), "true");
}

TEST_F(SqRobust, ImpossibleSizesAreScriptErrors)
{
    ASSERT_TRUE(run(R"(
        try { array(1 << 61); } catch (e) { made <- e; }
        try { [].resize(1 << 61); } catch (e) { resized <- e; }
        try { [1].resize(0x7fffffffffffffff, 0); } catch (e) { resized2 <- e; }
        ok <- array(3, 0).len() + [].resize(2).len();
    )"));
    EXPECT_EQ(text("made"), "array too big");
    EXPECT_EQ(text("resized"), "array too big");
    EXPECT_EQ(text("resized2"), "array too big");
    EXPECT_EQ(text("ok"), "5");
}

SQInteger throwsBadAlloc(HSQUIRRELVM) { throw std::bad_alloc(); }
SQInteger throwsLengthError(HSQUIRRELVM) { throw std::length_error("vector"); }

TEST_F(SqRobust, AllocationFailuresInNativesAreScriptErrors)
{
    setGlobalFunction("exhaust", throwsBadAlloc);
    setGlobalFunction("overlong", throwsLengthError);
    ASSERT_TRUE(run(R"(
        try { exhaust(); } catch (e) { a <- e; }
        try { overlong(); } catch (e) { b <- e; }
        // the VM keeps working after the failed calls
        try { [1, 2].map(@(x) exhaust()); } catch (e) { c <- e; }
        after <- [1, 2].map(@(x) x * 2).len();
    )"));
    EXPECT_EQ(text("a"), "out of memory");
    EXPECT_EQ(text("b"), "out of memory");
    EXPECT_EQ(text("c"), "out of memory");
    EXPECT_EQ(text("after"), "2");
    EXPECT_EQ(sq_gettop(v), 0);
}

// A host debug hook that runs out of memory when 'boom' is called, and one
// that counts the calls it sees.
SQInteger hookCalls = 0;
void exhaustingHook(HSQUIRRELVM, SQInteger type, const SQChar*, SQInteger, const SQChar* fname)
{
    if (type == 'c' && std::string(fname) == "boom") throw std::bad_alloc();
}
void countingHook(HSQUIRRELVM, SQInteger type, const SQChar*, SQInteger, const SQChar*)
{
    if (type == 'c') hookCalls++;
}

// The failure happens in script code a native called back: the frames and
// nesting counts it skipped are unwound, or the VM would run out of nesting
// (or crash on the stale frames) long before the loop ends.
TEST_F(SqRobust, AllocationFailuresInScriptCodeUnwindToTheNative)
{
    sq_enabledebuginfo(v, SQTrue);
    ASSERT_TRUE(run("function boom() { return 1; }"));
    sq_setnativedebughook(v, exhaustingHook);
    ASSERT_TRUE(run(R"(
        failures <- 0;
        for (local i = 0; i < 300; i++) {
            try { [1].map(@(x) boom()); } catch (e) { if (e == "out of memory") failures++; }
        }
        function h(n) { return n == 0 ? 0 : 1 + newthread(h).call(n - 1); }
        depth <- h(50);
    )"));
    EXPECT_EQ(text("failures"), "300");
    EXPECT_EQ(text("depth"), "50");
    hookCalls = 0;
    sq_setnativedebughook(v, countingHook);
    ASSERT_TRUE(run("boom(); boom();"));
    sq_setnativedebughook(v, nullptr);
    EXPECT_GE(hookCalls, 2);
}

TEST_F(SqRobust, RawsetOnAnInstantiatedClassFails)
{
    ASSERT_TRUE(run(R"(
        class C { x = 1; function f() { return 1; } }
        C.rawset("before", 5);
        local c = C();
        try { C.rawset("y", 2); } catch (e) { msg <- e; }
        has <- C.rawin("y");
        // methods and existing statics may still change, as with <-
        C.rawset("f", function() { return 2; });
        method <- c.f();
        before <- C.before;
    )"));
    EXPECT_EQ(text("msg"), "trying to modify a class that has already been instantiated");
    EXPECT_EQ(text("has"), "false");
    EXPECT_EQ(text("method"), "2");
    EXPECT_EQ(text("before"), "5");
}

TEST_F(SqRobust, SortKeepsWeakReferencesWeak)
{
    ASSERT_TRUE(run(R"(
        local objs = [{v = 3}, {v = 1}, {v = 2}];
        local a = objs.map(@(o) o.weakref());
        a.sort(@(x, y) x.v <=> y.v);
        order <- a.map(@(o) o.v).reduce(@(s, x) s + "," + x);
        a.sort();  // the default order compares the values too
        objs = null;
        collectgarbage();
        gone <- a.filter(@(i, o) o != null).len();
    )"));
    EXPECT_EQ(text("order"), "1,2,3");
    EXPECT_EQ(text("gone"), "0");
}

TEST_F(SqRobust, WakeupthrowCanKeepTheErrorInTheThread)
{
    ASSERT_TRUE(run(R"(
        handled <- 0;
        seterrorhandler(function(e) { ::handled++; });
        local t = newthread(function() { suspend(0); return "finished"; });
        t.call();
        quiet <- t.wakeupthrow("stop", false);
        status <- t.getstatus();
        quietHandled <- handled;
        local u = newthread(function() { suspend(0); });
        u.call();
        try { u.wakeupthrow("loud"); } catch (e) { loud <- e; }
        local w = newthread(function() { suspend(0); });
        w.call();
        try { w.wakeupthrow("explicit", true); } catch (e) { explicit <- e; }
    )"));
    EXPECT_EQ(text("quiet"), "null");
    EXPECT_EQ(text("status"), "idle");
    EXPECT_EQ(text("quietHandled"), "0");
    EXPECT_NE(text("handled"), "0");
    EXPECT_EQ(text("loud"), "loud");
    EXPECT_EQ(text("explicit"), "explicit");
}

}  // namespace
