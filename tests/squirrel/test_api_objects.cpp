// Embedding API: closures, classes and members, iteration, delegates,
// comparison and the other object helpers.
#include <gtest/gtest.h>

#include <string>

#include "tests/squirrel/sqTestVm.h"

namespace {

using SqObjects = SqTestVm;

std::string topString(HSQUIRRELVM v)
{
    const SQChar* s = "";
    sq_getstring(v, -1, &s);
    return s;
}

SQInteger topInteger(HSQUIRRELVM v)
{
    SQInteger i = -999;
    sq_getinteger(v, -1, &i);
    return i;
}

TEST_F(SqObjects, ClosureInfoNamesAndFreeVariables)
{
    ASSERT_TRUE(run("local hidden = 4; function named(a, b) { return hidden + a + b; }"));
    pushGlobal("named");
    SQInteger nparams = 0, nfree = 0;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getclosureinfo(v, -1, &nparams, &nfree)));
    EXPECT_EQ(nparams, 3);
    EXPECT_EQ(nfree, 1);
    sq_getclosurename(v, -1);
    EXPECT_EQ(topString(v), "named");
    sq_pop(v, 1);
    const SQChar* name = sq_getfreevariable(v, -1, 0);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "hidden");
    EXPECT_EQ(topInteger(v), 4);
    sq_pop(v, 1);
    EXPECT_EQ(sq_getfreevariable(v, -1, 5), nullptr);
    sq_pushinteger(v, 40);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setfreevariable(v, -2, 0)));
    sq_pushroottable(v);
    sq_pushinteger(v, 1);
    sq_pushinteger(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 3, SQTrue, SQTrue)));
    EXPECT_EQ(topInteger(v), 42);
}

SQInteger nativeWithName(HSQUIRRELVM v)
{
    SQStackInfos si;
    sq_stackinfos(v, 0, &si);
    sq_pushstring(v, si.funcname, -1);
    return 1;
}

TEST_F(SqObjects, NativeClosureNamesShowInStackInfos)
{
    sq_pushroottable(v);
    sq_pushstring(v, "whoami", -1);
    sq_newclosure(v, nativeWithName, 0);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setnativeclosurename(v, -1, "whoami")));
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(run("me <- whoami();"));
    pushGlobal("me");
    EXPECT_EQ(topString(v), "whoami");
}

TEST_F(SqObjects, BindEnvAndClosureRoots)
{
    ASSERT_TRUE(run("function who() { return this.tag; } envtable <- { tag = \"env\" }; other <- { tag = \"root\" };"));
    pushGlobal("who");
    pushGlobal("envtable");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_bindenv(v, -2)));
    sq_pushroottable(v);  // ignored: the bound environment wins
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
    EXPECT_EQ(topString(v), "env");
    sq_settop(v, 0);
    // A closure looks its globals up in its own root table.
    ASSERT_TRUE(run("function rootTag() { return ::tag; }"));
    pushGlobal("rootTag");
    pushGlobal("other");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setclosureroot(v, -2)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getclosureroot(v, -1)));
    sq_pushstring(v, "tag", -1);
    sq_get(v, -2);
    EXPECT_EQ(topString(v), "root");
    sq_pop(v, 2);
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
    EXPECT_EQ(topString(v), "root");
    sq_settop(v, 0);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_setclosureroot(v, -1)));
}

