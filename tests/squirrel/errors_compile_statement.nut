// exit: 1
function f() {
    local a = 1 local b = 2
}
