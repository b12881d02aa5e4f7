// The math library.
print(abs(-5) + " " + abs(5) + " " + typeof abs(-2.7) + " " + abs(-2.7) + " " + fabs(-2.5) + "\n");
print(sqrt(16) + " " + pow(2, 10) + " " + exp(0) + " " + log(1) + " " + log10(1000) + "\n");
print(floor(2.7) + " " + ceil(2.1) + " " + floor(-2.5) + " " + ceil(-2.5) + " " + typeof floor(2) + "\n");
print(sin(0) + " " + cos(0) + " " + tan(0) + " " + asin(1) * 2 + " " + acos(1) + " " + atan(0) + "\n");
print(atan2(1, 1) * 4 + " " + PI + " " + (RAND_MAX > 0) + "\n");
srand(42);
local first = rand();
srand(42);
print((rand() == first) + " " + (first >= 0 && first <= RAND_MAX) + "\n");
try { sqrt("x"); } catch (e) { print(e + "\n"); }
try { pow(1); } catch (e) { print(e + "\n"); }
