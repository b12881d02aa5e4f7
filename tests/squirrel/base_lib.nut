// exit: 1
// The base library.
print(type(1) + " " + type("s") + " " + type(null) + " " + type([]) + "\n");
class T { function _typeof() { return "custom"; } }
print(type(T()) + " " + typeof T() + "\n");
print((getroottable() == ::getroottable()) + " " + ("print" in getroottable()) + "\n");
print(_intsize_ + " " + _floatsize_ + " " + _charsize_ + " " + typeof _version_ + " " + (_versionnumber_ >= 300) + "\n");
// compilestring compiles to a function run with the given this
local f = compilestring("return 6 * 7");
print(f() + " " + typeof f + "\n");
local g = compilestring("return this.v + vargv.len()", "named");
print(g.call({ v = 10 }, 1, 2) + "\n");
// setroottable swaps the table globals live in
local fake = { print = print, marker = "fake root" };
local old = setroottable(fake);
print(compilestring("return marker")() + "\n");
setroottable(old);
print(("marker" in getroottable()) + "\n");
// min, max and array
print(min(3, 1, 2) + " " + max(3, 1, 2) + " " + min(1.5, 2) + " " + max("a", "b") + "\n");
print(array(3, "z").len() + " " + array(2)[0] + "\n");
// getstackinfos: level 1 is the running function
function where() { local marker = 5; return getstackinfos(1); }
local info = where();
print(info.func + " " + info.src + " " + info.line + " " + info.locals.marker + "\n");
print(getstackinfos(99) + "\n");
// callee, error output
function named() { return callee(); }
print((named() == named) + "\n");
error("to stderr\n");
// pcall does not catch: the error still reaches the caller's try
try { (function() { throw "through pcall"; }).pcall(this); } catch (e) { print(e + "\n"); }
// seterrorhandler with a script function: it sees the error nobody catches
seterrorhandler(function(e) { print("handler saw: " + e + "\n"); });
throw "unhandled";