TEST_F(SqObjects, ClassesMembersAttributesAndHandles)
{
    ASSERT_TRUE(
        run("class Shape { sides = 3; static kind = \"polygon\"; function area() { return 0; } }"
            "class Square extends Shape { sides = 4; }"));
    pushGlobal("Square");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getbase(v, -1)));
    pushGlobal("Shape");
    EXPECT_EQ(sq_cmp(v), 0);
    sq_settop(v, 1);
    // members added with attributes, read back by handle on an instance
    sq_pushstring(v, "color", -1);
    sq_pushstring(v, "red", -1);
    sq_newtable(v);
    sq_pushstring(v, "editable", -1);
    sq_pushbool(v, SQTrue);
    sq_newslot(v, -3, SQFalse);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_newmember(v, 1, SQFalse)));
    sq_pushstring(v, "color", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getattributes(v, 1)));
    sq_pushstring(v, "editable", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    EXPECT_EQ(sq_gettype(v, -1), OT_BOOL);
    sq_settop(v, 1);
    sq_pushstring(v, "sides", -1);
    HSQMEMBERHANDLE sides;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getmemberhandle(v, 1, &sides)));
    sq_pushstring(v, "kind", -1);
    HSQMEMBERHANDLE kind;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getmemberhandle(v, 1, &kind)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_createinstance(v, 1)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getbyhandle(v, 2, &sides)));
    EXPECT_EQ(topInteger(v), 4);
    sq_pop(v, 1);
    sq_pushinteger(v, 9);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setbyhandle(v, 2, &sides)));
    sq_pushstring(v, "sides", -1);
    sq_get(v, 2);
    EXPECT_EQ(topInteger(v), 9);
    sq_pop(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getbyhandle(v, 2, &kind)));
    EXPECT_EQ(topString(v), "polygon");
    sq_pop(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getclass(v, 2)));
    EXPECT_EQ(sq_gettype(v, -1), OT_CLASS);
    sq_pop(v, 1);
    // members cannot be added once instances exist
    sq_pushstring(v, "late", -1);
    sq_pushinteger(v, 1);
    sq_pushnull(v);
    EXPECT_TRUE(SQ_FAILED(sq_rawnewmember(v, 1, SQFalse)));
}

TEST_F(SqObjects, TypeofUsesTheMetamethodButGetTypeDoesNot)
{
    ASSERT_TRUE(run("class Custom { function _typeof() { return \"custom\"; } } obj <- Custom();"));
    pushGlobal("obj");
    EXPECT_EQ(sq_gettype(v, -1), OT_INSTANCE);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_typeof(v, -1)));
    EXPECT_EQ(topString(v), "custom");
}

TEST_F(SqObjects, IterationOverTablesClassesAndStrings)
{
    ASSERT_TRUE(run("t <- { a = 1, b = 2, c = 3 };"));
    pushGlobal("t");
    SQInteger sum = 0, count = 0;
    sq_pushnull(v);
    while (SQ_SUCCEEDED(sq_next(v, -2))) {
        sum += topInteger(v);
        count++;
        sq_pop(v, 2);
    }
    sq_pop(v, 1);
    EXPECT_EQ(sum, 6);
    EXPECT_EQ(count, 3);
    sq_pushstring(v, "abc", -1);
    count = 0;
    sq_pushnull(v);
    while (SQ_SUCCEEDED(sq_next(v, -2))) {
        count++;
        sq_pop(v, 2);
    }
    EXPECT_EQ(count, 3);
}

TEST_F(SqObjects, ClonesAndDelegates)
{
    ASSERT_TRUE(run("proto <- { hello = @() \"hi\" }; orig <- { v = 1 }.setdelegate(proto);"));
    pushGlobal("orig");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_clone(v, -1)));
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getdelegate(v, -1)));
    pushGlobal("proto");
    EXPECT_EQ(sq_cmp(v), 0);
    sq_settop(v, 2);
    sq_pushnull(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setdelegate(v, 2)));
    sq_getdelegate(v, 2);
    EXPECT_EQ(sq_gettype(v, -1), OT_NULL);
    sq_pop(v, 1);
    // a delegate loop is refused
    pushGlobal("proto");
    pushGlobal("orig");
    EXPECT_TRUE(SQ_FAILED(sq_setdelegate(v, -2)));
    sq_settop(v, 0);
    sq_pushinteger(v, 5);
    EXPECT_TRUE(SQ_FAILED(sq_clone(v, -1)));
}

TEST_F(SqObjects, CompareAndHash)
{
    sq_pushinteger(v, 1);
    sq_pushfloat(v, 2.5f);
    EXPECT_GT(sq_cmp(v), 0);  // top (2.5) against the one below (1)
    sq_pushstring(v, "same", -1);
    sq_pushstring(v, "same", -1);
    EXPECT_EQ(sq_cmp(v), 0);
    EXPECT_EQ(sq_gethash(v, -1), sq_gethash(v, -2));
}

