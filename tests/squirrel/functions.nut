// Functions: defaults, varargs, lambdas, free variables, environments.
function add(a, b = 10, c = 100) { return a + b + c; }
print(add(1) + " " + add(1, 2) + " " + add(1, 2, 3) + "\n");
try { add(); } catch (e) { print(e + "\n"); }
try { add(1, 2, 3, 4); } catch (e) { print(e + "\n"); }
function va(first, ...) {
    local s = first + ":" + vargv.len();
    foreach (i, v in vargv) s += " " + i + "=" + v;
    return s;
}
print(va("x") + " | " + va("y", 1, "two", 3.5) + "\n");
// default values are evaluated when the function is created
local start = 1;
local withdef = function(x = start * 2) { return x; };
start = 50;
print(withdef() + " " + withdef(7) + "\n");
// free variables are shared with the enclosing scope
local counter = 0;
local inc = function() { counter++; return counter; };
inc(); inc();
print(counter + " " + inc() + "\n");
function makeCounter() { local n = 0; return { next = @() ++n, peek = @() n }; }
local mc = makeCounter();
mc.next(); mc.next();
print(mc.peek() + "\n");
// closures capture loop variables by reference: a for variable is one
// variable for the whole loop, a local declared in the body is new each turn
local byFor = [], byBody = [], byForeach = [];
for (local i = 0; i < 3; i++) {
    local j = i;
    byFor.append(@() i);
    byBody.append(@() j);
}
foreach (v in ["a", "b", "c"]) byForeach.append(@() v);
print(byFor[0]() + "" + byFor[2]() + " " + byBody[0]() + byBody[1]() + byBody[2]() + " " + byForeach[0]() + byForeach[2]() + "\n");
// local functions see themselves
local function fact(n) { return n <= 1 ? 1 : n * fact(n - 1); }
print(fact(10) + "\n");
// 'this' of a call: the object indexed, or the caller's this
local obj = { name = "obj", who = function() { return this.name; } };
name <- "root";
local who = obj.who;
print(obj.who() + " " + who() + " " + who.call(obj) + " " + who.call({ name = "other" }) + "\n");
print(who.pcall(obj) + " " + who.acall([obj]) + " " + who.pacall([{ name = "arr" }]) + " " + rawcall(who, obj) + "\n");
local boundenv = { name = "bound" };
local bound = who.bindenv(boundenv);
print(bound() + " " + obj.who.bindenv(obj)() + "\n");
local env = { name = "env" };
local withenv = function[env]() { return name; };
print(withenv() + "\n");
T <- {};
function T::method() { return "T::method"; }
print(T.method() + "\n");

// tail calls run in constant stack space
function loopy(n) { if (n > 0) return loopy(n - 1); return "done"; }
print(loopy(500000) + "\n");
// getinfos
function described(a, b = 2, ...) {}
local info = described.getinfos();
print(info.native + " " + info.name + " " + info.parameters.len() + " " + info.parameters[1] + " " + info.defparams[0] + " " + info.varargs + "\n");
local ninfo = print.getinfos();
print(ninfo.native + " " + ninfo.name + " " + ninfo.paramscheck + "\n");
// post-call initializer
function point() { return { x = 0, y = 0 }; }
local p = point() { x = 3, y = 4 };
print(p.x + " " + p.y + "\n");
// callee and recursion through it
local anon = function(n) { return n == 0 ? 0 : n + callee()(n - 1); };
print(anon(4) + "\n");
// calling something that is not a function
try { local x = 5; x(); } catch (e) { print(e + "\n"); }
try { null(); } catch (e) { print(e + "\n"); }
