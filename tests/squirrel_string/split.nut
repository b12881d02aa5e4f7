// split cuts at every separator character; skipempty drops empty pieces.
function show(a) {
    local s = "[";
    foreach (i, piece in a) s += (i ? "," : "") + "'" + piece + "'";
    print(s + "] len " + a.len() + "\n");
}
show(split("1.2-3;;4/5", ".-/;"));
show(split("1.2-3;;4/5", ".-/;", true));
show(split("1.2-3;;4/5", ".-/;", false));
show(split(",a,,b,", ","));
show(split(",a,,b,", ",", true));
show(split("", ","));
show(split("", ",", true));
show(split("no separators here", ";"));
show(split("a b", ""));
show(split("one  two\tthree", " \t", true));
print(typeof split("a,b", ",")[0] + "\n");
try {
    split("a,b");
} catch (e) {
    print("too few arguments raise an error\n");
}
try {
    split(1, ",");
} catch (e) {
    print("a non-string raises an error\n");
}
