// Calling a script function from C++ the way the sound events do: push the
// closure and its environment, call, read the integer result, pop.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "platform/squirrel/squirrel.h"

namespace {

struct EventVm {
    HSQUIRRELVM v;
    HSQOBJECT env, fn;
    explicit EventVm(const char* body)
    {
        v = sq_open(1024);
        std::string src = std::string("events <- { channel = 7, hero_jump = function() { ") + body + " } };";
        sq_compilebuffer(v, src.c_str(), (SQInteger)src.size(), "bench", SQTrue);
        sq_pushroottable(v);
        sq_call(v, 1, SQFalse, SQTrue);
        sq_pop(v, 1);
        sq_pushroottable(v);
        sq_pushstring(v, "events", -1);
        sq_get(v, -2);
        sq_getstackobj(v, -1, &env);
        sq_addref(v, &env);
        sq_pushstring(v, "hero_jump", -1);
        sq_get(v, -2);
        sq_getstackobj(v, -1, &fn);
        sq_addref(v, &fn);
        sq_settop(v, 0);
    }
    ~EventVm()
    {
        sq_release(v, &fn);
        sq_release(v, &env);
        sq_close(v);
    }
    SQInteger call()
    {
        sq_pushobject(v, fn);
        sq_pushobject(v, env);
        SQInteger result = 0;
        if (SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue))) {
            sq_getinteger(v, -1, &result);
            sq_pop(v, 1);
        }
        sq_pop(v, 1);
        return result;
    }
};

void BM_CallEventFunction(benchmark::State& state)
{
    EventVm vm("return 3;");
    for (auto _ : state) benchmark::DoNotOptimize(vm.call());
}
BENCHMARK(BM_CallEventFunction);

// An event function as a sound script writes it: reads a slot of its table
// and calls a global.
void BM_CallEventFunctionWithWork(benchmark::State& state)
{
    EventVm vm("return max(channel, 1);");
    for (auto _ : state) benchmark::DoNotOptimize(vm.call());
}
BENCHMARK(BM_CallEventFunctionWithWork);

void BM_CompileScript(benchmark::State& state)
{
    HSQUIRRELVM v = sq_open(1024);
    const char* src =
        "events <- {}\n"
        "local samples = [];\n"
        "function load(name, n) { samples.append({ name = name, n = n }); return samples.len(); }\n"
        "events.hero_shoot <- function() { local c = load(\"shoot.wav\", 4); return c > 0 ? c : 0; }\n"
        "class Mixer { volume = 1.0; function set(v) { volume = v; } }\n";
    for (auto _ : state) {
        sq_compilebuffer(v, src, (SQInteger)strlen(src), "bench", SQFalse);
        sq_pop(v, 1);
    }
    sq_close(v);
}
BENCHMARK(BM_CompileScript);

}  // namespace
