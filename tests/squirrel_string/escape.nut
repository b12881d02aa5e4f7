// escape writes a string the way it would appear in a script, so compiling
// the escaped text gives the original string back.
print(escape("plain text 123") + "\n");
print(escape("say \"hi\" it's") + "\n");
print(escape("back\\slash") + "\n");
print(escape("\a\b\t\n\v\f\r") + "\n");
print(escape("nul\x00 byte").len() + "\n");
print(escape("\x01\x1f\x7f") + "\n");
print(escape("\xc3\xa9") + "\n");
print("[" + escape("") + "]\n");
local tricky = "q\"\\\n\t\x00\x01\xff'end";
local back = compilestring("return \"" + escape(tricky) + "\";")();
print((back == tricky) + " " + back.len() + "\n");
