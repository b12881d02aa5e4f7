// Arrays and their default delegate.
local a = [1, 2, 3];
a.append(4).push(5);
print(a.len() + " " + a.top() + " " + a.pop() + " " + a.len() + "\n");
a.insert(0, 0).insert(a.len(), 99);
print(a[0] + " " + a[a.len() - 1] + " " + a.remove(a.len() - 1) + "\n");
a.extend([5, 6]);
print(a.len() + " " + a[6] + "\n");
a.resize(9, "x");
print(a[8] + " " + a.resize(2).len() + " " + a.resize(3)[2] + "\n");
print(array(3).len() + " " + array(2, 7)[1] + " " + array(0).len() + "\n");
local r = [1, 2, 3, 4].reverse();
print(r[0] + "" + r[1] + r[2] + r[3] + "\n");
local s = [10, 20, 30, 40, 50];
function show(arr) { local out = ""; foreach (i, v in arr) out += (i ? "," : "") + v; return "[" + out + "]"; }
print(show(s.slice(1)) + show(s.slice(1, 3)) + show(s.slice(-2)) + show(s.slice(0, -4)) + show(s.slice(2, 2)) + "\n");
print(s.find(30) + " " + s.find(35) + " " + [1, 2.0, "3"].find(2) + "\n");
// sort: default order, with a comparator, stable for equal keys
local nums = [5, 3, 8, 1, 9, 2];
nums.sort();
print(show(nums) + "\n");
nums.sort(@(a, b) b <=> a);
print(show(nums) + "\n");
local mixed = [3, 1.5, 2, -1];
mixed.sort();
print(show(mixed) + "\n");
local words = ["pear", "fig", "apple", "kiwi", "plum"];
words.sort(@(a, b) a.len() <=> b.len());
print(show(words) + "\n");
words.sort(function(a, b) { if (a > b) return 1; else if (a < b) return -1; return 0; });
print(show(words) + "\n");
// map, apply, reduce, filter
print(show([1, 2, 3].map(@(v) v * 10)) + show([1, 2, 3].map(@(v, i) v + i)) + show([1, 2].map(@(v, i, arr) arr.len())) + "\n");
local ap = [1, 2, 3];
ap.apply(@(v) v * v);
print(show(ap) + "\n");
print([1, 2, 3, 4].reduce(@(p, c) p + c) + " " + [1, 2, 3].reduce(@(p, c) p + c, 100) + " " + [].reduce(@(p, c) p) + " " + [7].reduce(@(p, c) 0) + " " + [].reduce(@(p, c) p, "init") + "\n");
print(show([5, 6, 7, 8].filter(@(i, v) i % 2 == 0)) + show([5, 6, 7, 8].filter(@(i, v) v > 6)) + "\n");
// clear, clone, nesting, equality is identity
local c = [1, [2]];
local d = clone c;
d[0] = 9;
d[1].append(3);
print(c[0] + " " + c[1].len() + " " + d.len() + " " + (c == c) + " " + ([] == []) + " " + c.clear().len() + "\n");
// float indexes are truncated, errors
print(s[1.7] + "\n");
foreach (f in [@() [].pop(), @() [].top(), @() s[5], @() s[-1], @() s.insert(9, 0), @() s.remove(7), @() [3, "a"].sort(), @() s["x"] ]) {
    try { f(); print("no error\n"); } catch (e) { print(e + "\n"); }
}
local g = [];
try { g[0] = 1; } catch (e) { print(e + "\n"); }
