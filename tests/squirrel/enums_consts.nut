// Constants and enumerations are substituted when the script is compiled.
enum Color { red, green, blue }
print(Color.red + " " + Color.green + " " + Color.blue + "\n");
// Entries without a value count up from 0, one per such entry: an explicit
// value does not move the count.
enum Mixed { a, b = 10, c, d = "text", e = 2.5, f }
print(Mixed.a + " " + Mixed.b + " " + Mixed.c + " " + Mixed.d + " " + Mixed.e + " " + Mixed.f + "\n");
enum Negative { low = -5, high = 5 }
print(Negative.low + " " + Negative.high + "\n");
const LIMIT = 100;
const NAME = "limit";
const RATE = 0.5;
const NEG = -3;
print(LIMIT + " " + NAME + " " + RATE + " " + NEG + " " + LIMIT * RATE + "\n");
// constants shadow globals of the same name, :: reaches the global
::LIMIT <- "global";
print(LIMIT + " " + ::LIMIT + "\n");
// locals shadow constants
local function shadow() { local LIMIT = "local"; return LIMIT; }
print(shadow() + "\n");
// the const table is a real table
print(getconsttable().LIMIT + " " + getconsttable().Color.blue + "\n");
getconsttable().LATER <- 77;
print(compilestring("return LATER + 1")() + "\n");
// an enum used as a value is its table
local c = Color;
print(c.green + " " + typeof Color + "\n");
try { compilestring("local x = Color.purple"); } catch (e) { print(e + "\n"); }
try { compilestring("LIMIT = 5"); } catch (e) { print(e + "\n"); }
