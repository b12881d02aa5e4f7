// Reference cycles are found and freed by the collector.
collectgarbage();
function makeCycles(n) {
    for (local i = 0; i < n; i++) {
        local a = {}, b = [];
        a.b <- b;
        b.append(a);
    }
}
makeCycles(100);
print(collectgarbage() + "\n");
print(collectgarbage() + "\n");
// objects still referenced are kept, even inside cycles
local keep = {};
keep.me <- keep;
local w = keep.weakref();
collectgarbage();
print((w.ref() == keep) + "\n");
keep = null;
print(collectgarbage() + " " + w.ref() + "\n");
// cycles through closures and class instances
class Node { next = null; fn = null; }
local n1 = Node(), n2 = Node();
n1.next = n2; n2.next = n1;
n1.fn = function() { return n1; };
n1 = null; n2 = null;
print((collectgarbage() > 0) + "\n");
// resurrectunreachable hands the unreachable objects back instead
local lost = [];
lost.append(lost);
lost = null;
local found = resurrectunreachable();
print(typeof found + " " + found.len() + " " + resurrectunreachable() + "\n");
found = null;
// a long chain of tables is freed without deep recursion
local head = null;
for (local i = 0; i < 200000; i++) head = { next = head };
head = null;
// many cycles: the collector also runs on its own while the script allocates
for (local i = 0; i < 20000; i++) { local c = {}; c.c <- c; }
print("done\n");
