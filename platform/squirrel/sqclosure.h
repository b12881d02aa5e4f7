// sqclosure.h -- closures (script and native), captured variables and
// generators.
#pragma once

#include "platform/squirrel/sqfuncproto.h"

struct SQClass;

// A local variable captured by a closure. While its function runs the value
// lives in the stack slot valptr points at; once the scope ends the value
// moves into the outer itself.
struct SQOuter : SQCollectable {
    SQObjectPtr* _valptr;
    SQInteger _idx;  // stack index while open
    SQObjectPtr _value;
    SQOuter* _next = nullptr;  // next open outer of the same VM, by stack index
    SQVM* _owner = nullptr;    // VM whose stack holds the value while open

    static SQOuter* Create(SQSharedState* ss, SQObjectPtr* slot) { return new SQOuter(ss, slot); }
    SQObjectType objType() const override { return OT_OUTER; }
    void release() override { delete this; }
    void traverse(SQGCVisitor& v) override { v.visit(_value); }
    void finalize() override { _value.Null(); }

private:
    SQOuter(SQSharedState* ss, SQObjectPtr* slot) : SQCollectable(ss), _valptr(slot), _idx(0) {}
};

struct SQClosure : SQCollectable {
    SQObjectPtr _function;                  // the prototype
    std::vector<SQObjectPtr> _outervalues;  // SQOuter objects
    std::vector<SQObjectPtr> _defaultparams;
    SQObjectPtr _env;          // weak reference to a bound 'this', or null
    SQObjectPtr _root;         // weak reference to the root table
    SQClass* _base = nullptr;  // counted: base class of the class the method belongs to

    static SQClosure* Create(SQSharedState* ss, SQFunctionProto* proto, const SQObject& root);
    SQObjectType objType() const override { return OT_CLOSURE; }
    void release() override;
    void traverse(SQGCVisitor& v) override;
    void finalize() override;
    SQFunctionProto* proto() const { return _funcproto(_function); }
    SQClosure* Clone() const;
    void SetBase(SQClass* base);

private:
    using SQCollectable::SQCollectable;
};

struct SQNativeClosure : SQCollectable {
    SQFUNCTION _function = nullptr;
    std::vector<SQObjectPtr> _outervalues;
    std::vector<SQInteger> _typecheck;
    SQInteger _nparamscheck = 0;
    SQObjectPtr _name;
    SQObjectPtr _env;  // weak reference to a bound 'this', or null

    static SQNativeClosure* Create(SQSharedState* ss, SQFUNCTION f, SQInteger nouters)
    {
        SQNativeClosure* c = new SQNativeClosure(ss);
        c->_function = f;
        c->_outervalues.resize(nouters);
        return c;
    }
    SQObjectType objType() const override { return OT_NATIVECLOSURE; }
    void release() override { delete this; }
    void traverse(SQGCVisitor& v) override
    {
        for (const SQObjectPtr& o : _outervalues) v.visit(o);
        v.visit(_env);
    }
    void finalize() override
    {
        std::vector<SQObjectPtr> o;
        o.swap(_outervalues);
        _env.Null();
    }
    SQNativeClosure* Clone() const
    {
        SQNativeClosure* c = Create(_sharedstate, _function, 0);
        c->_outervalues = _outervalues;
        c->_typecheck = _typecheck;
        c->_nparamscheck = _nparamscheck;
        c->_name = _name;
        c->_env = _env;
        return c;
    }

private:
    using SQCollectable::SQCollectable;
};

// An active try block: where to go and what to restore when an error
// reaches it.
struct SQExceptionTrap {
    SQInteger callDepth;  // call frame the try belongs to
    SQInteger stackbase;  // that frame's base, relative for generators
    const SQInstruction* ip;
    SQInteger target;  // register receiving the error value
};

struct SQGenerator : SQCollectable {
    enum State { eSuspended, eRunning, eDead };
    SQObjectPtr _func;                // the generator function
    std::vector<SQObjectPtr> _stack;  // the saved frame, 'this' first
    std::vector<SQExceptionTrap> _traps;
    const SQInstruction* _ip = nullptr;
    std::vector<SQOuter*> _outers;  // open outers of the saved frame (counted)
    State _state = eSuspended;

    static SQGenerator* Create(SQSharedState* ss, const SQObject& closure) { return new SQGenerator(ss, closure); }
    SQObjectType objType() const override { return OT_GENERATOR; }
    void release() override { delete this; }
    void traverse(SQGCVisitor& v) override;
    void finalize() override;
    void Kill();
    ~SQGenerator() override;

private:
    SQGenerator(SQSharedState* ss, const SQObject& closure) : SQCollectable(ss), _func(closure) {}
};
