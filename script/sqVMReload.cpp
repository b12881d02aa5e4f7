#include "script/sqVMReload.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstdarg>
#include <cstring>
#include <cstdio>
#include <string>

#include "platform/squirrel/sqstdmath.h"
#include "platform/squirrel/sqstdstring.h"
#include "shell/log.h"
#include "script/sqbind.h"
#include "shell/paths.h"
#include "support/streams.h"

namespace {

constexpr const char* REGISTRY_KEY = "SqReloadableVM";
constexpr int MAX_LOCALS_LEVELS = 20;
constexpr size_t MAX_SCRIPT_PATH = 260;  // characters, with the terminator

int64_t modificationTime(const char* path)
{
    struct stat st;
    return stat(path, &st) == 0 ? (int64_t)st.st_mtime : 0;
}

// Print and error print both go to the log, flushed at once.
void printToLog(HSQUIRRELVM, const SQChar* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    vfprintf(stdout, fmt, ap);
    va_end(ap);
    fflush(stdout);
}

void compileError(HSQUIRRELVM v, const SQChar* desc, const SQChar* source, SQInteger line, SQInteger column)
{
    SQPRINTFUNCTION err = sq_geterrorfunc(v);
    if (err) err(v, "bin/%s(%d,%d): error: %s\n", source, (int)line, (int)column, desc);
}

void printLocal(SQPRINTFUNCTION err, HSQUIRRELVM v, const char* name)
{
    switch (sq_gettype(v, -1)) {
        case OT_NULL:
            err(v, "[%s] NULL\n", name);
            break;
        case OT_INTEGER: {
            SQInteger i;
            sq_getinteger(v, -1, &i);
            err(v, "[%s] %d\n", name, (int)i);
            break;
        }
        case OT_FLOAT: {
            SQFloat f;
            sq_getfloat(v, -1, &f);
            err(v, "[%s] %.14g\n", name, (double)f);
            break;
        }
        case OT_USERPOINTER:
            err(v, "[%s] USERPOINTER\n", name);
            break;
        case OT_STRING: {
            const SQChar* s;
            sq_getstring(v, -1, &s);
            err(v, "[%s] \"%s\"\n", name, s);
            break;
        }
        case OT_TABLE:
            err(v, "[%s] TABLE\n", name);
            break;
        case OT_ARRAY:
            err(v, "[%s] ARRAY\n", name);
            break;
        case OT_CLOSURE:
            err(v, "[%s] CLOSURE\n", name);
            break;
        case OT_NATIVECLOSURE:
            err(v, "[%s] NATIVECLOSURE\n", name);
            break;
        case OT_GENERATOR:
            err(v, "[%s] GENERATOR\n", name);
            break;
        case OT_USERDATA:
            err(v, "[%s] USERDATA\n", name);
            break;
        case OT_THREAD:
            err(v, "[%s] THREAD\n", name);
            break;
        case OT_CLASS:
            err(v, "[%s] CLASS\n", name);
            break;
        case OT_INSTANCE:
            err(v, "[%s] INSTANCE\n", name);
            break;
        case OT_WEAKREF:
            err(v, "[%s] WEAKREF\n", name);
            break;
        case OT_BOOL: {
            SQBool b;
            sq_getbool(v, -1, &b);
            err(v, "[%s] %s\n", name, b ? "true" : "false");
            break;
        }
        default:
            ASSERT(0);
    }
}

// The run-time error handler: the error with the call stack, then the local
// variables of every level.
SQInteger runtimeError(HSQUIRRELVM v)
{
    SQPRINTFUNCTION err = sq_geterrorfunc(v);
    if (!err) return 0;
    const SQChar* text = "unknown";
    if (sq_gettop(v) >= 2) sq_getstring(v, 2, &text);

    err(v, "\nCALLSTACK\n");
    SQStackInfos si;
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(v, level, &si)); level++) {
        const char* fn = si.funcname ? si.funcname : "unknown";
        const char* src = si.source ? si.source : "unknown";
        if (level == 1)
            err(v, "bin/%s(%d): ERROR: %s (in %s())\n", src, (int)si.line, text, fn);
        else
            err(v, "bin/%s(%d): function %s() (CALLSTACK)\n", src, (int)si.line, fn);
    }
    err(v, "\nLOCALS\n");
    for (SQInteger level = 0; level < MAX_LOCALS_LEVELS; level++) {
        for (SQUnsignedInteger i = 0;; i++) {
            const SQChar* name = sq_getlocal(v, (SQUnsignedInteger)level, i);
            if (!name) break;
            printLocal(err, v, name);
            sq_pop(v, 1);
        }
    }
    return 0;
}

