// exit: 1
// An error nobody catches stops the script; the runner prints it with the
// call stack and the locals of every level.
function inner(x) {
    local y = x * 2;
    return y + undefined_variable;
}
function outer() {
    local list = [1];
    local result = inner(21);
    return result;
}
print("before\n");
outer();
print("never\n");
