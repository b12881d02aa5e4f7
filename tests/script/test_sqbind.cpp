// The binding layer: natives with typed arguments, constants, globals, the
// registry, and calling script functions from C++.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "script/sqbind.h"
#include "tests/test_util.h"

namespace {

std::string printed;

void capturePrint(HSQUIRRELVM, const SQChar* fmt, ...)
{
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(buf, sizeof(buf), fmt, ap);
    va_end(ap);
    printed += buf;
}

class Binding : public ::testing::Test {
protected:
    void SetUp() override
    {
        v = sq_open(1024);
        sq_setprintfunc(v, capturePrint, capturePrint);
        printed.clear();
    }
    void TearDown() override { sq_close(v); }
    // Runs a script with the root table as `this`; false on any error.
    bool run(const char* code)
    {
        SQInteger top = sq_gettop(v);
        bool ok = SQ_SUCCEEDED(sq_compilebuffer(v, code, (SQInteger)strlen(code), "test", SQTrue));
        if (ok) {
            sq_pushroottable(v);
            ok = SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue));
        }
        sq_settop(v, top);
        return ok;
    }
    HSQUIRRELVM v = nullptr;
};

SQInteger addScaled(SQInteger a, float scale, bool negate, const char* label)
{
    SQInteger r = (SQInteger)((float)a * scale);
    printed += label;
    return negate ? -r : r;
}

std::string lastCall;
void noResult(SQInteger x) { lastCall = "called with " + std::to_string(x); }
float half(float x) { return x * 0.5f; }

}  // namespace

TEST_F(Binding, NativesReadTheirArgumentsByTypeAndPushTheirResult)
{
    sqbind::registerFunction(v, "add_scaled", addScaled);
    sqbind::registerFunction(v, "no_result", noResult);
    sqbind::registerFunction(v, "half", half);
    sqbind::registerConstant(v, "ANSWER", 42);
    ASSERT_TRUE(run("print(add_scaled(3, 2.5, true, \"x\") + \" \" + half(3) + \" \" + half(1.0) + \" \" + ANSWER);"
                    "no_result(7);"));
    EXPECT_EQ(printed, "x-7 1.5 0.5 42");
    EXPECT_EQ(lastCall, "called with 7");
}

TEST_F(Binding, AWrongArgumentTypeIsAScriptErrorTheScriptCanCatch)
{
    sqbind::registerFunction(v, "add_scaled", addScaled);
    ASSERT_TRUE(run("try { add_scaled(\"3\", 1.0, false, \"x\"); } catch (e) { print(e); }"));
    EXPECT_EQ(printed, "sq_get*() failed (type error)");
    printed.clear();
    ASSERT_TRUE(run("try { add_scaled(3, 1.0, 1, \"x\"); } catch (e) { print(e); }"));
    EXPECT_EQ(printed, "sq_get*() failed (type error)");
    // Another number of arguments is refused before the function runs.
    printed.clear();
    EXPECT_FALSE(run("add_scaled(3, 1.0);"));
    EXPECT_EQ(printed, "");
}

TEST_F(Binding, ANativeWithoutAStoredFunctionSaysSo)
{
    sq_pushroottable(v);
    sq_pushstring(v, "bare", -1);
    sq_newclosure(v, &sqbind::detail::thunk<SQInteger>, 0);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(run("try { bare(); } catch (e) { print(e); }")) << printed;
    EXPECT_EQ(printed, "native closure called without a stored function");
}

TEST_F(Binding, GlobalsAndRegistryLookups)
{
    ASSERT_TRUE(run("answer <- 41 + 1;"));
    HSQOBJECT g = sqbind::getGlobal(v, "answer");
    EXPECT_EQ(sq_objtointeger(&g), 42);
    sq_release(v, &g);

    LogCapture log;
    try {
        sqbind::getGlobal(v, "missing");
        ADD_FAILURE() << "no error for a missing global";
    } catch (const sqbind::SquirrelError& e) {
        EXPECT_NE(e.message, nullptr);
    }
    try {
        sqbind::getReg(v, "nothing");
        ADD_FAILURE() << "no error for a missing registry slot";
    } catch (const sqbind::SquirrelError&) {
    }
    std::string out = log.stop();
    EXPECT_NE(out.find("getGlobal 'missing' failed\n"), std::string::npos) << out;
    EXPECT_NE(out.find("getReg 'nothing' failed\n"), std::string::npos) << out;

    int marker = 0;
    sq_pushregistrytable(v);
    sq_pushstring(v, "mine", -1);
    sq_pushuserpointer(v, &marker);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    EXPECT_EQ(sqbind::getReg(v, "mine"), &marker);
}

TEST_F(Binding, FunctionReferencesCallWithTheirEnvironment)
{
    ASSERT_TRUE(
        run("env <- { start = 40, f = function() { return start + 2; }, g = function() { return \"no\"; },"
            "  h = function() { throw \"boom\"; } };"));
    HSQOBJECT env = sqbind::getGlobal(v, "env");
    auto slot = [&](const char* name) {
        sq_pushobject(v, env);
        sq_pushstring(v, name, -1);
        sq_get(v, -2);
        HSQOBJECT o;
        sq_getstackobj(v, -1, &o);
        sq_addref(v, &o);
        sq_pop(v, 2);
        return o;
    };
    HSQOBJECT f = slot("f"), g = slot("g"), h = slot("h");

    sqbind::SqFunc fn;
    fn.bind(v, env, f);
    EXPECT_EQ(fn.callInt(), 42);
    EXPECT_EQ(sq_gettop(v), 0);  // the stack is left as it was

    sqbind::SqFunc notInt;
    notInt.bind(v, env, g);
    try {
        notInt.callInt();
        ADD_FAILURE();
    } catch (const sqbind::SquirrelError& e) {
        EXPECT_STREQ(e.message, "sq_get*() failed (type error)");
    }
    sqbind::SqFunc throws;
    throws.bind(v, env, h);
    try {
        throws.callInt();
        ADD_FAILURE();
    } catch (const sqbind::SquirrelError& e) {
        EXPECT_STREQ(e.message, "SqFunc<> call failed");
    }
    EXPECT_EQ(sq_gettop(v), 0);

    // A weakly held environment that has gone away.
    ASSERT_TRUE(run("tmp <- {};"));
    HSQOBJECT tmp = sqbind::getGlobal(v, "tmp");
    sq_pushobject(v, tmp);
    sq_weakref(v, -1);
    HSQOBJECT weak;
    sq_getstackobj(v, -1, &weak);
    sqbind::SqFunc dead;
    dead.bind(v, weak, f);
    sq_pop(v, 2);
    sq_release(v, &tmp);
    ASSERT_TRUE(run("delete tmp;"));
    try {
        dead.callInt();
        ADD_FAILURE();
    } catch (const sqbind::SquirrelError& e) {
        EXPECT_STREQ(e.message, "SqFunc: can't deref weakptr to object");
    }
    fn.release();
    EXPECT_FALSE(fn.bound());
    for (HSQOBJECT* o : {&env, &f, &g, &h}) sq_release(v, o);
}
