// sqVMReload.h -- a script VM that remembers every file it ran, with the
// file's modification time, so it can run them again when they change.
#pragma once

#include <cstdint>

#include "platform/squirrel/squirrel.h"
#include "support/dynArray.h"

struct ScriptFile {
    char path[264];     // resolved, at most 259 characters
    int64_t modified;   // seconds, as the file status reports them
};

class SqReloadableVM {
public:
    SqReloadableVM() = default;
    SqReloadableVM(const SqReloadableVM&) = delete;
    SqReloadableVM& operator=(const SqReloadableVM&) = delete;
    virtual ~SqReloadableVM();

    // Closes any old VM, opens a new one with the given initial stack size,
    // stores this object in the registry under "SqReloadableVM" and runs
    // setup. False if the VM cannot be opened.
    virtual bool create(int stackSize);
    virtual void close();
    // Runs a data file once: a path already run (compared without regard to
    // letter case) is not run again. True when it compiled and ran.
    virtual bool include(const char* name);
    // Whether a recorded file's modification time has changed.
    virtual bool needsReload();
    virtual bool reload(bool force);
    // Registers "include" and the standard math and string libraries.
    virtual void setup();
    // Reruns the recorded files in the order they were first run: every one
    // when forced, else the changed ones; stops at the first failure.
    virtual bool reloadFiles(bool force);

    HSQUIRRELVM vm() const { return handle; }
    const DynArray<ScriptFile>& recordedFiles() const { return files; }

private:
    HSQUIRRELVM handle = nullptr;
    DynArray<ScriptFile> files;
};

// Compiles and runs a file with the root table as `this`; compile and run
// errors are printed by the VM's handlers. False on any failure.
bool runScriptFile(HSQUIRRELVM v, const char* path);
