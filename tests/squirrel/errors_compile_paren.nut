// exit: 1
// A compile error names the file, line and column where it was found.
local ok = 1;
local x = (1 + 2;
print("never\n");
