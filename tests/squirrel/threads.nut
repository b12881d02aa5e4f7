// Threads (coroutines): the example of the language manual, then status,
// nested calls and errors.
function coroutine_test(a, b) {
    ::print(a + " " + b + "\n");
    local ret = ::suspend("suspend 1");
    ::print("the coroutine says " + ret + "\n");
    ret = ::suspend("suspend 2");
    ::print("the coroutine says " + ret + "\n");
    ret = ::suspend("suspend 3");
    ::print("the coroutine says " + ret + "\n");
    return "I'm done"
}
local coro = ::newthread(coroutine_test);
local susparam = coro.call("test", "coroutine");
local i = 1;
do {
    ::print("suspend passed (" + susparam + ")\n")
    susparam = coro.wakeup("ciao " + i);
    ++i;
} while (coro.getstatus() == "suspended")
::print("return passed (" + susparam + ")\n")
print(coro.getstatus() + "\n");
// suspending from a nested call, and tail calls between states
function state1() { ::suspend("state1"); return state2(); }
function state2() { ::suspend("state2"); return state3(); }
function state3() { ::suspend("state3"); return state1(); }
local statethread = ::newthread(state1);
local seen = statethread.call();
for (local n = 0; n < 10000; n++) seen = statethread.wakeup();
print(seen + "\n");
// a thread sees its own status as running, and can be called again once idle
local self;
self = newthread(function() { return self.getstatus(); });
print(self.call() + " " + self.getstatus() + " " + self.call() + "\n");
// wakeup without a value resumes suspend with null
local nv = newthread(function() { return suspend(1) == null; });
nv.call();
print(nv.wakeup() + "\n");
// errors inside the thread reach the caller; the thread has no try of its
// own, so the error handler reports them from inside the thread first
local bad = newthread(function() { suspend(0); throw "thread failed"; });
bad.call();
try { bad.wakeup(); } catch (e) { print(e + " " + bad.getstatus() + "\n"); }
// wakeupthrow raises the error inside the thread, where it can be caught
local catcher = newthread(function() { try { suspend("waiting"); } catch (e) { return "caught " + e; } });
catcher.call();
print(catcher.wakeupthrow("signal") + "\n");
try { coro.wakeup(); } catch (e) { print(e + "\n"); }
// suspend cannot cross a native call (reported the same way)
local across = newthread(function() { return [1].map(@(v) suspend(v)); });
try { across.call(); } catch (e) { print(e + "\n"); }
print(typeof coro + "\n");
