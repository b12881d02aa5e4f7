// regexp.search returns the begin and end of the first match, or null.
local ex = regexp("[a-zA-Z]+");
local string = "123 Test;";
local res = ex.search(string);
print(string.slice(res.begin, res.end) + " " + res.begin + " " + res.end + "\n");
print(typeof res + " " + res.len() + "\n");
print(ex.search("12345") + "\n");

// The search starts at the given index; positions stay those of the whole string.
local words = regexp(@"\w+");
local text = "one two  three";
local at = 0;
local m;
while ((m = words.search(text, at)) != null) {
    print(text.slice(m.begin, m.end) + "@" + m.begin + " ");
    at = m.end;
}
print("\n");
print(words.search(text, text.len()) + "\n");
print(regexp("").search("abc", 3).begin + "\n");

// ^ is the start of the string even when the search starts later; \b sees
// the character before the start.
print(regexp("^b").search("ab", 1) + " " + regexp(@"\bb").search("ab", 1) + " " + regexp(@"\bb").search("a b", 1).begin + "\n");
print(regexp("c$").search("abcabc").begin + " " + regexp(@"\bcat\b").search("concat cat").begin + " " + regexp(@"\Bcat").search("concat cat").begin + "\n");

// Greedy closures take as much as they can and give back what the rest needs.
local greedy = regexp("a.*b");
local g = greedy.search("xaXbYbZ");
print(g.begin + " " + g.end + "\n");
local bounded = regexp("a{2,3}").search("caaaaa");
print(bounded.begin + " " + bounded.end + "\n");
local empty = regexp("x*").search("aaa");
print(empty.begin + " " + empty.end + "\n");

try {
    words.search(text, text.len() + 1);
} catch (e) {
    print("error: " + e + "\n");
}
try {
    words.search(text, -1);
} catch (e) {
    print("error: " + e + "\n");
}
