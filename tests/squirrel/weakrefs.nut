// Weak references: containers hand out the value behind them, and they go
// null when the value dies.
local t = {};
local a = ["first", "second", "third"];
t.thearray <- a.weakref();
print(t.thearray[0] + "\n");
a = 123;
print(typeof(t.thearray) + "\n");
local tbl = {};
local weakobj = tbl.weakref();
print(typeof(weakobj) + " " + typeof(weakobj.ref()) + "\n");
tbl = null;
print(weakobj.ref() + "\n");
// numbers and bools are their own weak reference
print(1.weakref() + " " + 2.5.weakref() + " " + true.weakref() + " " + typeof 1.weakref() + "\n");
// a weak reference in an array slot
local obj = { name = "kept" };
local list = [obj.weakref()];
print(list[0].name + " " + typeof list[0] + "\n");
obj = null;
print(list[0] + "\n");
// the same weak reference object is handed out every time
local c = [];
print((c.weakref() == c.weakref()) + "\n");
// a weak reference does not keep a cycle alive: the collector frees it
local ring = {};
ring.self <- ring;
local w = ring.weakref();
ring = null;
collectgarbage();
print(w.ref() + "\n");
// bindenv holds its environment weakly
local env = { v = "env" };
local f = (function() { return this; }).bindenv(env);
print(f().v + " ");
env = null;
print(f() + "\n");
