// The reloadable VM: files run once whatever their letter case, reloads in
// first-run order when an included file changes, and the error reports.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <string>

#include "script/sqVMReload.h"
#include "script/sqbind.h"
#include "shell/paths.h"
#include "tests/test_util.h"

namespace {

class ReloadableVM : public ::testing::Test {
protected:
    void SetUp() override
    {
        setProgramDirectory((dir.path + "/game").c_str());
        ASSERT_TRUE(vm.create(1024));
    }
    void TearDown() override
    {
        vm.close();
        setProgramDirectory("");
    }
    void write(const char* name, const std::string& text) { writeFileBytes(dir.file(name), text.data(), text.size()); }
    // Moves a file's modification time, as an editor saving it later would.
    void touchLater(const char* name, int seconds)
    {
        struct stat st;
        ASSERT_EQ(stat(dir.file(name).c_str(), &st), 0);
        utimbuf t{st.st_atime, st.st_mtime + seconds};
        ASSERT_EQ(utime(dir.file(name).c_str(), &t), 0);
    }
    std::string global(const char* expr)
    {
        std::string code = "result <- (" + std::string(expr) + ").tostring();";
        sq_compilebuffer(vm.vm(), code.c_str(), (SQInteger)code.size(), "expr", SQTrue);
        sq_pushroottable(vm.vm());
        sq_call(vm.vm(), 1, SQFalse, SQTrue);
        sq_pop(vm.vm(), 1);
        HSQOBJECT r = sqbind::getGlobal(vm.vm(), "result");
        std::string s = sq_objtostring(&r);
        sq_release(vm.vm(), &r);
        return s;
    }
    TempDir dir;
    SqReloadableVM vm;
};

}  // namespace

TEST_F(ReloadableVM, AFileIncludedTwiceInAnotherLetterCaseRunsOnce)
{
    write("count.nut", "runs <- (\"runs\" in getroottable()) ? runs + 1 : 1;");
    EXPECT_TRUE(vm.include("count.nut"));
    EXPECT_TRUE(vm.include("COUNT.NUT"));
    EXPECT_EQ(global("runs"), "1");
    EXPECT_EQ(vm.recordedFiles().num, 1);
    // Scripts include through the same record.
    write("main.nut", "include(\"Count.nut\");");
    EXPECT_TRUE(vm.include("main.nut"));
    EXPECT_EQ(global("runs"), "1");
}

TEST_F(ReloadableVM, ChangingAnIncludedFileReloadsEveryFileInFirstRunOrder)
{
    write("main.nut", "order <- []; include(\"second.nut\"); order.append(\"main\");");
    write("second.nut", "order.append(\"second\");");
    ASSERT_TRUE(vm.include("main.nut"));
    EXPECT_EQ(global("order.reduce(@(a, b) a + \",\" + b)"), "second,main");
    EXPECT_FALSE(vm.needsReload());

    touchLater("second.nut", 10);
    EXPECT_TRUE(vm.needsReload());
    ASSERT_TRUE(vm.reload(true));
    // main reruns first (its include of second does nothing now), then second.
    EXPECT_EQ(global("order.reduce(@(a, b) a + \",\" + b)"), "main,second");
    EXPECT_FALSE(vm.needsReload());

    // Without force only changed files run again.
    touchLater("second.nut", 20);
    ASSERT_TRUE(vm.reloadFiles(false));
    EXPECT_EQ(global("order.reduce(@(a, b) a + \",\" + b)"), "main,second,second");
}

TEST_F(ReloadableVM, AFileFirstIncludedDuringAReloadRunsOnce)
{
    write("main.nut", "runs <- 0;");
    ASSERT_TRUE(vm.include("main.nut"));
    write("added.nut", "runs <- runs + 1;");
    write("main.nut", "runs <- 0; include(\"added.nut\");");
    touchLater("main.nut", 10);
    ASSERT_TRUE(vm.reload(true));
    EXPECT_EQ(global("runs"), "1");
    EXPECT_EQ(vm.recordedFiles().num, 2);
}

TEST_F(ReloadableVM, AFileThatIsGoneOrBrokenFailsTheReload)
{
    write("a.nut", "x <- 1;");
    ASSERT_TRUE(vm.include("a.nut"));
    unlink(dir.file("a.nut").c_str());
    EXPECT_TRUE(vm.needsReload());
    EXPECT_FALSE(vm.reloadFiles(true));
    EXPECT_FALSE(vm.include("never-there.nut"));
}

TEST_F(ReloadableVM, CompileErrorsNameTheFileLineAndColumn)
{
    write("bad.nut", "local a = 1;\nlocal b = ;\n");
    LogCapture log;
    EXPECT_FALSE(vm.include("bad.nut"));
    std::string out = log.stop();
    std::string expected = "bin/" + dir.file("bad.nut") + "(2,";
    EXPECT_NE(out.find(expected), std::string::npos) << out;
    EXPECT_NE(out.find("): error: "), std::string::npos) << out;
    EXPECT_STRNE(sqbind::lastError(vm.vm()), "unknown error");
}

TEST_F(ReloadableVM, ARunTimeErrorThreeCallsDeepPrintsItsCallStackAndLocals)
{
    write("deep.nut",
          "function inner() {\n"
          "  local word = \"two\";\n"
          "  local flag = true;\n"
          "  throw \"deep trouble\";\n"
          "}\n"
          "function outer() {\n"
          "  local x = 1.5;\n"
          "  local n = 7;\n"
          "  inner();\n"
          "}\n"
          "outer();\n");
    LogCapture log;
    EXPECT_FALSE(vm.include("deep.nut"));
    std::string out = log.stop();
    std::string path = dir.file("deep.nut");
    auto count = [&](const std::string& what) {
        int n = 0;
        for (size_t p = out.find(what); p != std::string::npos; p = out.find(what, p + 1)) n++;
        return n;
    };
    EXPECT_EQ(count(": ERROR: "), 1) << out;
    EXPECT_EQ(count("(CALLSTACK)"), 2) << out;
    EXPECT_NE(out.find("\nCALLSTACK\nbin/" + path + "(4): ERROR: deep trouble (in inner())\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("bin/" + path + "(9): function outer() (CALLSTACK)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nLOCALS\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[word] \"two\"\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[flag] true\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[x] 1.5\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[n] 7\n"), std::string::npos) << out;
    EXPECT_LT(out.find("[word]"), out.find("[x]"));  // innermost level first
}

TEST_F(ReloadableVM, ABrokenIncludedFileFailsTheScriptThatIncludesIt)
{
    write("main.nut", "include(\"broken.nut\"); reached <- true;");
    write("broken.nut", "this is not a script");
    LogCapture log;
    EXPECT_FALSE(vm.include("main.nut"));
    log.stop();
    EXPECT_EQ(global("\"reached\" in getroottable()"), "false");
}
