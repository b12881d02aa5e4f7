// Tables: slot creation with <- versus assignment, delete, in, raw access.
local t = { a = 1, "b": 2, [3] = "three", function f() { return "f"; } };
t.c <- 4;
t.a = 10;
print(t.a + " " + t.b + " " + t[3] + " " + t.c + " " + t.f() + " " + t.len() + "\n");
try { t.missing = 1; } catch (e) { print(e + "\n"); }
try { print(t.missing); } catch (e) { print(e + "\n"); }
try { print(t[99]); } catch (e) { print(e + "\n"); }
t.a <- 11;
print(t.a + " " + t.len() + "\n");
print(("a" in t) + " " + ("zz" in t) + " " + (3 in t) + " " + ("len" in t) + "\n");
print(delete t.c + " " + ("c" in t) + " " + t.len() + "\n");
try { delete t.c; } catch (e) { print(e + "\n"); }
try { t[null] <- 1; } catch (e) { print(e + "\n"); }
// keys are compared by value and type
local k = {};
k[1] <- "int"; k[1.0] <- "float"; k["1"] <- "string"; k[true] <- "bool"; k[k] <- "self";
print(k[1] + " " + k[1.0] + " " + k["1"] + " " + k[true] + " " + k[k] + " " + k.len() + "\n");
// raw access skips the delegate
local proto = { inherited = "yes" };
local child = { own = 1 }.setdelegate(proto);
print(child.inherited + " " + ("inherited" in child) + " " + child.rawin("inherited") + " " + child.rawin("own") + "\n");
try { child.rawget("inherited"); } catch (e) { print(e + "\n"); }
print(child.rawset("x", 5).x + " " + child.rawget("x") + " " + child.rawdelete("x") + " " + child.rawdelete("nothing") + "\n");
print((child.getdelegate() == proto) + " " + (proto.getdelegate() == null) + "\n");
// keys, values, filter, clear
local n = { x = 1, y = 2, z = 3 };
local keys = n.keys(); keys.sort();
local values = n.values(); values.sort();
print(keys[0] + keys[1] + keys[2] + " " + values[0] + values[1] + values[2] + "\n");
local odd = n.filter(@(k, v) v % 2 == 1);
print(odd.len() + " " + ("x" in odd) + " " + ("y" in odd) + " " + ("z" in odd) + "\n");
print(n.clear().len() + "\n");
// nested tables and JSON style
local json = { "id": 1, "tags": ["a", "b"], "inner": { "deep": true } };
print(json.id + " " + json.tags[1] + " " + json.inner.deep + "\n");
// clone is shallow and keeps the delegate
local orig = { list = [1], v = 1 }.setdelegate(proto);
local copy = clone orig;
copy.v = 2;
copy.list.append(2);
print(orig.v + " " + copy.v + " " + orig.list.len() + " " + copy.inherited + "\n");
// iteration visits every slot once
local sum = 0, count = 0;
foreach (key, val in { a = 1, b = 2, c = 3, d = 4 }) { sum += val; count++; }
print(sum + " " + count + "\n");
// many slots
local big = {};
for (local i = 0; i < 1000; i++) big[i] <- i * i;
for (local i = 0; i < 1000; i += 2) delete big[i];
print(big.len() + " " + big[999] + " " + (998 in big) + "\n");
