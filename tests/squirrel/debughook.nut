// The debug hook: a script function told of calls, returns and lines.
local events = [];
function hook(type, src, line, func) {
    if (func == "traced") events.append(type.tochar() + line);
}
enabledebuginfo(true);
local f = compilestring("function traced() {\n    local a = 1;\n    return a;\n}\ntraced();\n", "traced.nut");
setdebughook(hook);
f();
setdebughook(null);
foreach (e in events) print(e + " ");
print("\n");
// without line information only calls and returns are seen
enabledebuginfo(null);
events.clear();
local g = compilestring("function traced() {\n    return 2;\n}\ntraced();\n", "traced2.nut");
setdebughook(hook);
g();
setdebughook(null);
foreach (e in events) print(e + " ");
print("\n");
