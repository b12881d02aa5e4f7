// sqbind.h -- the game's layer over the script language: registering native
// functions and constants, reading arguments, looking up globals, calling
// script functions, and the one exception that carries script errors.
#pragma once

#include <cstdint>
#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/squirrel/squirrel.h"

namespace sqbind {

// A script error on its way to the game. The message is not owned: it points
// at a literal or at the VM's last-error string.
struct SquirrelError {
    const char* message;
};

// The text a wrong argument type raises.
constexpr const char* TYPE_ERROR = "sq_get*() failed (type error)";

// Argument readers at a stack index; a wrong type throws TYPE_ERROR.
SQInteger getInt(HSQUIRRELVM v, SQInteger idx);
float getFloat(HSQUIRRELVM v, SQInteger idx);
bool getBool(HSQUIRRELVM v, SQInteger idx);
const char* getString(HSQUIRRELVM v, SQInteger idx);

// In the root table, creates slot name holding a native closure whose one
// free variable is fn's address; thunk reads the arguments, calls fn and
// pushes its result. A call with another number of arguments than argCount
// is a script error.
void registerNative(HSQUIRRELVM v, const char* name, void* fn, SQFUNCTION thunk, int argCount);
// Creates slot name = value in the root table.
void registerConstant(HSQUIRRELVM v, const char* name, SQInteger value);

// The VM's last error as a string; "unknown error" when it is not one.
const char* lastError(HSQUIRRELVM v);
// A held reference to the root table's slot name (release with sq_release);
// a missing slot logs "getGlobal '%s' failed" and throws the last error.
HSQOBJECT getGlobal(HSQUIRRELVM v, const char* name);
// The registry table's slot name as a user pointer; a missing slot logs
// "getReg '%s' failed" and throws the last error.
void* getReg(HSQUIRRELVM v, const char* name);

// A script function with the environment it runs in, both held in the VM.
class SqFunc {
public:
    SqFunc() = default;
    SqFunc(const SqFunc&) = delete;
    SqFunc& operator=(const SqFunc&) = delete;
    ~SqFunc() { release(); }

    // Holds env and func (taking a reference on each).
    void bind(HSQUIRRELVM v, const HSQOBJECT& env, const HSQOBJECT& func);
    // Drops both references; the reference is empty afterwards.
    void release();
    bool bound() const { return vm != nullptr; }
    // Calls the function with the environment as its only parameter and
    // reads its result as an integer. Throws "SqFunc<> call failed" when the
    // call fails, TYPE_ERROR for a result that is not an integer, and
    // "SqFunc: can't deref weakptr to object" when the environment has died.
    SQInteger callInt();

private:
    HSQUIRRELVM vm = nullptr;
    HSQOBJECT env{}, func{};
};

// --- Typed registration: the thunk behind registerFunction ----------------

namespace detail {

template <typename T>
T readArg(HSQUIRRELVM v, SQInteger idx)
{
    if constexpr (std::is_same_v<T, bool>)
        return getBool(v, idx);
    else if constexpr (std::is_integral_v<T>)
        return (T)getInt(v, idx);
    else if constexpr (std::is_floating_point_v<T>)
        return (T)getFloat(v, idx);
    else {
        static_assert(std::is_same_v<T, const char*>, "unsupported argument type");
        return getString(v, idx);
    }
}

template <typename T>
void pushResult(HSQUIRRELVM v, T value)
{
    if constexpr (std::is_same_v<T, bool>)
        sq_pushbool(v, value ? SQTrue : SQFalse);
    else if constexpr (std::is_integral_v<T>)
        sq_pushinteger(v, (SQInteger)value);
    else {
        static_assert(std::is_floating_point_v<T>, "unsupported result type");
        sq_pushfloat(v, (SQFloat)value);
    }
}

// The stored function address: the called closure's free variable, on top
// of the stack after the arguments; null when there is none.
void* storedFunction(HSQUIRRELVM v);
SQInteger noFunctionStored(HSQUIRRELVM v);

template <typename R, typename... A, size_t... I>
SQInteger callWith(HSQUIRRELVM v, R (*fn)(A...), std::index_sequence<I...>)
{
    // Arguments are read left to right from index 2 (1 is `this`).
    std::tuple<A...> args{readArg<A>(v, (SQInteger)I + 2)...};
    if constexpr (std::is_void_v<R>) {
        std::apply(fn, args);
        return 0;
    } else {
        pushResult<R>(v, std::apply(fn, args));
        return 1;
    }
}

template <typename R, typename... A>
SQInteger thunk(HSQUIRRELVM v)
{
    auto fn = (R(*)(A...))storedFunction(v);
    if (!fn) return noFunctionStored(v);
    try {
        return callWith(v, fn, std::index_sequence_for<A...>{});
    } catch (const SquirrelError& e) {
        return sq_throwerror(v, e.message);
    }
}

}  // namespace detail

// Registers a C++ function under name; its arguments are read by their C++
// types (integers, float, bool, const char*) and its result pushed.
template <typename R, typename... A>
void registerFunction(HSQUIRRELVM v, const char* name, R (*fn)(A...))
{
    registerNative(v, name, (void*)fn, &detail::thunk<R, A...>, (int)sizeof...(A));
}

}  // namespace sqbind
