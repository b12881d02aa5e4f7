// Feeds arbitrary bytes to the script compiler and the compiled closure
// reader. An input that starts like a compiled closure ("SQIR") goes to the
// reader, and what it accepts is run in a child process under a step budget
// (a timer): a damaged closure may loop for ever, but must never crash. Any
// other input is compiled; what compiles is written as a compiled closure
// and read back, and not run. With SKY_FUZZ_CLOSURE_SEEDS set to a folder,
// the closures written go there, as seeds for the reader.
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/squirrel/squirrel.h"

namespace {
struct Bytes {
    std::vector<char> data;
    size_t pos = 0;
};
SQInteger writeBytes(SQUserPointer up, SQUserPointer p, SQInteger n)
{
    Bytes* b = static_cast<Bytes*>(up);
    b->data.insert(b->data.end(), (char*)p, (char*)p + n);
    return n;
}
SQInteger readBytes(SQUserPointer up, SQUserPointer p, SQInteger n)
{
    Bytes* b = static_cast<Bytes*>(up);
    if (b->pos + (size_t)n > b->data.size()) return -1;
    memcpy(p, b->data.data() + b->pos, (size_t)n);
    b->pos += (size_t)n;
    return n;
}

void saveSeed(const Bytes& b)
{
    const char* dir = getenv("SKY_FUZZ_CLOSURE_SEEDS");
    if (!dir) return;
    std::string name = std::string(dir) + "/closure-" +
                       std::to_string(std::hash<std::string>()(std::string(b.data.begin(), b.data.end())));
    if (FILE* f = fopen(name.c_str(), "wb")) {
        fwrite(b.data.data(), 1, b.data.size(), f);
        fclose(f);
    }
}

// Runs the closure on top of the stack, then closes the VM, in a child
// process with a tenth of a second to do it. A crash there (a sanitizer
// report exits with an error) aborts here, so the input is kept.
void runIsolated(HSQUIRRELVM v)
{
    fflush(nullptr);
    pid_t pid = fork();
    if (pid < 0) return;
    if (pid == 0) {
        // The fuzzer's own alarm handler only reports units over its long
        // timeout; the child's budget must end it.
        signal(SIGALRM, SIG_DFL);
        itimerval budget{{0, 0}, {0, 100000}};
        setitimer(ITIMER_REAL, &budget, nullptr);
        sq_pushroottable(v);
        sq_call(v, 1, SQFalse, SQFalse);
        sq_close(v);
        _exit(0);
    }
    // The fuzzer's timeout alarm interrupts the wait: wait again, or the
    // child would be left running.
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited != pid) return;
    bool finished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    bool outOfTime = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
    if (!finished && !outOfTime) abort();
}

void readClosure(HSQUIRRELVM v, const uint8_t* data, size_t size)
{
    Bytes b;
    b.data.assign((const char*)data, (const char*)data + size);
    if (SQ_SUCCEEDED(sq_readclosure(v, readBytes, &b)))
        runIsolated(v);
    else if (sq_gettop(v) != 0)
        abort();  // a refused closure pushes nothing
}

void compileScript(HSQUIRRELVM v, const uint8_t* data, size_t size)
{
    if (SQ_SUCCEEDED(sq_compilebuffer(v, (const SQChar*)data, (SQInteger)size, "fuzz", SQFalse))) {
        Bytes b;
        if (SQ_SUCCEEDED(sq_writeclosure(v, writeBytes, &b))) {
            saveSeed(b);
            // What was written must read back.
            if (SQ_FAILED(sq_readclosure(v, readBytes, &b))) abort();
        }
    } else if (sq_gettop(v) != 0) {
        abort();  // a failed compile pushes nothing
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HSQUIRRELVM v = sq_open(64);
    if (size >= 4 && memcmp(data, "SQIR", 4) == 0)
        readClosure(v, data, size);
    else
        compileScript(v, data, size);
    sq_close(v);
    return 0;
}
