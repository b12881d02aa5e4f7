// Compile errors seen from compilestring: the message of each.
foreach (src in [
    "break",
    "continue",
    "local x = ;",
    "local 5 = 1",
    "x = 08",
    "a.b(1,",
    "if (1) {",
    "local s = 'ab'",
    "function f(a = 1, b) {}",
    "1 = 2",
    "local a; a <- 1",
    "/* open comment",
    "local t = { a = 1 b }",
    "switch (1) { default: break; case 1: }",
    "@",
    "\"bad \\q escape\"",
    "local v = vargv; function g() { yield 1; return 2 } 5 +"
]) {
    try { compilestring(src); print("compiled: " + src + "\n"); } catch (e) { print(e + "\n"); }
}
