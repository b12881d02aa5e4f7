// Floats are 32-bit and print in %g style; mixing with integers gives floats.
print(1.0 + " " + 0.5 + " " + 1.5e10 + " " + 1.e2 + " " + 1.e-2 + " " + 123456789.0 + "\n");
print(0.1 + 0.2 + " " + 1 / 2.0 + " " + 3 * 0.5 + " " + (2 - 0.5) + "\n");
print(typeof (1 + 1.0) + " " + typeof (2.0 * 2) + " " + typeof (4 / 2) + "\n");
print(7.5 % 2 + " " + -7.5 % 2 + " " + 1.0 / 0 + " " + -1.0 / 0 + "\n");
print(16777217.0 + " " + 3.14159265358979 + " " + 1e-5 + " " + 100000.0 + " " + 1000000.0 + "\n");
print((1 == 1.0) + " " + (1 < 1.5) + " " + (2.5 > 2) + " " + (0.0 == 0) + "\n");
print(3.9.tointeger() + " " + (-3.9).tointeger() + " " + 3.tofloat() + " " + typeof 3.tofloat() + "\n");
print(-(2.5) + " " + -0.0 + " " + (0.0 ? "true" : "false") + "\n");
local f = 1.5;
f++;
f += 1;
print(f + "\n");
