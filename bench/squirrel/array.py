# The array shootout: y[i] += x[i] over 7000 items, 1000 times.
n = 7000
x = [0] * n
y = [0] * n
for i in range(n):
    x[i] = i + 1
for k in range(1000):
    for i in range(n - 1, -1, -1):
        y[i] += x[i]
print(y[0], y[n - 1])
