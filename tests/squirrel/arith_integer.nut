// Integer arithmetic: 64-bit, division and modulo truncate toward zero.
print(7 / 2 + " " + -7 / 2 + " " + 7 / -2 + " " + -7 / -2 + "\n");
print(7 % 3 + " " + -7 % 3 + " " + 7 % -3 + " " + -7 % -3 + "\n");
print(1 / 3 * 3 + " " + (2 * 3 - 4 / 2) + "\n");
print(0x7FFFFFFFFFFFFFFF + 1 == -0x7FFFFFFFFFFFFFFF - 1);
print("\n");
local minint = -0x7FFFFFFFFFFFFFFF - 1;
print((minint / -1 == minint) + " " + (minint % -1) + "\n");
print(4294967296 * 4 + " " + typeof (3 * 4) + "\n");
// shifts and bitwise operators
print((1 << 40) + " " + (-16 >> 2) + " " + (-16 >>> 60) + " " + (0xF0 >> 4) + "\n");
print((0xF0 & 0x3C) + " " + (0xF0 | 0x0F) + " " + (0xFF ^ 0x0F) + " " + ~0 + " " + ~5 + "\n");
// literals
print(0x1F + " " + 017 + " " + 'a' + " " + '\n' + " " + 1000000 + "\n");
// increments on locals, table slots and globals
local i = 5;
print(i++ + " " + i + " " + ++i + " " + i-- + " " + --i + "\n");
local t = { n = 1 };
t.n += 10; t.n *= 2; t.n -= 1; t.n /= 3; t.n %= 4;
print(t.n + "\n");
g <- 1;
g++; ++g; g += 5;
print(g + "\n");
// errors
foreach (f in [@() 1 / 0, @() 5 % 0, @() 1 << 1.0, @() ~1.5, @() "a" - 1]) {
    try { f(); } catch (e) { print(e + "\n"); }
}
