// sqexec.cpp -- the interpreter loop of the register machine.
#include <cmath>

#include "platform/squirrel/sqarray.h"
#include "platform/squirrel/sqclass.h"
#include "platform/squirrel/sqtable.h"
#include "platform/squirrel/sqvm.h"

namespace {

inline bool bothInt(const SQObject& a, const SQObject& b)
{
    return sq_type(a) == OT_INTEGER && sq_type(b) == OT_INTEGER;
}
inline bool bothNum(const SQObject& a, const SQObject& b)
{
    return (sq_type(a) & SQOBJECT_NUMERIC) && (sq_type(b) & SQOBJECT_NUMERIC);
}

inline bool intCompare(int op, SQInteger x, SQInteger y)
{
    switch (op) {
        case OP_LT:
            return x < y;
        case OP_LE:
            return x <= y;
        case OP_GT:
            return x > y;
        case OP_GE:
            return x >= y;
        case OP_EQ:
            return x == y;
        default:
            return x != y;
    }
}

inline SQInteger wrapAdd(SQInteger a, SQInteger b) { return (SQInteger)((SQUnsignedInteger)a + (SQUnsignedInteger)b); }
inline SQInteger wrapSub(SQInteger a, SQInteger b) { return (SQInteger)((SQUnsignedInteger)a - (SQUnsignedInteger)b); }
inline SQInteger wrapMul(SQInteger a, SQInteger b) { return (SQInteger)((SQUnsignedInteger)a * (SQUnsignedInteger)b); }

}  // namespace

