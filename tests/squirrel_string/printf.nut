// printf prints what format would return.
printf("%s %d 0x%02X\n", "this is a test :", 123, 10);
printf("plain line\n");
printf("%5.1f|%-4s|\n", 2.25, "ab");
local r = printf("%d\n", 7);
print("returns " + r + "\n");
try {
    printf("%d\n", "x");
} catch (e) {
    print("error: " + e + "\n");
}
