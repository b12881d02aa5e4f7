// sqvm.h -- a virtual machine: one thread of execution with its own value
// stack and call stack. Threads made by newthread are VMs sharing the state.
#pragma once

#include <memory>

#include "platform/squirrel/sqclosure.h"
#include "platform/squirrel/sqstate.h"

// What a native function returns to suspend its VM.
#define SQ_SUSPEND_FLAG (-666)
// Limits that turn runaway scripts into script errors.
#define SQ_MAX_CALL_DEPTH 200000
#define SQ_MAX_STACK_SIZE (4 * 1024 * 1024)
#define SQ_MAX_NATIVE_CALLS 200

struct SQCallInfo {
    const SQInstruction* ip = nullptr;
    SQObjectPtr closure;
    SQInteger base = 0;     // stack index of register 0 ('this')
    SQInteger top = 0;      // first stack index past the frame
    SQInteger target = -1;  // caller register that receives the result, -1 for none
    SQInteger prevtop = 0;  // stack top to restore when the frame ends
    SQInteger prevstackbase = 0;
    SQGenerator* generator = nullptr;  // the generator running in this frame
    bool root = false;                 // returning from this frame leaves Execute
    bool native = false;
    bool ctor = false;  // constructor call: the result is 'this'
};

// The call frames of a VM. Frames live in fixed chunks that are kept once
// made, so a frame keeps its address while calls come and go above it.
class SQCallStack {
public:
    size_t size() const { return _size; }
    bool empty() const { return _size == 0; }
    SQCallInfo& operator[](size_t i) { return _chunks[i / CHUNK][i % CHUNK]; }
    const SQCallInfo& operator[](size_t i) const { return _chunks[i / CHUNK][i % CHUNK]; }
    SQCallInfo& back() { return (*this)[_size - 1]; }
    const SQCallInfo& back() const { return (*this)[_size - 1]; }
    // A new frame; the caller sets every field (see SQVM::PushFrame).
    SQCallInfo& push()
    {
        if (_size == _chunks.size() * CHUNK) _chunks.push_back(std::make_unique<SQCallInfo[]>(CHUNK));
        return (*this)[_size++];
    }
    void pop_back()
    {
        back().closure.Null();
        _size--;
    }

private:
    static constexpr size_t CHUNK = 64;
    std::vector<std::unique_ptr<SQCallInfo[]>> _chunks;
    size_t _size = 0;
};

struct SQVM : SQCollectable {
    std::vector<SQObjectPtr> _stack;
    SQInteger _top = 0;        // first free slot
    SQInteger _stackbase = 0;  // base of the running native function's frame
    SQCallStack _callstack;
    std::vector<SQExceptionTrap> _traps;
    SQOuter* _openouters = nullptr;
    SQObjectPtr _roottable;
    SQObjectPtr _lasterror;
    // Native calls and nested Execute runs of this VM alone (a suspend needs
    // none in between); the shared state counts those of all threads.
    SQInteger _nnativecalls = 0;
    SQInteger _nexecutes = 0;
    SQInteger _nosuppress = 0;    // nested calls made without error handler notification
    bool _errornotified = false;  // the handler already saw the current error
    SQInteger _state = SQ_VMSTATE_IDLE;
    SQInteger _suspendtarget = -1;  // register receiving the wakeup value
    SQUserPointer _foreignptr = nullptr;
    SQRELEASEHOOK _releasehook = nullptr;
    bool _indebughook = false;
    SQObjectPtr _lastresult;  // generator made by a call that pushed no frame

    static SQVM* Create(SQSharedState* ss, SQVM* friendvm, SQInteger stacksize);
    SQObjectType objType() const override { return OT_THREAD; }
    void release() override;
    void traverse(SQGCVisitor& v) override;
    void finalize() override;
    ~SQVM() override;
    SQSharedState* ss() const { return _sharedstate; }

    // --- stack -----------------------------------------------------------
    // Makes room for needed slots; false with "stack overflow" past the
    // limit scripts may use, unless the room is for the host's own values.
    bool GrowStack(SQInteger needed, bool limited = true);
    void Push(const SQObject& o)
    {
        if (_top >= (SQInteger)_stack.size()) {
            // o may be a slot of the stack that is about to move.
            SQObjectPtr kept(o);
            GrowStack(_top + 1, false);
            _stack[_top++] = std::move(kept);
            return;
        }
        _stack[_top++] = o;
    }
    void Pop(SQInteger n = 1)
    {
        while (n-- > 0 && _top > 0) _stack[--_top].Null();
    }
    SQObjectPtr& Top() { return _stack[_top - 1]; }
    SQObjectPtr& StackAt(SQInteger idx) { return idx >= 0 ? _stack[_stackbase + idx - 1] : _stack[_top + idx]; }
    SQInteger AbsIndex(SQInteger idx) const { return idx >= 0 ? _stackbase + idx - 1 : _top + idx; }

    // --- errors ----------------------------------------------------------
    void Raise_Error(const SQChar* fmt, ...);
    void Raise_Error(const SQObject& err);
    void Raise_IdxError(const SQObject& key);
    void Raise_CompareError(const SQObject& a, const SQObject& b);
    void Raise_ParamTypeError(SQInteger nparam, SQInteger typemask, SQInteger type);
    void CallErrorHandler(const SQObject& err);

