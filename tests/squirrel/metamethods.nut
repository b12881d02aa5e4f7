// Metamethods, on tables through their delegate and on class instances.
local vecops = {
    _add = function(o) { return vec(x + o.x, y + o.y); }
    _sub = function(o) { return vec(x - o.x, y - o.y); }
    _mul = function(k) { return vec(x * k, y * k); }
    _div = function(k) { return vec(x / k, y / k); }
    _modulo = function(k) { return vec(x % k, y % k); }
    _unm = function() { return vec(-x, -y); }
    _tostring = function() { return "(" + x + "," + y + ")"; }
    _typeof = function() { return "vec"; }
    _cmp = function(o) { return (x + y) <=> (o.x + o.y); }
}
function vec(x, y) { return { x = x, y = y }.setdelegate(vecops); }
local a = vec(1, 2), b = vec(3, 4);
print((a + b) + " " + (b - a) + " " + (a * 3) + " " + (b / 2) + " " + (b % 3) + " " + (-a) + " " + typeof a + "\n");
print((a < b) + " " + (a > b) + " " + (a <= a) + " " + (a <=> b) + " " + (a == vec(1, 2)) + "\n");
// _get and _set: 'throw null' means the key is missing, any other error is an error
local store = {};
local magic = {
    _get = function(k) { if (k == "secret") return 42; if (k == "boom") throw "exploded"; throw null; }
    _set = function(k, v) { if (k == "locked") throw null; store[k] <- v; }
    _newslot = function(k, v) { store["new_" + k] <- v; }
    _delslot = function(k) { store["deleted_" + k] <- true; }
    _call = function(orig, a, b) { return "called " + a + " " + b; }
};
local m = {}.setdelegate(magic);
print(m.secret + " " + m("x", "y") + "\n");
try { m.nothing; } catch (e) { print(e + "\n"); }
try { m.boom; } catch (e) { print(e + "\n"); }
m.anything = 5;
m.fresh <- 6;
delete m.gone;
print(store.anything + " " + store.new_fresh + " " + store.deleted_gone + " " + m.len() + "\n");
try { m.locked = 1; } catch (e) { print(e + "\n"); }
// _cloned runs on the copy with the original as argument
local proto = { _cloned = function(orig) { copied = true; } };
local src = { copied = false }.setdelegate(proto);
local cpy = clone src;
print(src.copied + " " + cpy.copied + "\n");
// the same on class instances
class Money {
    cents = 0;
    constructor(c) { cents = c; }
    function _add(o) { return Money(cents + o.cents); }
    function _sub(o) { return Money(cents - o.cents); }
    function _mul(k) { return Money(cents * k); }
    function _div(k) { return Money(cents / k); }
    function _modulo(k) { return Money(cents % k); }
    function _unm() { return Money(-cents); }
    function _cmp(o) { return cents <=> o.cents; }
    function _tostring() { return "$" + cents; }
    function _typeof() { return "money"; }
    function _call(orig, extra) { return cents + extra; }
    function _get(k) { if (k == "dollars") return cents / 100; throw null; }
    function _set(k, v) { if (k == "dollars") { cents = v * 100; return; } throw null; }
    function _cloned(orig) { cents += 1; }
}
local p = Money(250), q = Money(100);
print((p + q) + " " + (p - q) + " " + (q * 3) + " " + (p / 2) + " " + (p % 100) + " " + (-q) + " " + typeof p + " " + p(5) + "\n");
print((p > q) + " " + (p < q) + " " + (p >= Money(250)) + " " + (q <=> p) + " " + p.dollars + "\n");
p.dollars = 7;
print(p + " " + (clone p) + "\n");
try { p.nothing; } catch (e) { print(e + "\n"); }
try { p.nothing = 1; } catch (e) { print(e + "\n"); }
// _nexti drives foreach over an instance
class Range {
    n = 0;
    constructor(n) { this.n = n; }
    function _nexti(prev) { if (prev == null) return n > 0 ? 0 : null; return prev + 1 < n ? prev + 1 : null; }
    function _get(i) { return i * i; }
}
local out = "";
foreach (i, v in Range(4)) out += i + ":" + v + " ";
print(out + "\n");
// _inherited and _newmember on classes
class Tracked {
    function _inherited(attrs) { ::print("inherited by a class with " + attrs.tag + "\n"); }
}
class Child extends Tracked </ tag = "attrs" /> {}
local added = [];
class Watched {
    function _newmember(key, value, attrs, isstatic) { added.append(key + (isstatic ? "(static)" : "")); }
    a = 1;
    static b = 2;
    function c() {}
}
print(added.len() + " " + added[0] + " " + added[1] + " " + added[2] + " " + Watched.rawin("a") + "\n");
// comparing without _cmp: different types cannot be ordered
try { print({} < 1); } catch (e) { print(e + "\n"); }
try { print(Money(1) + 1 == 0); } catch (e) { print(e + "\n"); }
try { print({} + 1); } catch (e) { print(e + "\n"); }