// The script-side "include": finds its VM object through the registry.
SQInteger includeHandler(HSQUIRRELVM v)
{
    const SQChar* name;
    if (SQ_FAILED(sq_getstring(v, 2, &name))) return sq_throwerror(v, "include: expected a file name");
    sq_pushregistrytable(v);
    sq_pushstring(v, REGISTRY_KEY, -1);
    SQUserPointer p = nullptr;
    if (SQ_SUCCEEDED(sq_get(v, -2))) {
        sq_getuserpointer(v, -1, &p);
        sq_pop(v, 1);
    }
    sq_pop(v, 1);
    auto* rvm = (SqReloadableVM*)p;
    ASSERT(rvm);
    if (rvm->include(name)) return 0;
    // A broken included file breaks the script that needs it: its error goes
    // on, so the game shows what went wrong.
    std::string why = sqbind::lastError(v);
    return sq_throwerror(v, why.c_str());
}

}  // namespace

bool runScriptFile(HSQUIRRELVM v, const char* path)
{
    std::string text;
    if (!readWholeFile(path, &text)) return false;

    SQInteger top = sq_gettop(v);
    if (SQ_FAILED(sq_compilebuffer(v, text.data(), (SQInteger)text.size(), path, SQTrue))) {
        sq_settop(v, top);
        return false;
    }
    sq_pushroottable(v);
    bool ran = SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue));
    sq_settop(v, top);
    return ran;
}

SqReloadableVM::~SqReloadableVM() { close(); }

bool SqReloadableVM::create(int stackSize)
{
    close();
    handle = sq_open(stackSize);
    if (!handle) return false;
    sq_setprintfunc(handle, printToLog, printToLog);
    sq_setcompilererrorhandler(handle, compileError);
    sq_newclosure(handle, runtimeError, 0);
    sq_seterrorhandler(handle);
    sq_pushroottable(handle);
    sq_pop(handle, 1);

    sq_pushregistrytable(handle);
    sq_pushstring(handle, REGISTRY_KEY, -1);
    sq_pushuserpointer(handle, this);
    sq_newslot(handle, -3, SQFalse);
    sq_pop(handle, 1);
    setup();
    return true;
}

void SqReloadableVM::close()
{
    if (handle) sq_close(handle);
    handle = nullptr;
}

void SqReloadableVM::setup()
{
    sq_pushroottable(handle);
    sq_pushstring(handle, "include", -1);
    sq_pushuserpointer(handle, (void*)includeHandler);
    sq_newclosure(handle, includeHandler, 1);
    sq_setparamscheck(handle, 2, ".s");
    sq_newslot(handle, -3, SQFalse);
    sqstd_register_mathlib(handle);
    sqstd_register_stringlib(handle);
    sq_pop(handle, 1);
}

bool SqReloadableVM::include(const char* name)
{
    std::string path = dataPath(name);
    for (const ScriptFile& f : files)
        if (!strcasecmp(f.path, path.c_str())) return true;
    ScriptFile rec{};
    if (path.size() >= MAX_SCRIPT_PATH) {
        logPrint("script path too long: '%s'", path.c_str());
        return false;
    }
    memcpy(rec.path, path.c_str(), path.size() + 1);
    rec.modified = modificationTime(rec.path);
    files.append(rec);
    return runScriptFile(handle, rec.path);
}

bool SqReloadableVM::needsReload()
{
    for (const ScriptFile& f : files)
        if (modificationTime(f.path) != f.modified) return true;
    return false;
}

bool SqReloadableVM::reload(bool force) { return reloadFiles(force); }

bool SqReloadableVM::reloadFiles(bool force)
{
    // Only the files recorded before the reload: a file a rerun includes for
    // the first time has already run by then.
    const int count = files.num;
    for (int i = 0; i < count; i++) {
        int64_t t = modificationTime(files[i].path);
        if (!force && t == files[i].modified) continue;
        files[i].modified = t;
        if (!runScriptFile(handle, files[i].path)) return false;
    }
    return true;
}