    // --- calls -----------------------------------------------------------
    // Calls closure with nparams values on the stack starting at stackbase
    // ('this' first). Works for closures, native closures, classes and
    // objects with a _call metamethod.
    bool Call(const SQObject& closure, SQInteger nparams, SQInteger stackbase, SQObjectPtr& outres, bool raiseerror);
    bool CallNative(SQNativeClosure* nc, SQInteger nargs, SQInteger base, SQInteger prevtop, SQObjectPtr& retval,
                    bool& suspend);
    SQInteger RunNativeFunction(SQNativeClosure* nc);
    bool CallMetaMethod(const SQObject& closure, SQInteger nparams, SQObjectPtr& outres, bool raiseerror = true);
    // Pushes a frame for a script closure (pushed false when the closure is
    // a generator function: the generator goes to target instead).
    bool StartCall(SQClosure* closure, SQInteger target, SQInteger nargs, SQInteger base, SQInteger prevtop,
                   bool& pushed);
    bool Execute(const SQObject& closure, SQInteger nargs, SQInteger stackbase, SQObjectPtr& outres, bool raiseerror);
    bool Resume(SQGenerator* gen, SQObjectPtr& outres, bool raiseerror);
    bool WakeUp(bool hasvalue, const SQObject& value, SQObjectPtr& outres, bool raiseerror, bool throwerror);
    bool RunFrom(SQInteger depth, SQObjectPtr& outres, bool raiseerror, bool startwitherror);
    // The interpreter loop: runs the frames above depth until the root one returns.
    bool Run(SQInteger depth, SQObjectPtr& outres, bool startwitherror);
    bool CreateClassInstance(SQClass* cls, SQObjectPtr& inst, SQObjectPtr& constructor);
    bool ResumeGenerator(SQGenerator* gen, SQInteger target, bool root);
    void SaveGenerator(SQCallInfo& ci);
    // Pushes a call frame and makes it the current one.
    SQCallInfo& PushFrame(const SQObject& closure, const SQInstruction* ip, SQInteger base, SQInteger top,
                          SQInteger target, SQInteger prevtop)
    {
        SQCallInfo& ci = _callstack.push();
        ci.closure = closure;
        ci.ip = ip;
        ci.base = base;
        ci.top = top;
        ci.target = target;
        ci.prevtop = prevtop;
        ci.prevstackbase = _stackbase;
        ci.generator = nullptr;
        ci.root = ci.native = ci.ctor = false;
        _stackbase = base;
        _top = top;
        return ci;
    }
    void LeaveFrame();
    // Ends the current frame and hands val to the caller's target register;
    // true when the frame was the root one, whose value goes to outres.
    bool LeaveWithValue(SQObjectPtr& val, SQObjectPtr& outres);
    void CloseOuters(SQInteger fromidx);
    SQOuter* FindOuter(SQInteger idx);
    void RelocateOuters();
    void CallDebugHook(SQInteger type, SQInteger line = 0);

    // --- object operations (sqvmops.cpp) -----------------------------------
    // 0: found, 1: not found, 2: error. usedefault looks into the type's default delegate last.
    int GetImpl(const SQObject& self, const SQObject& key, SQObjectPtr& dest, bool raw, bool usedefault);
    bool Get(const SQObject& self, const SQObject& key, SQObjectPtr& dest, bool raw, bool raiseerror = true);
    bool Set(const SQObject& self, const SQObject& key, const SQObject& val);
    bool NewSlot(const SQObject& self, const SQObject& key, const SQObject& val, bool bstatic);
    bool DeleteSlot(const SQObject& self, const SQObject& key, SQObjectPtr& res);
    bool GetVar(const SQObject& self, const SQObject& root, const SQObject& key, SQObjectPtr& dest);
    bool SetVar(const SQObject& self, const SQObject& root, const SQObject& key, const SQObject& val);
    bool InvokeDefaultDelegate(const SQObject& self, const SQObject& key, SQObjectPtr& dest);
    // 0: found, 1: not found, 2: error
    int FallBackGet(const SQObject& self, const SQObject& key, SQObjectPtr& dest);
    int FallBackSet(const SQObject& self, const SQObject& key, const SQObject& val);
    bool GetMetaMethod(const SQObject& self, SQMetaMethod mm, SQObjectPtr& closure);
    bool Arith(SQInteger op, SQObjectPtr& trg, const SQObject& a, const SQObject& b);
    bool BitOp(SQInteger op, SQObjectPtr& trg, const SQObject& a, const SQObject& b);
    bool Negate(SQObjectPtr& trg, const SQObject& o);
    bool ObjCmp(const SQObject& a, const SQObject& b, SQInteger& res);
    bool CmpOp(SQInteger op, const SQObject& a, const SQObject& b, bool& res);
    bool IsEqual(const SQObject& a, const SQObject& b);
    bool ToString(const SQObject& o, SQObjectPtr& res);
    bool TypeOf(const SQObject& o, SQObjectPtr& res);
    bool Clone(const SQObject& self, SQObjectPtr& target);
    bool StringCat(const SQObject& a, const SQObject& b, SQObjectPtr& dest);
    bool In(const SQObject& key, const SQObject& obj, bool& res);
    // Iteration step for foreach and sq_next: false on error; done when finished.
    bool ForeachNext(const SQObject& container, SQObjectPtr& iter, SQObjectPtr& key, SQObjectPtr& val, bool& done);

private:
    using SQCollectable::SQCollectable;
};

// The delegate of a table or userdata, else null.
SQTable* sq_delegateof(const SQObject& o);

// Raw value to text for numbers, the language's way: integers as %d and
// floats as %g.
SQInteger sq_numtostr(const SQObject& o, SQChar* buf, SQInteger size);
// Parses a whole string as a number literal; false if it is not one.
bool sq_str2num(const SQChar* s, SQInteger len, SQObjectPtr& res, SQInteger base = 10);
