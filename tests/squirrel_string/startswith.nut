// startswith and endswith compare the beginning or the end of a string.
local s = "sound/bank.nut";
print(startswith(s, "sound/") + " " + startswith(s, "bank") + " " + startswith(s, "") + "\n");
print(endswith(s, ".nut") + " " + endswith(s, "bank") + " " + endswith(s, "") + "\n");
print(startswith("ab", "abc") + " " + endswith("bc", "abc") + "\n");
print(startswith(s, s) + " " + endswith(s, s) + " " + startswith("", "") + "\n");
print(startswith("Sound", "sound") + " " + endswith("x.NUT", ".nut") + "\n");
try {
    startswith(s, 1);
} catch (e) {
    print("a non-string raises an error\n");
}
