// exit: 1
// An error raised inside a native function is reported at the script line
// that called it.
local a = [];
function take() {
    return a.pop();
}
take();
