// Embedding API: compiled closures written to bytes and read back.
#include <gtest/gtest.h>

#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <vector>

#include "platform/squirrel/sqstdmath.h"
#include "platform/squirrel/sqvm.h"
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
    Buffer compiled(const char* source = program)
    {
        Buffer b;
        EXPECT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, source, (SQInteger)strlen(source), "saved.nut", SQTrue)));
        EXPECT_TRUE(SQ_SUCCEEDED(sq_writeclosure(v, writeBytes, &b)));
        sq_pop(v, 1);
        return b;
    }
    // Compiles source, lets edit change the compiled code the way a crafted
    // stream could, and writes it out (the writer checks nothing).
    template <class Edit>
    Buffer crafted(const char* source, Edit edit)
    {
        Buffer b;
        EXPECT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, source, (SQInteger)strlen(source), "crafted.nut", SQTrue)));
        edit(_closure(v->Top())->proto()->_code);
        EXPECT_TRUE(SQ_SUCCEEDED(sq_writeclosure(v, writeBytes, &b)));
        sq_pop(v, 1);
        return b;
    }
};

// Reads and runs each closure in a VM of its own, in child processes, with
// a fifth of a second per closure as its step budget: a damaged closure may
// loop for ever, but must never crash. A closure out of time ends its child
// and the next child carries on after it. Gives the closures that crashed.
std::vector<size_t> crashesAmong(const std::vector<Buffer>& closures)
{
    std::vector<size_t> crashed;
    size_t next = 0;
    while (next < closures.size()) {
        int started[2];
        if (pipe(started) != 0) break;
        fflush(nullptr);
        pid_t pid = fork();
        if (pid == 0) {
            close(started[0]);
            for (size_t i = next; i < closures.size(); i++) {
                if (write(started[1], &i, sizeof i) != sizeof i) _exit(3);
                itimerval budget{{0, 0}, {0, 200000}};
                setitimer(ITIMER_REAL, &budget, nullptr);
                HSQUIRRELVM vm = sq_open(64);
                sq_pushroottable(vm);
                sqstd_register_mathlib(vm);
                Buffer b = closures[i];
                if (SQ_SUCCEEDED(sq_readclosure(vm, readBytes, &b))) {
                    sq_pushroottable(vm);
                    sq_call(vm, 1, SQFalse, SQFalse);
                }
                sq_close(vm);
            }
            itimerval off{};
            setitimer(ITIMER_REAL, &off, nullptr);
            _exit(0);
        }
        close(started[1]);
        size_t last = next, i;
        while (read(started[0], &i, sizeof i) == sizeof i) last = i;
        close(started[0]);
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid) {
            ADD_FAILURE() << "no child process";
            break;
        }
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) break;
        if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGALRM) crashed.push_back(last);
        next = last + 1;
    }
    return crashed;
}

size_t findOp(const std::vector<SQInstruction>& code, SQOpcode op)
{
    for (size_t pc = 0; pc < code.size(); pc++)
        if (code[pc].op == op) return pc;
    ADD_FAILURE() << "no instruction " << (int)op;
    return 0;
}

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
    // that runs to an end, a script error or its step budget.
    int rejected = 0;
    std::vector<Buffer> accepted;
    std::vector<size_t> changedByte;
    for (size_t i = 0; i < good.bytes.size(); i++) {
        Buffer bad = good;
        bad.bytes[i] = (char)(bad.bytes[i] ^ 0x5A);
        SQInteger top = sq_gettop(v);
        if (SQ_FAILED(sq_readclosure(v, readBytes, &bad))) {
            rejected++;
        } else {
            bad.pos = 0;
            accepted.push_back(bad);
            changedByte.push_back(i);
        }
        sq_settop(v, top);
    }
    EXPECT_GT(rejected, 0);
    EXPECT_GT(accepted.size(), 0u);
    EXPECT_EQ(sq_gettop(v), 0);
    for (size_t k : crashesAmong(accepted)) ADD_FAILURE() << "crash with byte " << changedByte[k] << " changed";
}

TEST_F(SqSerialize, AForeachMustBeFollowedByItsGeneratorStep)
{
    // Each step of a foreach skips the instruction after it: as the last
    // but one instruction it would skip the return and run off the code.
    Buffer b = crafted("foreach (x in [1, 2]) {}", [](std::vector<SQInstruction>& code) {
        size_t pc = findOp(code, OP_FOREACH);
        SQInstruction ret = code.back();
        code.resize(pc + 2);
        code[pc].arg = 0;
        code[pc + 1] = ret;
    });
    EXPECT_TRUE(SQ_FAILED(sq_readclosure(v, readBytes, &b)));
    EXPECT_EQ(sq_gettop(v), 0);
}

TEST_F(SqSerialize, ALiteralsSizeHintMustFitItsCode)
{
    // A hint of two thousand million elements would reserve gigabytes
    // before the first element is added.
    for (SQOpcode op : {OP_NEWARRAY, OP_NEWTABLE}) {
        for (SQInteger hint : {(SQInteger)0x7FFFFFFF, (SQInteger)-1}) {
            Buffer b = crafted("made <- [1, 2]; other <- {a = 1};", [&](std::vector<SQInstruction>& code) {
                code[findOp(code, op)].arg = (int32_t)hint;
            });
            EXPECT_TRUE(SQ_FAILED(sq_readclosure(v, readBytes, &b))) << (int)op << " " << hint;
            EXPECT_EQ(sq_gettop(v), 0);
        }
    }
    // The hints the compiler writes still read.
    Buffer b = compiled("made <- [1, 2, 3]; other <- {a = 1, b = [4]};");
    EXPECT_TRUE(SQ_SUCCEEDED(sq_readclosure(v, readBytes, &b)));
}

TEST_F(SqSerialize, AppendingToWhatIsNotAnArrayIsAScriptError)
{
    // [x] made as a table instead: the read cannot tell, the run must.
    Buffer b = crafted("local x = 5; made <- [x];",
                       [](std::vector<SQInstruction>& code) { code[findOp(code, OP_NEWARRAY)].op = OP_NEWTABLE; });
    ASSERT_TRUE(SQ_SUCCEEDED(sq_readclosure(v, readBytes, &b)));
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQFalse)));
    sq_getlasterror(v);
    const SQChar* msg = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getstring(v, -1, &msg)));
    EXPECT_STREQ(msg, "cannot append to a 'table'");
}

}  // namespace
