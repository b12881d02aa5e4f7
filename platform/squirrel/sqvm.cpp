// sqvm.cpp -- a VM's stack, call frames, calls into closures and native
// functions, generators, thread wake-ups, errors and the debug hook.
#include "platform/squirrel/sqvm.h"

#include <cstdarg>
#include <cstdio>
#include <new>
#include <stdexcept>

#include "platform/squirrel/sqarray.h"
#include "platform/squirrel/sqclass.h"
#include "platform/squirrel/sqtable.h"

SQVM* SQVM::Create(SQSharedState* ss, SQVM* friendvm, SQInteger stacksize)
{
    SQVM* v = new SQVM(ss);
    if (stacksize < 16) stacksize = 16;
    v->_stack.resize((size_t)stacksize);
    if (friendvm)
        v->_roottable = friendvm->_roottable;
    else
        v->_roottable = SQObjectPtr(SQTable::Create(ss));
    return v;
}

SQVM::~SQVM() { finalize(); }

namespace {
// A generator whose frame ends, by a return, an error or a dropped thread,
// is over: it cannot be resumed, and the frame's count on it goes.
void endFrameGenerator(SQGenerator* gen)
{
    gen->Kill();
    if (--gen->_uiRef == 0) sq_destroyobject(gen);
}
}  // namespace

void SQVM::release()
{
    if (_releasehook) _releasehook(_foreignptr, 0);
    delete this;
}

void SQVM::traverse(SQGCVisitor& v)
{
    for (SQInteger i = 0; i < (SQInteger)_stack.size(); i++) v.visit(_stack[i]);
    for (size_t i = 0; i < _callstack.size(); i++) {
        const SQCallInfo& ci = _callstack[i];
        v.visit(ci.closure);
        if (ci.generator) {  // the frame's count on its generator
            SQObject g;
            g._type = OT_GENERATOR;
            g._unVal.raw = 0;
            g._unVal.pGenerator = ci.generator;
            v.visit(g);
        }
    }
    for (SQOuter* o = _openouters; o; o = o->_next) {
        SQObject ob;
        ob._type = OT_OUTER;
        ob._unVal.pOuter = o;
        v.visit(ob);
    }
    v.visit(_roottable);
    v.visit(_lasterror);
}

void SQVM::finalize()
{
    CloseOuters(0);
    while (!_callstack.empty()) {
        SQGenerator* gen = _callstack.back().generator;
        _callstack.pop_back();
        if (gen) endFrameGenerator(gen);
    }
    _traps.clear();
    std::vector<SQObjectPtr> old;
    old.swap(_stack);
    _top = 0;
    _stackbase = 0;
    _roottable.Null();
    _lasterror.Null();
}

// --- stack -------------------------------------------------------------------

bool SQVM::GrowStack(SQInteger needed, bool limited)
{
    if (needed <= (SQInteger)_stack.size()) return true;
    if (limited && needed > SQ_MAX_STACK_SIZE) {
        Raise_Error("stack overflow");
        return false;
    }
    SQInteger size = (SQInteger)_stack.size() * 2;
    if (size < needed + 64) size = needed + 64;
    if (limited && size > SQ_MAX_STACK_SIZE) size = SQ_MAX_STACK_SIZE;
    _stack.resize((size_t)size);
    RelocateOuters();
    return true;
}

// --- errors ------------------------------------------------------------------

