// A VM for API tests: print and error output are captured, compile and
// run-time errors recorded.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/squirrel/squirrel.h"

struct SqTestVm : ::testing::Test {
    HSQUIRRELVM v = nullptr;
    static std::string out;
    static std::string err;
    static std::string compileError;
    static SQInteger compileLine;
    static SQInteger compileColumn;

    void SetUp() override;
    void TearDown() override;
    // Compiles and runs a script with the root table as 'this'; false on
    // a compile or run-time error.
    bool run(const std::string& script, const char* name = "test.nut");
    // Reads a global of the root table onto the stack.
    void pushGlobal(const char* name);
};
