// strip, lstrip and rstrip remove white space at the ends only.
local s = " \t\r\n  inner  space \n\t ";
print("[" + strip(s) + "]\n");
print("[" + lstrip(s) + "]\n");
print("[" + rstrip(s) + "]\n");
print("[" + strip("") + "][" + strip("   ") + "][" + lstrip("x") + "][" + rstrip("x") + "]\n");
print("[" + strip("\v\fform\v\f") + "]\n");
print("[" + strip("-x-") + "]\n");
print(s.len() + " " + strip(s).len() + "\n");