bool SQVM::Run(SQInteger depth, SQObjectPtr& outres, bool startwitherror)
{
    SQSharedState* const s = ss();
    SQCallInfo* ci = nullptr;
    const SQInstruction* ip = nullptr;
    SQInteger base = 0;
    SQClosure* cl = nullptr;
    const SQObjectPtr* lits = nullptr;
    const SQInstruction* code = nullptr;
    int32_t* hints = nullptr;  // per instruction, see SQTable::GetSlotHinted

#define STK(x) (_stack.data()[base + (x)])
#define GC_CHECK()                                                                    \
    if (s->_gccount > s->_gcthreshold) {                                              \
        s->Collect();                                                                 \
        s->_gcthreshold = s->_gccount * 2 > 4096 ? s->_gccount * 2 : (SQInteger)4096; \
    }

    if (startwitherror) goto error;

reload:
    ci = &_callstack.back();
    ip = ci->ip;
    base = ci->base;
    cl = _closure(ci->closure);
    lits = cl->proto()->_literals.data();
    code = cl->proto()->_code.data();
    hints = cl->proto()->_hints.data();
    for (;;) {
        const SQInstruction i = *ip++;
        ci->ip = ip;
        // Registers of the frame. Valid until something runs script code or
        // grows the stack; slow paths below use STK instead.
        SQObjectPtr* const R = _stack.data() + base;
        switch (i.op) {
            case OP_LINE:
                if (s->_debughook_native || sq_type(s->_debughook_closure) != OT_NULL) CallDebugHook('l', i.arg);
                break;
            case OP_LOAD:
                R[i.a] = lits[i.arg];
                break;
            case OP_LOADINT:
                R[i.a].setInteger(i.arg);
                break;
            case OP_LOADFLOAT: {
                SQFloat f;
                memcpy(&f, &i.arg, sizeof f);
                STK(i.a).setFloat(f);
                break;
            }
            case OP_LOADNULLS:
                for (int n = 0; n < i.arg; n++) STK(i.a + n).Null();
                break;
            case OP_LOADBOOL:
                STK(i.a).setBool(i.b != 0);
                break;
            case OP_LOADROOT:
                if (sq_type(cl->_root) == OT_WEAKREF && sq_type(_weakref(cl->_root)->_obj) != OT_NULL)
                    STK(i.a) = _weakref(cl->_root)->_obj;
                else
                    STK(i.a) = _roottable;
                break;
            case OP_MOVE:
                R[i.a] = R[i.b];
                break;
            case OP_GETOUTER:
                STK(i.a) = *_outer(cl->_outervalues[i.b])->_valptr;
                break;
            case OP_SETOUTER:
                *_outer(cl->_outervalues[i.a])->_valptr = STK(i.b);
                break;
            case OP_NEWTABLE:
                GC_CHECK();
                STK(i.a) = SQObjectPtr(SQTable::Create(s, i.arg));
                break;
            case OP_NEWARRAY: {
                GC_CHECK();
                SQArray* a = SQArray::Create(s, 0);
                a->_values.reserve((size_t)i.arg);
                STK(i.a) = SQObjectPtr(a);
                break;
            }
            case OP_APPENDARRAY:
                // Compiled code only appends to a new array; a read closure may not.
                if (sq_type(STK(i.a)) != OT_ARRAY) {
                    Raise_Error("cannot append to a '%s'", sq_typename(STK(i.a)));
                    goto error;
                }
                _array(STK(i.a))->Append(STK(i.b));
                break;
            case OP_NEWSLOT:
            case OP_NEWSLOTK: {
                const SQObject& key = i.op == OP_NEWSLOTK ? lits[i.arg] : STK(i.b);
                SQObjectPtr& obj = STK(i.a);
                if (sq_type(obj) == OT_TABLE && !_table(obj)->_delegate && sq_type(key) != OT_NULL) {
                    _table(obj)->NewSlot(key, STK(i.c));
                    break;
                }
                SQObjectPtr o(obj), k(key), v(STK(i.c));
                if (!NewSlot(o, k, v, false)) goto error;
                break;
            }
            case OP_NEWMEMBER: {
                SQObjectPtr cls(STK(i.a)), key(STK(i.b)), val(STK(i.c)), attrs;
                bool bstatic = (i.arg & 1) != 0;
                if (i.arg >> 1) attrs = STK((i.arg >> 1) - 1);
                if (sq_type(cls) != OT_CLASS) {
                    Raise_Error("new member only works with classes");
                    goto error;
                }
                const SQObjectPtr* mm = _class(cls)->GetMetaMethod(MT_NEWMEMBER);
                if (mm) {
                    SQObjectPtr fn(*mm), ret;
                    Push(cls);
                    Push(key);
                    Push(val);
                    Push(attrs);
                    Push(SQObjectPtr(bstatic));
                    if (!CallMetaMethod(fn, 5, ret)) goto error;
                    break;
                }
                if (!NewSlot(cls, key, val, bstatic)) goto error;
                if (sq_type(attrs) != OT_NULL) _class(cls)->SetAttributes(key, attrs);
                break;
            }
            case OP_GET:
            case OP_GETK: {
                const SQObject& obj = R[i.b];
                const SQObject& key = i.op == OP_GETK ? lits[i.arg] : R[i.c];
                if (sq_type(obj) == OT_TABLE) {
                    SQObjectPtr* slot = i.op == OP_GETK ? _table(obj)->GetSlotHinted(key, hints[ip - 1 - code])
                                                        : _table(obj)->GetSlot(key);
                    if (slot) {
                        R[i.a] = sq_realval(*slot);
                        break;
                    }
                } else if (sq_type(obj) == OT_ARRAY && sq_type(key) == OT_INTEGER) {
                    SQArray* a = _array(obj);
                    SQInteger idx = _integer(key);
                    if (idx >= 0 && idx < a->Size()) {
                        R[i.a] = sq_realval(a->_values[idx]);
                        break;
                    }
                }
                SQObjectPtr o(obj), k(key), tmp;
                if (!Get(o, k, tmp, false)) goto error;
                STK(i.a) = std::move(tmp);
                break;
            }
            case OP_SET:
            case OP_SETK: {
                const SQObject& obj = R[i.a];
                const SQObject& key = i.op == OP_SETK ? lits[i.arg] : R[i.b];
                if (sq_type(obj) == OT_TABLE) {
                    SQObjectPtr* slot = _table(obj)->GetSlot(key);
                    if (slot) {
                        *slot = R[i.c];
                        break;
                    }
                } else if (sq_type(obj) == OT_ARRAY && sq_type(key) == OT_INTEGER) {
                    SQArray* a = _array(obj);
                    SQInteger idx = _integer(key);
                    if (idx >= 0 && idx < a->Size()) {
                        a->_values[idx] = R[i.c];
                        break;
                    }
                }
                SQObjectPtr o(obj), k(key), v(STK(i.c));
                if (!Set(o, k, v)) goto error;
                break;
            }
            case OP_GETVAR: {
                SQObjectPtr tmp;
                const SQObject& thisobj = STK(0);
                if (sq_type(thisobj) == OT_TABLE) {
                    SQObjectPtr* slot = _table(thisobj)->GetSlotHinted(lits[i.arg], hints[ip - 1 - code]);
                    if (slot) {
                        STK(i.a) = sq_realval(*slot);
                        break;
                    }
                }
                SQObjectPtr self(thisobj), root;
                if (sq_type(cl->_root) == OT_WEAKREF) root = _weakref(cl->_root)->_obj;
                if (!GetVar(self, root, lits[i.arg], tmp)) goto error;
                STK(i.a) = std::move(tmp);
                break;
            }
            case OP_SETVAR: {
                SQObjectPtr self(STK(0)), root, val(STK(i.b));
                if (sq_type(cl->_root) == OT_WEAKREF) root = _weakref(cl->_root)->_obj;
                if (!SetVar(self, root, lits[i.arg], val)) goto error;
                break;
            }
            case OP_DELETE: {
                SQObjectPtr o(STK(i.b)), k(STK(i.c)), res;
                if (!DeleteSlot(o, k, res)) goto error;
                STK(i.a) = std::move(res);
                break;
            }
#define ARITH(OPC, CH, INTEXPR, FLTEXPR)                    \
    case OPC: {                                             \
        const SQObject& x = R[i.b];                         \
        const SQObject& y = R[i.c];                         \
        if (bothInt(x, y)) {                                \
            SQInteger ix = _integer(x), iy = _integer(y);   \
            R[i.a].setInteger(INTEXPR);                     \
        } else if (bothNum(x, y)) {                         \
            SQFloat fx = sq_tofloat(x), fy = sq_tofloat(y); \
            R[i.a].setFloat(FLTEXPR);                       \
        } else {                                            \
            SQObjectPtr xx(x), yy(y), r;                    \
            if (!Arith(CH, r, xx, yy)) goto error;          \
            STK(i.a) = std::move(r);                        \
        }                                                   \
        break;                                              \
    }
                ARITH(OP_ADD, '+', wrapAdd(ix, iy), fx + fy)
                ARITH(OP_SUB, '-', wrapSub(ix, iy), fx - fy)
                ARITH(OP_MUL, '*', wrapMul(ix, iy), fx * fy)
#undef ARITH
            case OP_DIV:
            case OP_MOD: {
                SQObjectPtr xx(STK(i.b)), yy(STK(i.c)), r;
                if (!Arith(i.op == OP_DIV ? '/' : '%', r, xx, yy)) goto error;
                STK(i.a) = std::move(r);
                break;
            }
            case OP_ADDK:
            case OP_SUBK: {
                const SQObject& x = R[i.b];
                const SQObject& y = lits[i.arg];
                bool add = i.op == OP_ADDK;
                if (bothInt(x, y)) {
                    R[i.a].setInteger(add ? wrapAdd(_integer(x), _integer(y)) : wrapSub(_integer(x), _integer(y)));
                } else if (bothNum(x, y)) {
                    R[i.a].setFloat(add ? sq_tofloat(x) + sq_tofloat(y) : sq_tofloat(x) - sq_tofloat(y));
                } else {
                    SQObjectPtr xx(x), yy(y), r;
                    if (!Arith(add ? '+' : '-', r, xx, yy)) goto error;
                    STK(i.a) = std::move(r);
                }
                break;
            }
            case OP_BITAND:
            case OP_BITOR:
            case OP_BITXOR:
            case OP_SHL:
            case OP_SHR:
            case OP_USHR: {
                SQObjectPtr xx(STK(i.b)), yy(STK(i.c)), r;
                if (!BitOp(i.op, r, xx, yy)) goto error;
                STK(i.a) = std::move(r);
                break;
            }
            case OP_EQ:
            case OP_NE: {
                bool eq = IsEqual(STK(i.b), STK(i.c));
                STK(i.a).setBool(i.op == OP_EQ ? eq : !eq);
                break;
            }
            case OP_LT:
            case OP_LE:
            case OP_GT:
            case OP_GE: {
                const SQObject& x = STK(i.b);
                const SQObject& y = STK(i.c);
                bool r;
                if (bothInt(x, y)) {
                    r = intCompare(i.op, _integer(x), _integer(y));
                } else {
                    SQObjectPtr xx(x), yy(y);
                    if (!CmpOp(i.op, xx, yy, r)) goto error;
                }
                STK(i.a).setBool(r);
                break;
            }
            case OP_CMP3: {
                SQObjectPtr xx(STK(i.b)), yy(STK(i.c));
                SQInteger r;
                if (!ObjCmp(xx, yy, r)) goto error;
                STK(i.a).setInteger(r);
                break;
            }
            case OP_JCMP:
            case OP_JCMPK: {
                const SQObject& x = R[i.a];
                const SQObject& y = i.op == OP_JCMPK ? lits[i.b] : R[i.b];
                int op = i.c & 0x7F;
                bool jumpIfTrue = (i.c & 0x80) != 0;
                bool r;
                if (bothInt(x, y)) {
                    r = intCompare(op, _integer(x), _integer(y));
                } else if (op == OP_EQ || op == OP_NE) {
                    r = IsEqual(x, y) == (op == OP_EQ);
                } else {
                    SQObjectPtr xx(x), yy(y);
                    if (!CmpOp(op, xx, yy, r)) goto error;
                }
                if (r == jumpIfTrue) ip += i.arg;
                break;
            }
            case OP_IN: {
                SQObjectPtr k(STK(i.b)), o(STK(i.c));
                bool r;
                if (!In(k, o, r)) goto error;
                STK(i.a).setBool(r);
                break;
            }
            case OP_INSTANCEOF: {
                const SQObject& c = STK(i.c);
                if (sq_type(c) != OT_CLASS) {
                    Raise_Error("cannot apply instanceof between a %s and a %s", sq_typename(STK(i.b)), sq_typename(c));
                    goto error;
                }
                const SQObject& o = STK(i.b);
                bool r = sq_type(o) == OT_INSTANCE && _instance(o)->InstanceOf(_class(c));
                STK(i.a).setBool(r);
                break;
            }
            case OP_NEG: {
                const SQObject& x = STK(i.b);
                if (sq_type(x) == OT_INTEGER) {
                    STK(i.a).setInteger(wrapSub(0, _integer(x)));
                } else if (sq_type(x) == OT_FLOAT) {
                    STK(i.a).setFloat(-_float(x));
                } else {
                    SQObjectPtr xx(x), r;
                    if (!Negate(r, xx)) goto error;
                    STK(i.a) = std::move(r);
                }
                break;
            }
            case OP_NOT:
                STK(i.a).setBool(sq_isfalse(STK(i.b)));
                break;
            case OP_BITNOT:
                if (sq_type(STK(i.b)) != OT_INTEGER) {
                    Raise_Error("attempt to perform a bitwise op on a %s", sq_typename(STK(i.b)));
                    goto error;
                }
                STK(i.a).setInteger(~_integer(STK(i.b)));
                break;
            case OP_TYPEOF: {
                SQObjectPtr o(STK(i.b)), r;
                if (!TypeOf(o, r)) goto error;
                STK(i.a) = std::move(r);
                break;
            }
            case OP_CLONE: {
                SQObjectPtr o(STK(i.b)), r;
                if (!Clone(o, r)) goto error;
                STK(i.a) = std::move(r);
                break;
            }
            case OP_JMP:
                ip += i.arg;
                break;
            case OP_JZ:
                if (sq_isfalse(R[i.a])) ip += i.arg;
                break;
            case OP_JNZ:
                if (!sq_isfalse(R[i.a])) ip += i.arg;
                break;
            case OP_TAILCALL: {
                const SQObject& fn = STK(i.a);
                SQInteger mydepth = (SQInteger)_callstack.size() - 1;
                if (sq_type(fn) == OT_CLOSURE && !ci->generator && !ci->ctor && !_closure(fn)->proto()->_generator &&
                    (_traps.empty() || _traps.back().callDepth < mydepth)) {
                    SQObjectPtr callee(fn);
                    SQInteger nargs = i.b;
                    CloseOuters(base);
                    for (SQInteger k = 0; k < nargs; k++) _stack[base + k] = std::move(_stack[base + i.a + 1 + k]);
                    SQInteger end = _top > ci->top ? _top : ci->top;
                    for (SQInteger k = base + nargs; k < end; k++) _stack[k].Null();
                    SQInteger target = ci->target, prevtop = ci->prevtop;
                    bool root = ci->root;
                    _stackbase = ci->prevstackbase;
                    _callstack.pop_back();
                    bool pushed;
                    if (!StartCall(_closure(callee), target, nargs, base, prevtop, pushed)) goto error;
                    _callstack.back().root = root;
                    goto reload;
                }
            }
                [[fallthrough]];
            case OP_CALL: {
                SQInteger target = i.op == OP_CALL ? (i.c == SQ_NO_TARGET ? -1 : i.c) : i.a;
                SQInteger nargs = i.b;
                SQInteger callbase = base + i.a + 1;
                if (sq_type(R[i.a]) == OT_CLOSURE) {
                    // The common call: exact arguments, no varargs, generator,
                    // bound environment or debug hook. The frame is set up here.
                    SQClosure* callee = _closure(R[i.a]);
                    SQFunctionProto* p = callee->proto();
                    SQInteger newtop = callbase + p->_stacksize;
                    if (nargs == p->_nparams && !p->_varparams && !p->_generator && sq_type(callee->_env) == OT_NULL &&
                        newtop < (SQInteger)_stack.size() && _callstack.size() < SQ_MAX_CALL_DEPTH &&
                        !s->_debughook_native && sq_type(s->_debughook_closure) == OT_NULL) {
                        SQInteger prevtop = ci->top;
                        PushFrame(R[i.a], p->_code.data(), callbase, newtop, target, prevtop);
                        goto reload;
                    }
                }
                SQObjectPtr fn(STK(i.a));
                switch (sq_type(fn)) {
                    case OT_CLOSURE: {
                        bool pushed;
                        if (!StartCall(_closure(fn), target, nargs, callbase, ci->top, pushed)) goto error;
                        if (pushed) goto reload;
                        break;
                    }
                    case OT_NATIVECLOSURE: {
                        SQObjectPtr ret;
                        bool suspend;
                        if (!CallNative(_nativeclosure(fn), nargs, callbase, ci->top, ret, suspend)) goto error;
                        if (suspend) {
                            _suspendtarget = target;
                            _state = SQ_VMSTATE_SUSPENDED;
                            outres = ret;
                            return true;
                        }
                        if (target >= 0) STK(target) = std::move(ret);
                        break;
                    }
                    case OT_CLASS: {
                        SQObjectPtr inst, ctor;
                        CreateClassInstance(_class(fn), inst, ctor);
                        STK(i.a + 1) = inst;
                        if (sq_type(ctor) == OT_CLOSURE) {
                            bool pushed;
                            if (!StartCall(_closure(ctor), target, nargs, callbase, ci->top, pushed)) goto error;
                            if (pushed) {
                                _callstack.back().ctor = true;
                                goto reload;
                            }
                        } else if (sq_type(ctor) == OT_NATIVECLOSURE) {
                            SQObjectPtr ret;
                            bool suspend;
                            if (!CallNative(_nativeclosure(ctor), nargs, callbase, ci->top, ret, suspend)) goto error;
                        }
                        if (target >= 0) STK(target) = std::move(inst);
                        break;
                    }
                    case OT_TABLE:
                    case OT_USERDATA:
                    case OT_INSTANCE: {
                        SQObjectPtr mm;
                        if (!GetMetaMethod(fn, MT_CALL, mm)) {
                            Raise_Error("attempt to call '%s'", sq_typename(fn));
                            goto error;
                        }
                        // _call receives the object as 'this' and the original 'this' first.
                        if (!GrowStack(callbase + nargs + 2)) goto error;
                        for (SQInteger k = nargs; k > 0; k--)
                            _stack[callbase + k] = std::move(_stack[callbase + k - 1]);
                        _stack[callbase] = fn;
                        if (callbase + nargs + 1 > _top) _top = callbase + nargs + 1;
                        if (sq_type(mm) == OT_CLOSURE) {
                            bool pushed;
                            if (!StartCall(_closure(mm), target, nargs + 1, callbase, ci->top, pushed)) goto error;
                            if (pushed) goto reload;
                        } else {
                            SQObjectPtr ret;
                            bool suspend;
                            if (!CallNative(_nativeclosure(mm), nargs + 1, callbase, ci->top, ret, suspend)) goto error;
                            if (target >= 0) STK(target) = std::move(ret);
                        }
                        break;
                    }
                    default:
                        Raise_Error("attempt to call '%s'", sq_typename(fn));
                        goto error;
                }
                break;
            }
            case OP_PREPCALL:
            case OP_PREPCALLK: {
                SQObjectPtr o(STK(i.b)), tmp;
                const SQObject& key = i.op == OP_PREPCALLK ? lits[i.arg] : STK(i.c);
                if (!Get(o, key, tmp, false)) goto error;
                STK(i.a + 1) = std::move(o);
                STK(i.a) = std::move(tmp);
                break;
            }
            case OP_PREPCALLVAR: {
                if (sq_type(R[0]) == OT_TABLE) {
                    SQObjectPtr* slot = _table(R[0])->GetSlotHinted(lits[i.arg], hints[ip - 1 - code]);
                    if (slot) {
                        R[i.a] = sq_realval(*slot);
                        R[i.a + 1] = R[0];
                        break;
                    }
                }
                SQObjectPtr self(STK(0)), root, tmp;
                if (sq_type(cl->_root) == OT_WEAKREF) root = _weakref(cl->_root)->_obj;
                if (!GetVar(self, root, lits[i.arg], tmp)) goto error;
                STK(i.a) = std::move(tmp);
                STK(i.a + 1) = std::move(self);
                break;
            }
            case OP_RETURN: {
                SQObjectPtr val;
                if (i.b) val = STK(i.a);
                // The common return: a plain frame with nothing to close.
                if (!ci->root && !ci->ctor && !ci->generator && !(_openouters && _openouters->_idx >= base) &&
                    (_traps.empty() || _traps.back().callDepth < (SQInteger)_callstack.size() - 1) &&
                    !s->_debughook_native && sq_type(s->_debughook_closure) == OT_NULL) {
                    SQInteger target = ci->target;
                    SQInteger end = _top > ci->top ? _top : ci->top;
                    for (SQObjectPtr *p = R, *e = _stack.data() + end; p < e; ++p) {
                        if (ISREFCOUNTED(p->_type)) p->Null();
                    }
                    _top = ci->prevtop;
                    _stackbase = ci->prevstackbase;
                    _callstack.pop_back();
                    ci = &_callstack.back();
                    if (target >= 0) _stack[ci->base + target] = std::move(val);
                    goto reload;
                }
                if (ci->ctor) val = STK(0);
                if (s->_debughook_native || sq_type(s->_debughook_closure) != OT_NULL) CallDebugHook('r');
                if (LeaveWithValue(val, outres)) return true;
                goto reload;
            }
            case OP_YIELD: {
                if (!ci->generator) {
                    Raise_Error("yield outside a generator");
                    goto error;
                }
                SQObjectPtr val;
                if (i.b) val = STK(i.a);
                SaveGenerator(*ci);
                if (LeaveWithValue(val, outres)) return true;
                goto reload;
            }
            case OP_RESUME: {
                SQObjectPtr g(STK(i.b));
                if (sq_type(g) != OT_GENERATOR) {
                    Raise_Error("trying to resume a '%s',only generators can be resumed", sq_typename(g));
                    goto error;
                }
                if (!ResumeGenerator(_generator(g), i.a, false)) goto error;
                goto reload;
            }
            case OP_CLOSURE: {
                GC_CHECK();
                SQFunctionProto* fp = _funcproto(cl->proto()->_functions[i.arg]);
                SQObjectPtr root = _roottable;
                if (sq_type(cl->_root) == OT_WEAKREF && sq_type(_weakref(cl->_root)->_obj) != OT_NULL)
                    root = _weakref(cl->_root)->_obj;
                SQClosure* nc = SQClosure::Create(s, fp, root);
                SQObjectPtr ncref(nc);
                for (size_t k = 0; k < fp->_outervars.size(); k++) {
                    const SQOuterVar& ov = fp->_outervars[k];
                    if (ov.fromlocal)
                        nc->_outervalues[k] = SQObjectPtr(FindOuter(base + ov.index));
                    else
                        nc->_outervalues[k] = cl->_outervalues[ov.index];
                }
                for (SQInteger k = 0; k < fp->_ndefaults; k++) nc->_defaultparams[k] = STK(i.b + k);
                if (i.c) {
                    const SQObject& env = STK(i.c - 1);
                    if (sq_type(env) != OT_TABLE && sq_type(env) != OT_CLASS && sq_type(env) != OT_INSTANCE) {
                        Raise_Error("invalid environment");
                        goto error;
                    }
                    nc->_env = SQObjectPtr(_refcounted(env)->getWeakRef(sq_type(env)));
                }
                STK(i.a) = std::move(ncref);
                break;
            }
            case OP_CLOSE:
                CloseOuters(base + i.a);
                break;
            case OP_FOREACH: {
                const SQObject& cont = STK(i.a);
                if (sq_type(cont) == OT_GENERATOR) {
                    SQGenerator* g = _generator(cont);
                    if (g->_state == SQGenerator::eDead) {
                        ip += i.arg;
                        break;
                    }
                    SQObjectPtr& it = STK(i.a + 1);
                    SQInteger n = sq_type(it) == OT_INTEGER ? _integer(it) + 1 : 0;
                    it.setInteger(n);
                    STK(i.a + 2).setInteger(n);
                    if (!ResumeGenerator(g, i.a + 3, false)) goto error;
                    goto reload;
                }
                if (sq_type(cont) == OT_ARRAY) {
                    SQObjectPtr& it = STK(i.a + 1);
                    SQInteger idx = sq_type(it) == OT_INTEGER ? _integer(it) : 0;
                    SQArray* a = _array(cont);
                    if (idx >= a->Size()) {
                        ip += i.arg;
                        break;
                    }
                    STK(i.a + 3) = sq_realval(a->_values[idx]);
                    STK(i.a + 2).setInteger(idx);
                    STK(i.a + 1).setInteger(idx + 1);
                    ip++;
                    break;
                }
                SQObjectPtr c(cont), it(STK(i.a + 1)), k, v;
                bool done;
                if (!ForeachNext(c, it, k, v, done)) goto error;
                if (done) {
                    ip += i.arg;
                    break;
                }
                STK(i.a + 1) = std::move(it);
                STK(i.a + 2) = std::move(k);
                STK(i.a + 3) = std::move(v);
                ip++;
                break;
            }
            case OP_FORGEN:
                if (sq_type(STK(i.a)) == OT_GENERATOR && _generator(STK(i.a))->_state == SQGenerator::eDead)
                    ip += i.arg;
                break;
            case OP_NEWCLASS: {
                GC_CHECK();
                SQClass* basecls = nullptr;
                if (i.b) {
                    const SQObject& bo = STK(i.b - 1);
                    if (sq_type(bo) != OT_CLASS) {
                        Raise_Error("trying to inherit from a %s", sq_typename(bo));
                        goto error;
                    }
                    basecls = _class(bo);
                }
                SQObjectPtr attrs;
                if (i.c) attrs = STK(i.c - 1);
                SQClass* c = SQClass::Create(s, basecls);
                SQObjectPtr cref(c);
                c->_attributes = attrs;
                if (basecls) {
                    const SQObjectPtr* mm = basecls->GetMetaMethod(MT_INHERITED);
                    if (mm) {
                        SQObjectPtr fn(*mm), ret;
                        Push(cref);
                        Push(attrs);
                        if (!CallMetaMethod(fn, 2, ret)) goto error;
                    }
                }
                STK(i.a) = std::move(cref);
                break;
            }
            case OP_PUSHTRAP: {
                SQExceptionTrap t;
                t.callDepth = (SQInteger)_callstack.size() - 1;
                t.ip = ip + i.arg;
                t.target = i.a;
                _traps.push_back(t);
                break;
            }
            case OP_POPTRAP:
                for (int n = 0; n < i.arg && !_traps.empty(); n++) _traps.pop_back();
                break;
            case OP_THROW:
                Raise_Error(STK(i.a));
                goto error;
            case OP_GETBASE:
                if (cl->_base)
                    STK(i.a) = SQObjectPtr(cl->_base);
                else
                    STK(i.a).Null();
                break;
            default:
                Raise_Error("invalid instruction");
                goto error;
        }
    }

error : {
    SQObjectPtr err = _lasterror;
    if (!_errornotified && (s->_notifyallexceptions || (_traps.empty() && _nosuppress == 0))) CallErrorHandler(err);
    if (!_traps.empty() && _traps.back().callDepth >= depth) {
        SQExceptionTrap t = _traps.back();
        _traps.pop_back();
        while ((SQInteger)_callstack.size() - 1 > t.callDepth) LeaveFrame();
        SQCallInfo& c = _callstack.back();
        _top = c.top;
        _stackbase = c.base;
        _stack[c.base + t.target] = err;
        c.ip = t.ip;
        _errornotified = false;
        goto reload;
    }
    while ((SQInteger)_callstack.size() > depth) LeaveFrame();
    _lasterror = err;
    return false;
}
#undef STK
#undef GC_CHECK
}
