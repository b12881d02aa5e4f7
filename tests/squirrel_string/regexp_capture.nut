// regexp.capture returns the whole match and then one entry per group.
local ex = regexp(@"(\d+) ([a-zA-Z]+)(\p)");
local string = "stuff 123 Test;";
local res = ex.capture(string);
foreach (i, val in res) {
    print(format("match number[%02d] %s\n", i, string.slice(val.begin, val.end)));
}
print(ex.subexpcount() + " " + res.len() + "\n");
print(ex.capture("no digits here") + "\n");

function show(pattern, s, start = 0) {
    local r = regexp(pattern).capture(s, start);
    if (r == null) {
        print(pattern + " -> null\n");
        return;
    }
    local out = pattern + " ->";
    foreach (span in r) out += " " + span.begin + "-" + span.end;
    print(out + "\n");
}
// Nested and plain groups; a group that takes no part is -1 to -1.
show("((a)(b(c)))", "xabc");
show("(?:a)(b)", "ab");
show("(a)|(b)", "b");
show("(a)?b", "b");
// A repeated group holds its last repetition; backtracking undoes groups of failed branches.
show(@"(\w)+", "abc");
show("(?:(a)x|ay)", "ay");
show("(a|ab)(c|bcd)(d*)", "abcd");
show("(ab)*c", "xababc");
// Captures from a start index.
show("(a)X", "aXaX", 1);
show("(b+)", "abbb", 2);
print(regexp("").subexpcount() + " " + regexp("(a)(?:b)((c))").subexpcount() + "\n");
