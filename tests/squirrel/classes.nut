// Classes: constructors, members, inheritance, base calls, statics, attributes.
class Animal </ category = "living" /> {
    name = null;
    legs = 4;
    static kingdom = "animalia";
    </ doc = "makes a sound" />
    function speak() { return name + " makes " + sound(); }
    function sound() { return "..."; }
    constructor(n) { name = n; }
}
class Dog extends Animal {
    tricks = null;
    constructor(n) { base.constructor(n); tricks = []; }
    function sound() { return "woof"; }
    function speak() { return base.speak() + "!"; }
}
local a = Animal("cat"), d = Dog("rex");
print(a.speak() + " | " + d.speak() + " | " + d.legs + " " + d.kingdom + " " + Dog.kingdom + "\n");
print((d instanceof Dog) + " " + (d instanceof Animal) + " " + (a instanceof Dog) + " " + (5 instanceof Animal) + "\n");
print((d.getclass() == Dog) + " " + (Dog.getbase() == Animal) + " " + (Animal.getbase() == null) + "\n");
print(Animal.getattributes(null).category + " " + Animal.getattributes("speak").doc + " " + Animal.getattributes("legs") + "\n");
Animal.setattributes("legs", { unit = "count" });
print(Animal.getattributes("legs").unit + "\n");
// members hold the same default value in every instance: no copy is made
class Shared { list = []; }
local s1 = Shared(), s2 = Shared();
s1.list.append(1);
print(s2.list.len() + "\n");
// instances cannot grow, classes can until instantiated, methods always
try { d.wings <- 2; } catch (e) { print(e + "\n"); }
try { d.wings = 2; } catch (e) { print(e + "\n"); }
try { Animal.color <- "brown"; } catch (e) { print(e + "\n"); }
Animal.describe <- function() { return "I am " + name; };
function Animal::run() { return name + " runs"; }
print(a.describe() + " " + a.run() + "\n");
class Fresh { x = 1; }
Fresh.y <- 2;
print(Fresh().y + "\n");
try { d.speak = null; } catch (e) { print(e + "\n"); }
try { d.kingdom = "x"; } catch (e) { print(e + "\n"); }
// no constructor, class instance() and calling the constructor by hand
class Plain { v = 3; }
print(Plain().v + "\n");
local raw = Dog.instance();
print((raw.tricks == null) + " " + raw.legs + "\n");
raw.constructor("manual");
print(raw.name + " " + raw.tricks.len() + "\n");
// cloning an instance copies its fields and does not run the constructor
local d2 = clone d;
d2.name = "clone";
print(d.name + " " + d2.name + " " + (d2.tricks == d.tricks) + "\n");
// rawin, rawget, rawset on classes and instances
print(d.rawin("legs") + " " + d.rawin("nothing") + " " + d.rawget("name") + " " + Dog.rawget("legs") + "\n");
d.rawset("legs", 3);
print(d.legs + " " + Dog.rawin("speak") + "\n");
// class expressions and nested namespaces
local Space = { Inner = {} };
class Space.Inner.Thing { function hi() { return "hi"; } }
local Anon = class { val = 9 };
print(Space.Inner.Thing().hi() + " " + Anon().val + "\n");
// static members, member added through newmember
class WithStatic { static count = 0; function bump() { return ++count; } }
WithStatic.newmember("extra", 5);
WithStatic.rawnewmember("shared", 6, { note = "attr" }, true);
print(WithStatic.extra + " " + WithStatic.shared + " " + WithStatic.getattributes("shared").note + "\n");
try { WithStatic().bump(); } catch (e) { print(e + "\n"); }
try { WithStatic.newmember("late", 1); } catch (e) { print(e + "\n"); }
// inheriting from something that is not a class
try { local x = 1; local bad = class extends x {}; } catch (e) { print(e + "\n"); }
// foreach over an instance lists its members
local names = [];
foreach (k, v in Plain()) names.append(k + "=" + v);
print(names[0] + "\n");
