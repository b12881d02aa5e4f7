// format: conversions, widths, precision, flags, argument types and the
// errors a script can catch.
print(format("%s %d 0x%02X\n", "this is a test :", 123, 10));
print(format("[%5d][%-5d][%05d][%+d][% d]\n", 42, 42, -42, 42, 42));
print(format("[%x][%X][%o][%#x][%.3d]\n", 255, 255, 8, 255, 7));
print(format("[%c%c%c][%3c]\n", 'a', 98, 'c', 'z'));
print(format("[%f][%.2f][%8.3f][%-8.1f]\n", 1.5, 3.14159, 2.5, -1.25));
print(format("[%e][%.2E][%g][%G]\n", 12345.678, 0.000123, 100000.0, 1e20));
print(format("[%s][%6s][%-6s][%.2s]\n", "abc", "abc", "abc", "abc"));
print(format("100%% done, %d%%\n", 50));
// An integer where a float is expected widens; a float where an integer is
// expected is cut toward zero.
print(format("[%.1f][%d][%d][%x]\n", 2, 3.99, -3.99, 255.5));
// Arguments the format does not use are ignored.
print(format("%d\n", 1, 2, "three"));
print(format("no conversions\n"));
print(format("%d\n", 0x7fffffffffffffff));

function tryFormat(f, ...) {
    try {
        local args = [this, f];
        args.extend(vargv);
        print(format.acall(args) + "\n");
    } catch (e) {
        print("error: " + e + "\n");
    }
}
tryFormat("%d", "12");
tryFormat("%c", null);
tryFormat("%f", "1.5");
tryFormat("%s", 12);
tryFormat("%s", [1]);
tryFormat("%d %d", 1);
tryFormat("%s");
tryFormat("%*d", 3, 4);
tryFormat("%ld", 5);
tryFormat("50%");
tryFormat("%1001d", 1);
tryFormat("%d", 1e30);
