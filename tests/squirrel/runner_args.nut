// args: first 2 "third
// The runner passes its arguments to the script as strings in vargv.
print(vargv.len() + "\n");
foreach (i, a in vargv) print(i + " " + typeof a + " " + a + "\n");
