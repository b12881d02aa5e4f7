// sqstate.h -- the state shared by a VM and all its threads: the string
// table, the object list of the collector, the registry and const tables,
// the default delegates and the host's hooks.
#pragma once

#include <string>
#include <unordered_map>

#include "platform/squirrel/sqclass.h"
#include "platform/squirrel/sqobject.h"

struct SQStringTable {
    std::vector<SQString*> _buckets;
    SQInteger _count = 0;

    SQStringTable() : _buckets(256, nullptr) {}
    SQString* Add(SQSharedState* ss, const SQChar* s, SQInteger len);
    void Remove(SQString* s);
};

struct SQSharedState {
    SQStringTable _strings;
    SQCollectable* _gcchain = nullptr;
    SQInteger _gccount = 0;
    SQInteger _gcthreshold = 4096;  // tracked objects that trigger the next automatic collection
    bool _collecting = false;
    // Native calls and nested runs in progress in all threads together: the
    // threads share one C stack, so the nesting limits count them all.
    SQInteger _nnativecalls = 0;
    SQInteger _nexecutes = 0;

    SQVM* _rootvm = nullptr;  // counted
    SQObjectPtr _registry;
    SQObjectPtr _consttable;
    SQObjectPtr _metamethodnames[MT_LAST];
    SQObjectPtr _metamethodsmap;  // name -> metamethod index

    // Default delegates, by type.
    SQObjectPtr _table_default_delegate;
    SQObjectPtr _array_default_delegate;
    SQObjectPtr _string_default_delegate;
    SQObjectPtr _number_default_delegate;
    SQObjectPtr _closure_default_delegate;
    SQObjectPtr _generator_default_delegate;
    SQObjectPtr _thread_default_delegate;
    SQObjectPtr _class_default_delegate;
    SQObjectPtr _instance_default_delegate;
    SQObjectPtr _weakref_default_delegate;

    // Names the compiler and VM use all the time.
    SQObjectPtr _constructoridx;
    SQObjectPtr _thisstr;
    SQObjectPtr _vargvstr;

    SQObjectPtr _errorhandler;
    SQObjectPtr _debughook_closure;
    SQDEBUGHOOK _debughook_native = nullptr;
    SQCOMPILERERROR _compilererrorhandler = nullptr;
    SQPRINTFUNCTION _printfunc = nullptr;
    SQPRINTFUNCTION _errorfunc = nullptr;
    bool _debuginfo = false;
    bool _notifyallexceptions = false;
    SQUserPointer _foreignptr = nullptr;
    SQRELEASEHOOK _releasehook = nullptr;

    std::vector<SQChar> _scratchpad;
    // Host references taken with sq_addref: the value and its count.
    std::unordered_map<SQRefCounted*, std::pair<SQObjectPtr, SQUnsignedInteger>> _refs;

    SQSharedState();
    ~SQSharedState();
    void Init();
    SQString* String(const SQChar* s, SQInteger len = -1) { return _strings.Add(this, s, len); }
    SQObjectPtr StringObj(const SQChar* s, SQInteger len = -1) { return SQObjectPtr(String(s, len)); }
    SQChar* GetScratchPad(SQInteger size);
    const SQObjectPtr* DefaultDelegate(SQObjectType t) const;
    // Metamethod index of a member name, or -1.
    SQInteger MetaMethodIndex(const SQObject& name) const;

    // Collector: links and unlinks tracked objects.
    void Link(SQCollectable* c);
    void Unlink(SQCollectable* c);
    // Frees unreachable cycles; returns the number of objects freed. With
    // resurrect, the unreachable objects are handed back in an array instead.
    SQInteger Collect(SQObjectPtr* resurrect = nullptr);
    // Drops every reference of every tracked object: the end of the VM.
    void FinalizeAll();
};

// Registration helpers for the libraries written against the VM internals.
void sq_registerfuncs(SQSharedState* ss, SQTable* t, const SQRegFunction* funcs);
bool sq_compiletypemask(std::vector<SQInteger>& res, const SQChar* typemask);
SQTable* sq_createdelegate(SQSharedState* ss, const SQRegFunction* funcs);

// Default delegate function tables (sqdelegates*.cpp).
extern const SQRegFunction sq_table_delegate_funcs[];
extern const SQRegFunction sq_array_delegate_funcs[];
extern const SQRegFunction sq_string_delegate_funcs[];
extern const SQRegFunction sq_number_delegate_funcs[];
extern const SQRegFunction sq_closure_delegate_funcs[];
extern const SQRegFunction sq_generator_delegate_funcs[];
extern const SQRegFunction sq_thread_delegate_funcs[];
extern const SQRegFunction sq_class_delegate_funcs[];
extern const SQRegFunction sq_instance_delegate_funcs[];
extern const SQRegFunction sq_weakref_delegate_funcs[];