void SQVM::Raise_Error(const SQChar* fmt, ...)
{
    char buf[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    _lasterror = ss()->StringObj(buf);
    _errornotified = false;
}

void SQVM::Raise_Error(const SQObject& err)
{
    _lasterror = err;
    _errornotified = false;
}

void SQVM::Raise_IdxError(const SQObject& key)
{
    SQObjectPtr s;
    if (sq_type(key) == OT_STRING) {
        Raise_Error("the index '%.200s' does not exist", _string(key)->_val);
    } else if (sq_type(key) & SQOBJECT_NUMERIC) {
        char buf[64];
        sq_numtostr(key, buf, sizeof buf);
        Raise_Error("the index '%s' does not exist", buf);
    } else {
        Raise_Error("the index '%s' does not exist", sq_typename(key));
    }
}

void SQVM::Raise_CompareError(const SQObject& a, const SQObject& b)
{
    Raise_Error("comparison between '%s' and '%s'", sq_typename(a), sq_typename(b));
}

void SQVM::Raise_ParamTypeError(SQInteger nparam, SQInteger typemask, SQInteger type)
{
    std::string expected;
    for (SQInteger bit = 1; bit <= _RT_OUTER; bit <<= 1) {
        if (typemask & bit) {
            if (!expected.empty()) expected += " or ";
            expected += sq_typename((SQObjectType)bit);
        }
    }
    Raise_Error("parameter %d has an invalid type '%s' ; expected: '%s'", (int)nparam, sq_typename((SQObjectType)type),
                expected.c_str());
}

void SQVM::CallErrorHandler(const SQObject& err)
{
    _errornotified = true;
    SQObjectPtr handler = ss()->_errorhandler;
    if (sq_type(handler) == OT_NULL || _indebughook) return;
    bool saved = _indebughook;
    _indebughook = true;
    SQObjectPtr errcopy(err);
    SQObjectPtr lasterror = _lasterror;
    SQInteger top = _top;
    Push(handler);
    Push(_roottable);
    Push(errcopy);
    SQObjectPtr ret;
    _nosuppress++;
    Call(handler, 2, _top - 2, ret, false);
    _nosuppress--;
    while (_top > top) Pop();
    _lasterror = lasterror;
    _errornotified = true;
    _indebughook = saved;
}

void SQVM::CallDebugHook(SQInteger type, SQInteger line)
{
    SQSharedState* s = ss();
    if (_indebughook || _callstack.empty()) return;
    _indebughook = true;
    const SQCallInfo& ci = _callstack.back();
    const SQChar* src = "NATIVE";
    const SQChar* fname = "unknown";
    if (sq_type(ci.closure) == OT_CLOSURE) {
        SQFunctionProto* p = _closure(ci.closure)->proto();
        if (sq_type(p->_sourcename) == OT_STRING) src = _string(p->_sourcename)->_val;
        if (sq_type(p->_name) == OT_STRING) fname = _string(p->_name)->_val;
        if (type != 'l' && line == 0) line = p->GetLine(ci.ip - p->_code.data());
    } else if (sq_type(ci.closure) == OT_NATIVECLOSURE && sq_type(_nativeclosure(ci.closure)->_name) == OT_STRING) {
        fname = _string(_nativeclosure(ci.closure)->_name)->_val;
    }
    if (s->_debughook_native) {
        s->_debughook_native(this, type, src, line, fname);
    } else if (sq_type(s->_debughook_closure) != OT_NULL) {
        SQObjectPtr hook = s->_debughook_closure;
        SQObjectPtr lasterror = _lasterror;
        SQInteger top = _top;
        Push(hook);
        Push(_roottable);
        Push(SQObjectPtr(type));
        Push(s->StringObj(src));
        Push(SQObjectPtr(line));
        Push(s->StringObj(fname));
        SQObjectPtr ret;
        Call(hook, 5, _top - 5, ret, false);
        while (_top > top) Pop();
        _lasterror = lasterror;
    }
    _indebughook = false;
}

// --- outers ------------------------------------------------------------------

SQOuter* SQVM::FindOuter(SQInteger idx)
{
    SQOuter** pp = &_openouters;
    while (*pp && (*pp)->_idx > idx) pp = &(*pp)->_next;
    if (*pp && (*pp)->_idx == idx) return *pp;
    SQOuter* o = SQOuter::Create(ss(), &_stack[idx]);
    o->_idx = idx;
    o->_next = *pp;
    *pp = o;
    o->_uiRef++;  // the open list's reference
    return o;
}

void SQVM::CloseOuters(SQInteger fromidx)
{
    while (_openouters && _openouters->_idx >= fromidx) {
        SQOuter* o = _openouters;
        _openouters = o->_next;
        o->_next = nullptr;
        o->_value = *o->_valptr;
        o->_valptr = &o->_value;
        if (--o->_uiRef == 0) sq_destroyobject(o);
    }
}

void SQVM::RelocateOuters()
{
    for (SQOuter* o = _openouters; o; o = o->_next) o->_valptr = &_stack[o->_idx];
}

// --- frames ------------------------------------------------------------------

void SQVM::LeaveFrame()
{
    SQCallInfo& ci = _callstack.back();
    SQInteger depth = (SQInteger)_callstack.size() - 1;
    if (_openouters && _openouters->_idx >= ci.base) CloseOuters(ci.base);
    while (!_traps.empty() && _traps.back().callDepth >= depth) _traps.pop_back();
    // Values left in the frame are released; the rest need not be cleared.
    SQInteger end = _top > ci.top ? _top : ci.top;
    for (SQObjectPtr *p = _stack.data() + ci.base, *e = _stack.data() + end; p < e; ++p) {
        if (ISREFCOUNTED(p->_type)) p->Null();
    }
    _top = ci.prevtop;
    _stackbase = ci.prevstackbase;
    SQGenerator* gen = ci.generator;
    _callstack.pop_back();
    if (gen) endFrameGenerator(gen);
}

bool SQVM::LeaveWithValue(SQObjectPtr& val, SQObjectPtr& outres)
{
    SQCallInfo& ci = _callstack.back();
    bool root = ci.root;
    SQInteger target = ci.target;
    LeaveFrame();
    if (root) {
        outres = std::move(val);
        return true;
    }
    if (target >= 0) _stack[_callstack.back().base + target] = std::move(val);
    return false;
}

bool SQVM::StartCall(SQClosure* closure, SQInteger target, SQInteger nargs, SQInteger base, SQInteger prevtop,
                     bool& pushed)
{
    pushed = false;
    SQFunctionProto* p = closure->proto();
    SQInteger nparams = p->_nparams;
    SQInteger needed = base + (p->_stacksize > nargs ? p->_stacksize : nargs) + 1;
    if ((SQInteger)_callstack.size() >= SQ_MAX_CALL_DEPTH) {
        Raise_Error("stack overflow");
        return false;
    }
    if (needed > (SQInteger)_stack.size() && !GrowStack(needed)) return false;
    if (nargs != nparams) {
        if (nargs < nparams) {
            SQInteger ndef = p->_ndefaults;
            if (nparams - nargs > ndef) {
                Raise_Error("wrong number of parameters");
                return false;
            }
            for (SQInteger i = nargs; i < nparams; i++)
                _stack[base + i] = closure->_defaultparams[i - (nparams - ndef)];
        } else if (!p->_varparams) {
            Raise_Error("wrong number of parameters");
            return false;
        }
    }
    if (p->_varparams) {
        SQArray* vargv = SQArray::Create(ss(), 0);
        SQObjectPtr varr(vargv);
        for (SQInteger i = nparams; i < nargs; i++) {
            vargv->_values.push_back(std::move(_stack[base + i]));
            _stack[base + i].Null();
        }
        _stack[base + nparams] = varr;
    }
    if (sq_type(closure->_env) == OT_WEAKREF) _stack[base] = _weakref(closure->_env)->_obj;
    if (p->_generator) {
        // Calling a generator function makes a suspended generator holding
        // the frame; the body runs on the first resume.
        SQGenerator* gen = SQGenerator::Create(ss(), SQObjectPtr(closure));
        SQObjectPtr genref(gen);
        gen->_stack.resize((size_t)p->_stacksize);
        for (SQInteger i = 0; i < p->_stacksize; i++) {
            gen->_stack[i] = std::move(_stack[base + i]);
            _stack[base + i].Null();
        }
        for (SQInteger i = p->_stacksize; i < nargs; i++) _stack[base + i].Null();
        gen->_ip = p->_code.data();
        if (target >= 0) _stack[_callstack.back().base + target] = genref;
        _lastresult = genref;
        return true;
    }
    SQObjectPtr ref(closure);
    PushFrame(ref, p->_code.data(), base, base + p->_stacksize, target, prevtop);
    pushed = true;
    if (ss()->_debughook_native || sq_type(ss()->_debughook_closure) != OT_NULL) CallDebugHook('c');
    return true;
}

bool SQVM::CallNative(SQNativeClosure* nc, SQInteger nargs, SQInteger base, SQInteger prevtop, SQObjectPtr& retval,
                      bool& suspend)
{
    suspend = false;
    if (nc->_nparamscheck != 0) {
        if ((nc->_nparamscheck > 0 && nargs != nc->_nparamscheck) ||
            (nc->_nparamscheck < 0 && nargs < -nc->_nparamscheck)) {
            Raise_Error("wrong number of parameters");
            return false;
        }
    }
    SQInteger nchecks = (SQInteger)nc->_typecheck.size();
    for (SQInteger i = 0; i < nchecks && i < nargs; i++) {
        SQInteger mask = nc->_typecheck[i];
        SQInteger t = sq_type(_stack[base + i]);
        if (mask != -1 && !(t & mask)) {
            Raise_ParamTypeError(i, mask, t);
            return false;
        }
    }
    if (ss()->_nnativecalls + 1 > SQ_MAX_NATIVE_CALLS || (SQInteger)_callstack.size() >= SQ_MAX_CALL_DEPTH) {
        Raise_Error("native stack overflow");
        return false;
    }
    SQInteger nouters = (SQInteger)nc->_outervalues.size();
    if (!GrowStack(base + nargs + nouters + 64)) return false;
    if (sq_type(nc->_env) == OT_WEAKREF) _stack[base] = _weakref(nc->_env)->_obj;
    for (SQInteger i = 0; i < nouters; i++) _stack[base + nargs + i] = nc->_outervalues[i];
    SQInteger oldtop = _top;
    SQObjectPtr ref(nc);
    PushFrame(ref, nullptr, base, base + nargs + nouters, -1, prevtop).native = true;
    for (SQInteger i = _top; i < oldtop; i++) _stack[i].Null();
    bool hook = ss()->_debughook_native || sq_type(ss()->_debughook_closure) != OT_NULL;
    if (hook) CallDebugHook('c');
    _nnativecalls++;
    ss()->_nnativecalls++;
    SQInteger ret = RunNativeFunction(nc);
    ss()->_nnativecalls--;
    _nnativecalls--;
    if (hook) CallDebugHook('r');
    if (ret == SQ_SUSPEND_FLAG) {
        if (_nexecutes != 1 || _nnativecalls != 0 || _callstack.size() < 2 ||
            _callstack[_callstack.size() - 2].native) {
            Raise_Error("cannot suspend through native calls/metamethods");
            ret = SQ_ERROR;
        } else {
            suspend = true;
            ret = 1;
        }
    }
    if (ret < 0) {
        LeaveFrame();
        return false;
    }
    if (ret > 0 && _top > 0)
        retval = _stack[_top - 1];
    else
        retval.Null();
    LeaveFrame();
    return true;
}

// Running out of memory in a native function, or in script code it calls,
// is a script error. The frames and nesting counts the exception skipped are
// unwound down to the native's own frame.
SQInteger SQVM::RunNativeFunction(SQNativeClosure* nc)
{
    size_t depth = _callstack.size();
    SQInteger nexecutes = _nexecutes, nnativecalls = _nnativecalls, nosuppress = _nosuppress;
    bool indebughook = _indebughook;
    SQInteger ssexecutes = ss()->_nexecutes, ssnativecalls = ss()->_nnativecalls;
    try {
        return nc->_function(this);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    while (_callstack.size() > depth) LeaveFrame();
    _nexecutes = nexecutes;
    _nnativecalls = nnativecalls;
    _nosuppress = nosuppress;
    _indebughook = indebughook;
    ss()->_nexecutes = ssexecutes;
    ss()->_nnativecalls = ssnativecalls;
    Raise_Error("out of memory");
    return SQ_ERROR;
}

bool SQVM::CreateClassInstance(SQClass* cls, SQObjectPtr& inst, SQObjectPtr& constructor)
{
    inst = SQObjectPtr(cls->CreateInstance());
    constructor = cls->_constructor;
    return true;
}

// Calls a metamethod with 'this' and its arguments already pushed on top.
bool SQVM::CallMetaMethod(const SQObject& closure, SQInteger nparams, SQObjectPtr& outres, bool raiseerror)
{
    SQObjectPtr fn(closure);
    SQInteger base = _top - nparams;
    bool ok = Call(fn, nparams, base, outres, raiseerror);
    // A script call pops its parameters itself, other calls leave them.
    while (_top > base) Pop();
    return ok;
}

bool SQVM::Call(const SQObject& closure, SQInteger nparams, SQInteger stackbase, SQObjectPtr& outres, bool raiseerror)
{
    SQObjectPtr fn(closure);
    switch (sq_type(fn)) {
        case OT_CLOSURE:
            return Execute(fn, nparams, stackbase, outres, raiseerror);
        case OT_NATIVECLOSURE: {
            bool suspend;
            bool ok = CallNative(_nativeclosure(fn), nparams, stackbase, stackbase, outres, suspend);
            if (!ok && raiseerror && !_errornotified && _traps.empty() && _nosuppress == 0)
                CallErrorHandler(_lasterror);
            return ok;
        }
        case OT_CLASS: {
            SQObjectPtr inst, ctor;
            CreateClassInstance(_class(fn), inst, ctor);
            if (sq_type(ctor) != OT_NULL) {
                _stack[stackbase] = inst;
                SQObjectPtr ignored;
                if (!Call(ctor, nparams, stackbase, ignored, raiseerror)) return false;
            }
            outres = inst;
            return true;
        }
        case OT_TABLE:
        case OT_USERDATA:
        case OT_INSTANCE: {
            SQObjectPtr mm;
            if (GetMetaMethod(fn, MT_CALL, mm)) {
                SQInteger top = _top;
                Push(mm);
                Push(fn);
                for (SQInteger i = 0; i < nparams; i++) Push(SQObjectPtr(_stack[stackbase + i]));
                bool ok = Call(mm, nparams + 1, top + 1, outres, raiseerror);
                while (_top > top) Pop();
                return ok;
            }
            break;
        }
        default:
            break;
    }
    Raise_Error("attempt to call '%s'", sq_typename(fn));
    return false;
}

bool SQVM::Execute(const SQObject& closure, SQInteger nargs, SQInteger stackbase, SQObjectPtr& outres, bool raiseerror)
{
    SQInteger depth = (SQInteger)_callstack.size();
    bool pushed;
    // Each nested run is a level of native recursion.
    if (ss()->_nexecutes >= SQ_MAX_NATIVE_CALLS) {
        Raise_Error("native stack overflow");
        return false;
    }
    if (!StartCall(_closure(closure), -1, nargs, stackbase, stackbase, pushed)) {
        if (raiseerror && !_errornotified && _traps.empty() && _nosuppress == 0) CallErrorHandler(_lasterror);
        return false;
    }
    if (!pushed) {
        outres = _lastresult;
        _lastresult.Null();
        return true;
    }
    _callstack.back().root = true;
    return RunFrom(depth, outres, raiseerror, false);
}

bool SQVM::RunFrom(SQInteger depth, SQObjectPtr& outres, bool raiseerror, bool startwitherror)
{
    _nexecutes++;
    ss()->_nexecutes++;
    if (!raiseerror) _nosuppress++;
    bool ok = Run(depth, outres, startwitherror);
    if (!raiseerror) _nosuppress--;
    ss()->_nexecutes--;
    _nexecutes--;
    return ok;
}

// --- generators --------------------------------------------------------------

bool SQVM::ResumeGenerator(SQGenerator* gen, SQInteger target, bool root)
{
    if (gen->_state == SQGenerator::eDead) {
        Raise_Error("resuming dead generator");
        return false;
    }
    if (gen->_state == SQGenerator::eRunning) {
        Raise_Error("resuming active generator");
        return false;
    }
    SQInteger prevtop = _top;
    SQInteger base = (root || _callstack.empty() ? _top : _callstack.back().top) + 1;
    if (!root && !_callstack.empty()) prevtop = _callstack.back().top;
    SQInteger size = (SQInteger)gen->_stack.size();
    if ((SQInteger)_callstack.size() >= SQ_MAX_CALL_DEPTH) {
        Raise_Error("stack overflow");
        return false;
    }
    if (!GrowStack(base + size + 1)) return false;
    _stack[base - 1] = gen->_func;
    for (SQInteger i = 0; i < size; i++) _stack[base + i] = std::move(gen->_stack[i]);
    gen->_stack.clear();
    // The saved frame's captured variables live on the stack again.
    for (size_t i = gen->_outers.size(); i-- > 0;) {
        SQOuter* o = gen->_outers[i];
        o->_idx += base;
        o->_valptr = &_stack[o->_idx];
        SQOuter** pp = &_openouters;
        while (*pp && (*pp)->_idx > o->_idx) pp = &(*pp)->_next;
        o->_next = *pp;
        *pp = o;
    }
    gen->_outers.clear();
    SQInteger depth = (SQInteger)_callstack.size();
    for (SQExceptionTrap t : gen->_traps) {
        t.callDepth = depth;
        _traps.push_back(t);
    }
    gen->_traps.clear();
    SQCallInfo& ci = PushFrame(gen->_func, gen->_ip, base, base + size, target, prevtop);
    ci.generator = gen;
    ci.root = root;
    gen->_uiRef++;  // the frame keeps the generator alive while it runs
    _top = ci.top;
    gen->_state = SQGenerator::eRunning;
    return true;
}

void SQVM::SaveGenerator(SQCallInfo& ci)
{
    SQGenerator* gen = ci.generator;
    SQInteger size = ci.top - ci.base;
    gen->_stack.resize((size_t)size);
    for (SQInteger i = 0; i < size; i++) gen->_stack[i] = std::move(_stack[ci.base + i]);
    while (_openouters && _openouters->_idx >= ci.base) {
        SQOuter* o = _openouters;
        _openouters = o->_next;
        o->_next = nullptr;
        o->_idx -= ci.base;
        o->_valptr = &gen->_stack[o->_idx];
        gen->_outers.push_back(o);
    }
    SQInteger depth = (SQInteger)_callstack.size() - 1;
    size_t first = _traps.size();
    while (first > 0 && _traps[first - 1].callDepth >= depth) first--;
    gen->_traps.assign(_traps.begin() + (long)first, _traps.end());
    _traps.resize(first);
    gen->_ip = ci.ip;
    gen->_state = SQGenerator::eSuspended;
    ci.generator = nullptr;
    if (--gen->_uiRef == 0) sq_destroyobject(gen);
}

bool SQVM::Resume(SQGenerator* gen, SQObjectPtr& outres, bool raiseerror)
{
    SQInteger depth = (SQInteger)_callstack.size();
    SQObjectPtr keep(gen);
    if (!ResumeGenerator(gen, -1, true)) return false;
    return RunFrom(depth, outres, raiseerror, false);
}

// --- threads -----------------------------------------------------------------

bool SQVM::WakeUp(bool hasvalue, const SQObject& value, SQObjectPtr& outres, bool raiseerror, bool throwerror)
{
    if (_state != SQ_VMSTATE_SUSPENDED || _callstack.empty()) {
        Raise_Error("cannot wakeup a thread that is not suspended");
        return false;
    }
    SQObjectPtr val = hasvalue ? SQObjectPtr(value) : SQObjectPtr();
    _state = SQ_VMSTATE_RUNNING;
    if (_suspendtarget >= 0) _stack[_callstack.back().base + _suspendtarget] = val;
    if (throwerror) Raise_Error(val);
    bool ok = RunFrom(0, outres, raiseerror, throwerror);
    if (_state == SQ_VMSTATE_RUNNING) _state = SQ_VMSTATE_IDLE;
    return ok;
}
