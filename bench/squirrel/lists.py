# The list shootout: build, copy, move item by item from the front of one
# list to another and back, reverse, compare; 16 rounds of 10000 items.
SIZE = 10000
def test_lists():
    li1 = list(range(1, SIZE + 1))
    li2 = li1[:]
    li3 = []
    while len(li2) > 0:
        li3.append(li2.pop(0))
    while len(li3) > 0:
        li2.append(li3.pop())
    li1.reverse()
    if li1[0] != SIZE:
        return 0
    for i in range(SIZE):
        if li1[i] != li2[i]:
            return 0
    return len(li1)
result = 0
for n in range(16):
    result = test_lists()
print(result)
