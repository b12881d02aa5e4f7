// Examples from the language's reference manual, run as written there.

// functions: variable arguments
function test(a,b,...)
{
    for(local i = 0; i< vargv.len(); i++)
    {
        ::print("varparam "+i+" = "+vargv[i]+"\n");
    }
  foreach(i,val in vargv)
    {
        ::print("varparam "+i+" = "+val+"\n");
    }
}
test("goes in a","goes in b",0,1,2);

// tail recursion
function loopy(n)
{
    if(n>0){
        ::print("n="+n+"\n");
        return loopy(n-1);
    }
}
loopy(3);

// classes: attributes of every member
class Foo </ test = "I'm a class level attribute" />{
    </ test = "freakin attribute" /> //attributes of PrintTesty
    function PrintTesty()
    {
        foreach(i,val in testy)
        {
            ::print("idx = "+i+" = "+val+" \n");
        }
    }
    </ flippy = 10 , second = [1,2,3] /> //attributes of testy
    testy = null;
}
local lines = [];
foreach(member,val in Foo)
{
    local line = member + ":";
    local attr;
    if((attr = Foo.getattributes(member)) != null) {
        local parts = [];
        foreach(i,v in attr) parts.append(i+" = "+(typeof v));
        parts.sort();
        foreach (p in parts) line += " " + p;
    }
    else {
        line += " <no attributes>";
    }
    lines.append(line);
}
lines.sort();
foreach (l in lines) print(l + "\n");
print(Foo.getattributes(null).test + "\n");

// classes: a metamethod
class Vector3 {
    constructor(...)
    {
        if(vargv.len() >= 3) {
            x = vargv[0];
            y = vargv[1];
            z = vargv[2];
        }
    }
    function _add(other)
    {
        return ::Vector3(x+other.x,y+other.y,z+other.z);
    }

    x = 0;
    y = 0;
    z = 0;
}
local v0 = Vector3(1,2,3)
local v1 = Vector3(11,12,13)
local v2 = v0 + v1;
::print(v2.x+","+v2.y+","+v2.z+"\n");

// inheritance: a base method calling an overridden one
class Base {
    function DoSomething() {
        ::print("I'm the base");
    }
    function DoIt()
    {
        DoSomething();
    }
};
class SuperFoo extends Base {
    function DoSomething() {
        ::print("I'm the derived");
    }
    function DoIt() {
        base.DoIt();
    }
}
local inst = SuperFoo();
inst.DoIt();
print("\n");

// constructors of a class hierarchy
class BaseClass {
    constructor()
    {
        ::print("Base constructor\n");
    }
}
class ChildClass extends BaseClass {
    constructor()
    {
        base.constructor();
        ::print("Child constructor\n");
    }
}
local child = ChildClass();

// metamethods: _cmp on tables and on classes
local comparable={
    _cmp = function (other)
    {
        if(name<other.name)return -1;
        if(name>other.name)return 1;
        return 0;
    }
}
local a={ name="Alberto" }.setdelegate(comparable);
local b={ name="Wouter" }.setdelegate(comparable);
if(a>b)
    print("a>b")
else
    print("b<=a");
print("\n");
class Comparable {
    constructor(n)
    {
        name = n;
    }
    function _cmp(other)
    {
        if(name<other.name) return -1;
        if(name>other.name) return 1;
        return 0;
    }
    name = null;
}
a = Comparable("Alberto");
b = Comparable("Wouter");
if(a>b)
    print("a>b")
else
    print("b<=a");
print("\n");

// expressions: the comma operator, delete and typeof
local j=0,k=0;
for(local i=0; i<10; i++ , j++)
{
    k = i + j;
}
print(k + "\n");
local c, d;
c = (d=1,d+2);
print(c + "\n");
local t = {
    test1=1234
    deleteme="now"
}
delete t.test1
print(delete t.deleteme);
print("\n");
local x={},y="squirrel"
print(typeof x); print(" "); print(typeof y); print("\n");

// arrays
local arr=["I'm a string", 123]
print(typeof arr[0]) //prints "string"
print(typeof arr[1]) //prints "integer"
print("\n");

// lambdas with sort
local nums = [2,3,5,8,3,5,1,2,6];
nums.sort(@(a,b) a <=> b);
foreach (n in nums) print(n);
print("\n");
nums.sort(@(a,b) -(a <=> b));
foreach (n in nums) print(n);
print("\n");

// binding an environment
local env = { name = "bound env" };
function bound[env]() { return name; }
print(bound() + "\n");

// rawcall
local renv = {}
function plus(a,b) {
    return a + b;
}
print(rawcall(plus,renv,1,2) + "\n");

// post-call initializer
class vector3 {
    x = 0;
    y = 0;
    z = 0;
}
local pv = vector3() { x = 1, y = 2, z = 3 };
print(pv.x + pv.y + pv.z + "\n");

// the const table
getconsttable()["something"] <- 10;
print(compilestring("return something")() + "\n");
delete getconsttable()["something"];
print(("something" in getconsttable()) + "\n");