TEST_F(SqObjects, DefaultDelegatesAreReachable)
{
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getdefaultdelegate(v, OT_ARRAY)));
    sq_pushstring(v, "append", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_rawget(v, -2)));
    EXPECT_EQ(sq_gettype(v, -1), OT_NATIVECLOSURE);
    EXPECT_TRUE(SQ_FAILED(sq_getdefaultdelegate(v, OT_NULL)));
}

TEST_F(SqObjects, RootTableCanBeReplaced)
{
    sq_newtable(v);
    sq_pushstring(v, "answer", -1);
    sq_pushinteger(v, 42);
    sq_newslot(v, -3, SQFalse);
    sq_pushroottable(v);
    HSQOBJECT oldroot;
    sq_getstackobj(v, -1, &oldroot);
    sq_addref(v, &oldroot);
    sq_pop(v, 1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setroottable(v)));
    const char* src = "return answer;";
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, src, 14, "root", SQTrue)));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue)));
    EXPECT_EQ(topInteger(v), 42);
    sq_settop(v, 0);
    sq_pushobject(v, oldroot);
    sq_setroottable(v);
    sq_release(v, &oldroot);
}

SQInteger tailCaller(HSQUIRRELVM v)
{
    sq_pushroottable(v);
    sq_pushstring(v, "double", -1);
    sq_get(v, -2);
    sq_remove(v, -2);
    sq_pushroottable(v);
    sq_push(v, 2);
    return sq_tailcall(v, 2);
}

TEST_F(SqObjects, TailCallFromANativeFunction)
{
    ASSERT_TRUE(run("function double(x) { return x * 2; }"));
    sq_pushroottable(v);
    sq_pushstring(v, "viaTail", -1);
    sq_newclosure(v, tailCaller, 0);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(run("tailed <- viaTail(21);"));
    pushGlobal("tailed");
    EXPECT_EQ(topInteger(v), 42);
}

SQInteger calleeName(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_getcallee(v))) return SQ_ERROR;
    return SQ_SUCCEEDED(sq_getclosurename(v, -1)) ? 1 : SQ_ERROR;
}

TEST_F(SqObjects, ForeignPointersAndCallee)
{
    int mine, shared;
    sq_setforeignptr(v, &mine);
    sq_setsharedforeignptr(v, &shared);
    EXPECT_EQ(sq_getforeignptr(v), &mine);
    EXPECT_EQ(sq_getsharedforeignptr(v), &shared);
    sq_pushroottable(v);
    sq_pushstring(v, "selfname", -1);
    sq_newclosure(v, calleeName, 0);
    sq_setnativeclosurename(v, -1, "selfname");
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    ASSERT_TRUE(run("n <- selfname();"));
    pushGlobal("n");
    EXPECT_EQ(topString(v), "selfname");
}

TEST_F(SqObjects, NotifyAllExceptionsReportsCaughtErrorsToo)
{
    static int notified = 0;
    notified = 0;
    sq_newclosure(
        v,
        [](HSQUIRRELVM) -> SQInteger {
            notified++;
            return 0;
        },
        0);
    sq_seterrorhandler(v);
    ASSERT_TRUE(run("try { throw 1; } catch (e) {}"));
    EXPECT_EQ(notified, 0);
    sq_notifyallexceptions(v, SQTrue);
    ASSERT_TRUE(run("try { throw 1; } catch (e) {}"));
    EXPECT_EQ(notified, 1);
}

TEST_F(SqObjects, CollectorKeepsTheTrackedObjectCountBounded)
{
    // The collector also runs by itself while scripts allocate: cycles made
    // in a long loop do not pile up.
    ASSERT_TRUE(run("for (local i = 0; i < 100000; i++) { local a = {}; a.me <- a; }"));
    SQInteger leftover = sq_collectgarbage(v);
    EXPECT_LT(leftover, 20000);
}

}  // namespace
