// sq -- runs a script outside the game: sq FILE [ARGS...]. The arguments
// reach the script as strings in vargv. Compile errors are reported with
// file, line and column, run-time errors with the call stack and locals; both
// end the run with exit code 1.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/squirrel/sqstdmath.h"
#include "platform/squirrel/sqstdstring.h"
#include "platform/squirrel/squirrel.h"

namespace {

void printOut(HSQUIRRELVM, const SQChar* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    vfprintf(stdout, fmt, args);
    va_end(args);
}

void printErr(HSQUIRRELVM, const SQChar* fmt, ...)
{
    fflush(stdout);
    va_list args;
    va_start(args, fmt);
    vfprintf(stderr, fmt, args);
    va_end(args);
    fflush(stderr);
}

void compileError(HSQUIRRELVM v, const SQChar* desc, const SQChar* source, SQInteger line, SQInteger column)
{
    printErr(v, "%s:%lld:%lld: error: %s\n", source, (long long)line, (long long)column, desc);
}

// One local variable, as "[name] value".
void printLocal(HSQUIRRELVM v, const SQChar* name)
{
    switch (sq_gettype(v, -1)) {
        case OT_NULL:
            printErr(v, "[%s] NULL\n", name);
            break;
        case OT_INTEGER: {
            SQInteger i;
            sq_getinteger(v, -1, &i);
            printErr(v, "[%s] %lld\n", name, (long long)i);
            break;
        }
        case OT_FLOAT: {
            SQFloat f;
            sq_getfloat(v, -1, &f);
            printErr(v, "[%s] %.14g\n", name, (double)f);
            break;
        }
        case OT_STRING: {
            const SQChar* s;
            sq_getstring(v, -1, &s);
            printErr(v, "[%s] \"%s\"\n", name, s);
            break;
        }
        case OT_BOOL: {
            SQBool b;
            sq_getbool(v, -1, &b);
            printErr(v, "[%s] %s\n", name, b ? "true" : "false");
            break;
        }
        case OT_TABLE:
            printErr(v, "[%s] TABLE\n", name);
            break;
        case OT_ARRAY:
            printErr(v, "[%s] ARRAY\n", name);
            break;
        case OT_CLOSURE:
            printErr(v, "[%s] CLOSURE\n", name);
            break;
        case OT_NATIVECLOSURE:
            printErr(v, "[%s] NATIVECLOSURE\n", name);
            break;
        case OT_GENERATOR:
            printErr(v, "[%s] GENERATOR\n", name);
            break;
        case OT_USERPOINTER:
            printErr(v, "[%s] USERPOINTER\n", name);
            break;
        case OT_USERDATA:
            printErr(v, "[%s] USERDATA\n", name);
            break;
        case OT_THREAD:
            printErr(v, "[%s] THREAD\n", name);
            break;
        case OT_CLASS:
            printErr(v, "[%s] CLASS\n", name);
            break;
        case OT_INSTANCE:
            printErr(v, "[%s] INSTANCE\n", name);
            break;
        case OT_WEAKREF:
            printErr(v, "[%s] WEAKREF\n", name);
            break;
        default:
            printErr(v, "[%s] ?\n", name);
            break;
    }
}

// The run-time error handler: the error, then the call stack and the locals
// of every level (level 0 is this handler itself).
SQInteger runtimeError(HSQUIRRELVM v)
{
    const SQChar* msg = "unknown";
    if (sq_gettop(v) >= 2 && SQ_SUCCEEDED(sq_tostring(v, 2))) sq_getstring(v, -1, &msg);
    printErr(v, "\nAN ERROR HAS OCCURRED [%s]\n", msg);
    printErr(v, "\nCALLSTACK\n");
    SQStackInfos si;
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(v, level, &si)); level++)
        printErr(v, "*FUNCTION [%s()] %s line [%lld]\n", si.funcname, si.source, (long long)si.line);
    printErr(v, "\nLOCALS\n");
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(v, level, &si)); level++) {
        for (SQUnsignedInteger seq = 0;; seq++) {
            const SQChar* name = sq_getlocal(v, (SQUnsignedInteger)level, seq);
            if (!name) break;
            printLocal(v, name);
            sq_pop(v, 1);
        }
    }
    return 0;
}

bool readFile(const char* path, std::string& out)
{
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: sq FILE [ARGS...]\n");
        return 2;
    }
    std::string source;
    if (!readFile(argv[1], source)) {
        fprintf(stderr, "sq: can't read '%s'\n", argv[1]);
        return 1;
    }
    HSQUIRRELVM v = sq_open(1024);
    sq_setprintfunc(v, printOut, printErr);
    sq_setcompilererrorhandler(v, compileError);
    sq_newclosure(v, runtimeError, 0);
    sq_setnativeclosurename(v, -1, "runtimeError");
    sq_seterrorhandler(v);

    sq_pushroottable(v);
    sqstd_register_mathlib(v);
    sqstd_register_stringlib(v);
    sq_pop(v, 1);

    int status = 1;
    if (SQ_SUCCEEDED(sq_compilebuffer(v, source.data(), (SQInteger)source.size(), argv[1], SQTrue))) {
        sq_pushroottable(v);
        for (int i = 2; i < argc; i++) sq_pushstring(v, argv[i], -1);
        if (SQ_SUCCEEDED(sq_call(v, argc - 1, SQFalse, SQTrue))) status = 0;
        sq_pop(v, 1);
    }
    fflush(stdout);
    sq_close(v);
    return status;
}
