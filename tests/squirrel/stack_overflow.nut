// Runaway recursion ends in a script error, never a crash.
function runaway(n) { return 1 + runaway(n + 1); }
try { runaway(0); } catch (e) { print(e + "\n"); }
// deep recursion short of the limits works
function depth(n) { return n == 0 ? 0 : 1 + depth(n - 1); }
print(depth(20000) + "\n");
// recursion through metamethods and native calls is bounded too
local t = {}.setdelegate({ _get = function(k) { return this[k]; } });
try { t.x; } catch (e) { print(e + "\n"); }
function viaNative(v) { return [v].map(viaNative); }
try { viaNative(1); } catch (e) { print(e + "\n"); }
class Loop { function _tostring() { return "" + this; } }
try { print(Loop() + "\n"); } catch (e) { print(e + "\n"); }
print("alive\n");
