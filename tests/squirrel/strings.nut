// Strings: literals, escapes, conversion on concatenation, the default delegate.
print("tab[\t] quote[\"] apos[\'] backslash[\\] hex[\x41\x62] unicode[\u00e9]\n");
print(@"verbatim \n ""quoted""" + "\n");
print(@"two
lines" + "\n");
print("a" + 1 + 2 + " " + (1 + 2) + "b" + " " + 1.5 + true + null + "\n");
local s = "Hello, World";
print(s.len() + " " + s.toupper() + " " + s.tolower() + "\n");
print(s.slice(7) + "|" + s.slice(0, 5) + "|" + s.slice(-5) + "|" + s.slice(-5, -1) + "|" + s.slice(3, 3) + "|\n");
print(s.find("o") + " " + s.find("o", 5) + " " + s.find("xyz") + " " + s.find("") + "\n");
print(s[0] + " " + s[4] + " " + "A".len() + " " + "".len() + "\n");
print("42".tointeger() + 1 + " " + "-17".tointeger() + " " + "ff".tointeger(16) + " " + "101".tointeger(2) + "\n");
print("2.5".tofloat() * 2 + " " + "10".tofloat() + " " + "1e3".tofloat() + " " + "7.9".tointeger() + "\n");
print(("abc" < "abd") + " " + ("abc" == "abc") + " " + ("b" > "abc") + " " + ("" < "a") + " " + ("abc" <=> "abd") + "\n");
print(65.tochar() + 97.tochar() + " " + 'x'.tochar() + "\n");
foreach (i, c in "hey") print(i + ":" + c + " ");
print("\n");
foreach (bad in ["12abc", "", "abc", "1.2.3"]) {
    try { bad.tointeger(); print("converted\n"); } catch (e) { print(e + "\n"); }
}
try { s.slice(5, 2); } catch (e) { print(e + "\n"); }
try { s.slice(0, 100); } catch (e) { print(e + "\n"); }
try { print(s[100]); } catch (e) { print(e + "\n"); }
