// Embedding API: the run-time error handler and the debug interface it uses
// (call stack levels, local variables), the debug hook and the collector.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/squirrel/sqTestVm.h"

namespace {

struct Frame {
    std::string func, source;
    SQInteger line;
    std::vector<std::string> locals;  // "name=type"
};
std::vector<Frame> frames;
std::string handledError;

std::string describe(HSQUIRRELVM v)
{
    switch (sq_gettype(v, -1)) {
        case OT_INTEGER: {
            SQInteger i;
            sq_getinteger(v, -1, &i);
            return std::to_string(i);
        }
        case OT_STRING: {
            const SQChar* s;
            sq_getstring(v, -1, &s);
            return std::string("\"") + s + "\"";
        }
        case OT_TABLE:
            return "TABLE";
        case OT_ARRAY:
            return "ARRAY";
        case OT_NULL:
            return "NULL";
        case OT_CLOSURE:
            return "CLOSURE";
        default:
            return "OTHER";
    }
}

// Records what the error handler of a host sees: the error, then every level
// from 1 (the function that failed) with its locals.
SQInteger recordingHandler(HSQUIRRELVM v)
{
    const SQChar* msg = "unknown";
    if (SQ_SUCCEEDED(sq_getstring(v, 2, &msg))) handledError = msg;
    frames.clear();
    SQStackInfos si;
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(v, level, &si)); level++) {
        Frame f{si.funcname, si.source, si.line, {}};
        for (SQUnsignedInteger seq = 0;; seq++) {
            const SQChar* name = sq_getlocal(v, (SQUnsignedInteger)level, seq);
            if (!name) break;
            f.locals.push_back(std::string(name) + "=" + describe(v));
            sq_pop(v, 1);
        }
        frames.push_back(f);
    }
    return 0;
}

struct SqErrors : SqTestVm {
    void SetUp() override
    {
        SqTestVm::SetUp();
        frames.clear();
        handledError.clear();
        sq_newclosure(v, recordingHandler, 0);
        sq_seterrorhandler(v);
    }
};

TEST_F(SqErrors, HandlerSeesEveryLevelWithLinesAndLocals)
{
    EXPECT_FALSE(
        run("function c(n) {\n"
            "  local msg = \"deep\";\n"
            "  return n.missing;\n"
            "}\n"
            "function b(n) { local r = c(n); return r; }\n"
            "function a() { local t = {}; local r = b(t); return r; }\n"
            "a();\n",
            "three.nut"));
    EXPECT_EQ(handledError, "the index 'missing' does not exist");
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].func, "c");
    EXPECT_EQ(frames[0].source, "three.nut");
    EXPECT_EQ(frames[0].line, 3);
    EXPECT_EQ(frames[1].func, "b");
    EXPECT_EQ(frames[1].line, 5);
    EXPECT_EQ(frames[2].func, "a");
    EXPECT_EQ(frames[3].func, "main");
    EXPECT_EQ(frames[3].line, 7);
    std::vector<std::string> expectC = {"this=TABLE", "n=TABLE", "msg=\"deep\""};
    EXPECT_EQ(frames[0].locals, expectC);
    // b's r is declared but not yet assigned when c fails.
    EXPECT_EQ(frames[1].locals.front(), "this=TABLE");
    EXPECT_EQ(frames[2].locals[1], "t=TABLE");
}

TEST_F(SqErrors, CaughtErrorsDoNotReachTheHandler)
{
    EXPECT_TRUE(run("try { local x = {}; x.y; } catch (e) {}"));
    EXPECT_TRUE(handledError.empty());
    EXPECT_TRUE(run("function f() { throw 1; } try { [1].map(@(v) f()); } catch (e) {}"));
    EXPECT_TRUE(handledError.empty());
}

TEST_F(SqErrors, CallsWithoutRaiseErrorSkipTheHandler)
{
    ASSERT_TRUE(run("function boom() { throw \"quiet\"; }"));
    pushGlobal("boom");
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQFalse)));
    EXPECT_TRUE(handledError.empty());
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQTrue)));
    EXPECT_EQ(handledError, "quiet");
}

TEST_F(SqErrors, FreeVariablesAreListedBeforeLocals)
{
    EXPECT_FALSE(run("local captured = 5;\nfunction f() { local own = captured; throw \"x\"; }\nf();"));
    ASSERT_FALSE(frames.empty());
    std::vector<std::string> expected = {"captured=5", "this=TABLE", "own=5"};
    EXPECT_EQ(frames[0].locals, expected);
}

TEST_F(SqErrors, NativeFramesAppearWithoutSource)
{
    EXPECT_FALSE(run("[1].map(function(v) { throw \"in callback\"; });"));
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames[1].func, "map");
    EXPECT_EQ(frames[1].source, "NATIVE");
    EXPECT_EQ(frames[1].line, -1);
    EXPECT_TRUE(frames[1].locals.empty());
}

std::vector<std::string> hookEvents;
void nativeHook(HSQUIRRELVM, SQInteger type, const SQChar*, SQInteger line, const SQChar* func)
{
    hookEvents.push_back(std::string(1, (char)type) + ":" + func + ":" + std::to_string(line));
}

TEST_F(SqErrors, DebugHookSeesCallsReturnsAndLines)
{
    hookEvents.clear();
    sq_enabledebuginfo(v, SQTrue);
    sq_setnativedebughook(v, nativeHook);
    ASSERT_TRUE(run("function f() {\n  return 1;\n}\nf();\n", "hooked.nut"));
    sq_setnativedebughook(v, nullptr);
    auto has = [](const std::string& e) {
        for (const std::string& h : hookEvents)
            if (h == e) return true;
        return false;
    };
    EXPECT_TRUE(has("c:f:2"));
    EXPECT_TRUE(has("l:f:2"));
    EXPECT_TRUE(has("l:main:4"));
    EXPECT_TRUE(has("r:f:2"));
}

using SqCollector = SqTestVm;

TEST_F(SqCollector, CollectGarbageFreesCyclesOnlyWhenUnreachable)
{
    ASSERT_TRUE(run("kept <- {}; kept.self <- kept; local lost = []; lost.append(lost);"));
    EXPECT_EQ(sq_collectgarbage(v), 1);
    EXPECT_EQ(sq_collectgarbage(v), 0);
    ASSERT_TRUE(run("kept = null;"));
    EXPECT_EQ(sq_collectgarbage(v), 1);
}

TEST_F(SqCollector, ValuesHeldOnlyByTheHostSurviveACollection)
{
    sq_newtable(v);
    sq_pushstring(v, "me", -1);
    sq_push(v, -2);
    sq_newslot(v, -3, SQFalse);
    HSQOBJECT held;
    sq_getstackobj(v, -1, &held);
    sq_addref(v, &held);
    sq_pop(v, 1);
    EXPECT_EQ(sq_collectgarbage(v), 0);
    sq_release(v, &held);
    EXPECT_EQ(sq_collectgarbage(v), 1);
}

}  // namespace
