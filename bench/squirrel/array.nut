// The array shootout: y[i] += x[i] over 7000 items, 1000 times.
local n = 7000;
local x = array(n), y = array(n, 0);
for (local i = 0; i < n; i++) x[i] = i + 1;
for (local k = 0; k < 1000; k++)
    for (local i = n - 1; i >= 0; i--) y[i] += x[i];
print(y[0] + " " + y[n - 1] + "\n");
