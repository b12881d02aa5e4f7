// regexp.match is true only when the whole string matches.
local digits = regexp(@"\d+");
print(digits.match("12345") + " " + digits.match("123a") + " " + digits.match("a123") + " " + digits.match("") + "\n");
local alt = regexp("a|ab");
print(alt.match("ab") + " " + alt.match("a") + " " + alt.match("abb") + "\n");
local word = regexp(@"^[a-zA-Z_]\w*$");
foreach (s in ["name", "_x1", "1x", "a-b", ""]) print(s + ":" + word.match(s) + " ");
print("\n");
local counted = regexp("(?:ab){2,3}");
foreach (s in ["ab", "abab", "ababab", "abababab"]) print(counted.match(s) + " ");
print("\n");
print(regexp("").match("") + " " + regexp("").match("x") + "\n");
print(regexp(@"\s*").match(" \t\n") + " " + regexp(@"\p+").match(";:!") + " " + regexp(@"\x+").match("c0FFee") + "\n");
print(regexp(@"\a\A").match("x1") + " " + regexp(@"\l\u").match("aB") + " " + regexp(@"\c\C").match("\tx") + "\n");
print(regexp("[^abc]").match("d") + " " + regexp("[^abc]").match("a") + " " + regexp(@"a\.b").match("axb") + "\n");
// Calling the constructor again replaces the pattern; every regexp frees its
// pattern when it dies.
local re = regexp("a+");
re.constructor("b+");
print(re.match("aa") + " " + re.match("bb") + "\n");
for (local i = 0; i < 100; i++) regexp("(x|y)" + i).match("x" + i);
