// String conversion of every type: tostring(), concatenation and print agree.
print(null + " " + true + " " + false + " " + 42 + " " + -3.25 + " " + "s" + "\n");
print(42.tostring() + " " + 2.5.tostring() + " " + true.tostring() + " " + "str".tostring() + "\n");
print(1.0.tostring() + " " + 1e-7.tostring() + " " + typeof 42.tostring() + "\n");
function prefix(x) { return x.tostring().slice(0, x.tostring().find(":") + 2) + "0x" ; }
class C {}
print(prefix({}) + " " + prefix([]) + " " + prefix(print) + " " + prefix(function() {}) + "\n");
print(prefix(C) + " " + prefix(C()) + " " + prefix({}.weakref()) + "\n");
local t = { _tostring = function() { return "custom" } };
local d = {}.setdelegate(t);
print(d + " " + d.tostring() + "\n");
print(d);
print("\n");
class Named { function _tostring() { return "Named!"; } }
print(Named() + " " + Named().tostring() + "\n");
print(typeof null + " " + typeof true + " " + typeof 1 + " " + typeof 1.0 + " " + typeof "" + " " + typeof {} + " " + typeof [] + "\n");
print(typeof print + " " + typeof (@() 1) + " " + typeof C + " " + typeof C() + " " + typeof {}.weakref() + "\n");
function g() { yield 1; }
print(typeof g() + " " + typeof newthread(g) + "\n");
