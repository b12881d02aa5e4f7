// Generators: yield, resume, foreach, generators that return.
function geny(n) {
    for (local i = 1; i <= n; i += 1) yield i;
    return null;
}
local gtor = geny(5);
local x, out = "";
while (x = resume gtor) out += x + " ";
print(out + "\n");
print(gtor.getstatus() + "\n");
try { resume gtor; } catch (e) { print(e + "\n"); }
// the body only starts on the first resume
local started = false;
function lazy() { started = true; yield 1; }
local lz = lazy();
print(started + " " + lz.getstatus() + " " + resume lz + " " + started + "\n");
// foreach: the index counts from 0 and the return value is not seen
out = "";
function withReturn() { yield "a"; yield "b"; return "ignored"; }
foreach (i, v in withReturn()) out += i + "=" + v + " ";
print(out + "\n");
// resume gives the returned value once the generator ends
function two() { yield 1; return 2; }
local t = two();
print(resume t + " " + resume t + " " + t.getstatus() + "\n");
// generators keep their locals and arguments between resumes, and see free variables
local shared = 100;
function acc(start) { local total = start; while (true) { total += shared; yield total; } }
local g = acc(1);
resume g;
shared = 1;
print(resume g + " " + resume g + "\n");
// closures made inside a generator keep working after it yields and ends
function makers() { local n = 0; local get = @() n; yield get; n = 5; yield get; n = 7; }
local mk = makers();
local getter = resume mk;
print(getter() + " ");
resume mk;
print(getter() + " ");
resume mk;
print(getter() + " " + mk.getstatus() + "\n");
// an error inside a generator kills it
function failing() { yield 1; throw "inside"; }
local fg = failing();
resume fg;
try { resume fg; } catch (e) { print(e + " " + fg.getstatus() + "\n"); }
// try/catch inside a generator survives yields
function guarded() { try { yield 1; throw "caught inside"; } catch (e) { yield e; } yield "after"; }
out = "";
foreach (v in guarded()) out += v + "; ";
print(out + "\n");
// a generator resuming itself
function selfish() { yield resume callee_gen; }
callee_gen <- selfish();
try { resume callee_gen; } catch (e) { print(e + "\n"); }
// generators as methods keep 'this'
class Bag { items = null; constructor() { items = [3, 4]; } function each() { foreach (i in items) yield i * 2; } }
out = "";
foreach (v in Bag().each()) out += v + " ";
print(out + "\n");
print(typeof geny + " " + typeof geny(1) + "\n");
