// Exceptions: any value can be thrown; errors travel through native calls.
foreach (v in [1, "text", null, [1, 2], { k = "v" }, 2.5]) {
    try { throw v; } catch (e) { print(typeof e + " "); }
}
print("\n");
try { throw { code = 7 }; } catch (e) { print(e.code + "\n"); }
// nested try and rethrow
try {
    try { throw "inner"; } catch (e) { print("caught " + e + "\n"); throw e + " again"; }
} catch (e) { print("outer caught " + e + "\n"); }
// errors from deep inside calls unwind to the nearest try
function deep(n) { if (n == 0) throw "bottom"; return deep(n - 1) + 1; }
try { deep(50); } catch (e) { print(e + "\n"); }
// exceptions thrown through native calls: sort comparators, map, call
try { [3, 1, 2].sort(function(a, b) { throw "from comparator"; }); } catch (e) { print(e + "\n"); }
try { [1].map(@(v) v.nothing); } catch (e) { print(e + "\n"); }
try { (function() { throw "via call"; }).call(this); } catch (e) { print(e + "\n"); }
try { [1].apply(function(v) { [2].map(@(w) w / 0); }); } catch (e) { print(e + "\n"); }
// runtime errors are strings
try { local t = {}; t.x.y; } catch (e) { print(typeof e + ": " + e + "\n"); }
// a try inside a loop, break and continue out of try blocks
local out = "";
for (local i = 0; i < 5; i++) {
    try {
        if (i == 1) continue;
        if (i == 3) break;
        if (i == 2) throw "two";
        out += i;
    } catch (e) { out += "!" + e; }
}
print(out + "\n");
// state after a caught error is intact
function f() { local x = 1; try { x = 2; throw "e"; } catch (e) { x += 10; } return x; }
print(f() + "\n");
// assert
try { assert(1 == 2); } catch (e) { print(e + "\n"); }
try { assert(false, "custom message"); } catch (e) { print(e + "\n"); }
assert(true);
// the error handler does not run for caught errors, and execution goes on
print("still running\n");
