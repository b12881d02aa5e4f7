#!/usr/bin/env sq
# comments of every kind
/* block
   comment */
print("line " + __LINE__ + " of " + __FILE__ + "\n"); // trailing
local a = 1; local b = 2
local c = a +
    b;
print(c + "\n");
local t = {
    x = 1,
    y = 2
    z = 3
};
print(t.x + t.y + t.z + "\n");
local arr = [1, 2, 3,];
print(arr.len() + "\n");
// statements on one line with semicolons, blocks as statements
{ local inner = "block"; print(inner + "\n"); }
if (true) print("one-line if\n")
while (false) ;
// an expression can be a statement
1 + 2;
// delete, typeof and clone are operators
local d = { k = 1 };
print(delete d.k + " " + typeof d + " " + (clone [1]).len() + "\n");
// :: reaches the root table
::rootvalue <- "from root";
function readRoot() { local rootvalue = "local"; return ::rootvalue + " " + rootvalue; }
print(readRoot() + "\n");
// the 'in' and 'instanceof' operators bind like comparisons
print(("x" in t && !("q" in t)) + "\n");
// a call may continue on the next line; ++ does not
local n = 5
n
++n
print(n + "\n");
print(
    "multi-line call"
    + "\n"
);
