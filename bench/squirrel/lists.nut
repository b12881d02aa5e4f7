// The list shootout: build, copy, move item by item from the front of one
// list to another and back, reverse, compare; 16 rounds of 10000 items.
local SIZE = 10000;
function test_lists() {
    local li1 = array(SIZE);
    for (local i = 0; i < SIZE; i++) li1[i] = i + 1;
    local li2 = clone li1;
    local li3 = [];
    while (li2.len() > 0) li3.append(li2.remove(0));
    while (li3.len() > 0) li2.append(li3.pop());
    li1.reverse();
    if (li1[0] != SIZE) return 0;
    for (local i = 0; i < SIZE; i++) if (li1[i] != li2[i]) return 0;
    return li1.len();
}
local result = 0;
for (local n = 0; n < 16; n++) result = test_lists();
print(result + "\n");
