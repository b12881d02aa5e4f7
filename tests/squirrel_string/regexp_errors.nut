// A malformed pattern, a hostile pattern and a misused regexp raise errors a
// script can catch; the VM carries on.
function tryIt(what, f) {
    try {
        print(what + ": " + f() + "\n");
    } catch (e) {
        print(what + ": error: " + e + "\n");
    }
}
foreach (p in ["(ab", "ab)", "[abc", "[]", "[z-a]", "*a", "a**", "a{3,2}", "a{70000}", "ab\\", @"\q", "(?=a)"]) {
    tryIt(p, function() { return regexp(p); });
}
local hostile = regexp("(a*)*b");
local as = "";
for (local i = 0; i < 2000; i++) as += "a";
tryIt("hostile search", function() { return hostile.search(as); });
tryIt("hostile match", function() { return hostile.match(as); });
tryIt("afterwards", function() { return hostile.search("aab").end; });

local ex = regexp("a");
tryIt("typeof", function() { return typeof ex; });
tryIt("instanceof", function() { return ex instanceof regexp; });
tryIt("search without text", function() { return ex.search(); });
tryIt("search a number", function() { return ex.search(12); });
tryIt("float start", function() { return ex.search("a", 0.5); });
tryIt("other this", function() { return ex.search.call({}, "a"); });
class Other {}
tryIt("other class", function() { return ex.search.call(Other(), "a"); });
tryIt("unconstructed", function() { return regexp.instance().match("a"); });
tryIt("no pattern", function() { return regexp(); });
tryIt("number pattern", function() { return regexp(1); });
