// Delegation: the example of the language manual and delegate chains.
Entity <- {}
function Entity::DoStuff() { ::print(_name + "\n"); }
local newentity = { _name = "I'm the new entity" };
newentity.setdelegate(Entity);
newentity.DoStuff();
print((newentity.getdelegate() == Entity) + "\n");
// lookups walk the whole chain
local grand = { level = "grand", only = "in grand" };
local parent = { level = "parent" }.setdelegate(grand);
local child = { }.setdelegate(parent);
print(child.level + " " + child.only + "\n");
// assignment to a slot found in a delegate changes it there
child.level = "changed";
print(parent.level + " " + child.rawin("level") + "\n");
// new slots always go into the table itself
child.level <- "own";
print(child.level + " " + parent.level + "\n");
// a delegate chain cannot loop
try { grand.setdelegate(child); } catch (e) { print(e + "\n"); }
// removing the delegate
child.setdelegate(null);
print(("only" in child) + " " + child.getdelegate() + "\n");
// default delegate methods are found last
local withlen = { len = @() "own len" };
print(withlen.len() + " " + {a = 1}.len() + "\n");
