// Control flow: if, loops, switch with fall-through, break and continue.
function classify(n) {
    if (n < 0) return "negative";
    else if (n == 0) return "zero";
    else return "positive";
}
print(classify(-1) + " " + classify(0) + " " + classify(3) + "\n");
if (0) print("no\n"); else print("0 is false\n");
if (0.0 || null || false) print("no\n"); else print("0.0 null false are false\n");
if ("" && [] && {}) print("empty containers and strings are true\n");
print((null || "default") + " " + (1 && 2) + " " + (0 && 2) + " " + (!null) + " " + (!1) + "\n");
local i = 0, out = "";
while (i < 5) { i++; if (i == 2) continue; if (i == 4) break; out += i; }
print(out + "\n");
i = 10;
do { i++; } while (i < 5)
print(i + "\n");
out = "";
for (local a = 0, b = 10; a < b; a += 3, b -= 1) out += a + "-" + b + " ";
print(out + "\n");
for (;;) { out = "infinite loop left"; break; }
print(out + "\n");
out = "";
for (local x = 0; x < 3; x++) {
    for (local y = 0; y < 3; y++) {
        if (y == 1) continue;
        if (x == 2) break;
        out += x + "" + y + " ";
    }
}
print(out + "\n");
function sw(x) {
    local r = [];
    switch (x) {
        case 1: r.append("one");
        case 2: r.append("two"); break;
        case "s": r.append("string"); break;
        case 3:
        case 4: r.append("three-or-four"); break;
        default: r.append("default");
    }
    return r.len() + ":" + r.reduce(@(a, b) a + "," + b);
}
print(sw(1) + " " + sw(2) + " " + sw(3) + " " + sw(4) + " " + sw("s") + " " + sw(9) + " " + sw(1.0) + "\n");
out = "";
foreach (n in [1, 2, 3, 4, 5]) {
    switch (n % 2) {
        case 0: continue;
        default: out += n;
    }
}
print(out + "\n");
local nodefault = 0;
switch (5) { case 1: nodefault = 1; }
print(nodefault + "\n");
// foreach over arrays, strings and a class
out = "";
foreach (idx, v in [10, 20]) out += idx + "=" + v + " ";
foreach (v in "ab") out += v + " ";
class K { static s = 1; m = 2; function f() {} }
local members = [];
foreach (k, v in K) members.append(k);
members.sort();
print(out + members.reduce(@(a, b) a + "," + b) + "\n");
// ternary and comma
local t = 5 > 3 ? "yes" : "no";
local c = (i = 1, i + 2);
print(t + " " + c + " " + (false ? 1 : true ? 2 : 3) + "\n");
