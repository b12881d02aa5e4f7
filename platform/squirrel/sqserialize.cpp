// sqserialize.cpp -- writing compiled closures to a byte stream and reading
// them back. What is read is checked instruction by instruction before it
// can run, so a damaged stream is an error, never a crash.
#include <cstring>
#include <string>

#include "platform/squirrel/sqapi.h"
#include "platform/squirrel/sqfuncproto.h"

namespace {

const uint32_t MAGIC = 0x52495153;  // "SQIR"
const uint32_t VERSION = 1;
const SQInteger MAX_COUNT = 1 << 24;
const SQInteger MAX_DEPTH = 200;

enum LiteralTag : uint8_t { TAG_NULL, TAG_INTEGER, TAG_FLOAT, TAG_BOOL, TAG_STRING };

class Writer {
public:
    Writer(HSQUIRRELVM v, SQWRITEFUNC f, SQUserPointer up) : _v(v), _f(f), _up(up) {}
    bool ok = true;

    void bytes(const void* p, SQInteger n)
    {
        if (ok && n > 0 && _f(_up, const_cast<void*>(p), n) != n) ok = false;
    }
    void u8(uint8_t x) { bytes(&x, 1); }
    void u32(uint32_t x) { bytes(&x, 4); }
    void i64(SQInteger x) { bytes(&x, 8); }
    bool object(const SQObject& o)
    {
        switch (sq_type(o)) {
            case OT_NULL:
                u8(TAG_NULL);
                return true;
            case OT_INTEGER:
                u8(TAG_INTEGER);
                i64(_integer(o));
                return true;
            case OT_FLOAT:
                u8(TAG_FLOAT);
                bytes(&_float(o), sizeof(SQFloat));
                return true;
            case OT_BOOL:
                u8(TAG_BOOL);
                u8(_integer(o) ? 1 : 0);
                return true;
            case OT_STRING:
                u8(TAG_STRING);
                i64(_string(o)->_len);
                bytes(_string(o)->_val, _string(o)->_len);
                return true;
            default:
                _v->Raise_Error("cannot serialize a literal of type %s", sq_typename(o));
                return false;
        }
    }
    bool proto(const SQFunctionProto* p)
    {
        if (!object(p->_name) || !object(p->_sourcename)) return false;
        i64(p->_nparams);
        i64(p->_ndefaults);
        i64(p->_stacksize);
        u8(p->_varparams);
        u8(p->_generator);
        i64((SQInteger)p->_parameters.size());
        for (const SQObjectPtr& o : p->_parameters) object(o);
        i64((SQInteger)p->_literals.size());
        for (const SQObjectPtr& o : p->_literals)
            if (!object(o)) return false;
        i64((SQInteger)p->_outervars.size());
        for (const SQOuterVar& ov : p->_outervars) {
            object(ov.name);
            u8(ov.fromlocal);
            i64(ov.index);
        }
        i64((SQInteger)p->_localvars.size());
        for (const SQLocalVarInfo& lv : p->_localvars) {
            object(lv.name);
            i64(lv.reg);
            i64(lv.startpc);
            i64(lv.endpc);
        }
        i64((SQInteger)p->_lineinfos.size());
        for (const SQLineInfo& li : p->_lineinfos) {
            i64(li.pc);
            i64(li.line);
        }
        i64((SQInteger)p->_code.size());
        for (const SQInstruction& ins : p->_code) {
            u8(ins.op);
            u8(ins.a);
            u8(ins.b);
            u8(ins.c);
            u32((uint32_t)ins.arg);
        }
        i64((SQInteger)p->_functions.size());
        for (const SQObjectPtr& f : p->_functions)
            if (!proto(_funcproto(f))) return false;
        return ok;
    }

private:
    HSQUIRRELVM _v;
    SQWRITEFUNC _f;
    SQUserPointer _up;
};

class Reader {
public:
    Reader(HSQUIRRELVM v, SQREADFUNC f, SQUserPointer up) : _v(v), _f(f), _up(up) {}
    bool ok = true;

    bool bytes(void* p, SQInteger n)
    {
        if (ok && n > 0 && _f(_up, p, n) != n) ok = false;
        return ok;
    }
    uint8_t u8()
    {
        uint8_t x = 0;
        bytes(&x, 1);
        return x;
    }
    uint32_t u32()
    {
        uint32_t x = 0;
        bytes(&x, 4);
        return x;
    }
    SQInteger i64()
    {
        SQInteger x = 0;
        bytes(&x, 8);
        return x;
    }
    SQInteger count()
    {
        SQInteger n = i64();
        if (n < 0 || n > MAX_COUNT) ok = false;
        return ok ? n : 0;
    }
    SQObjectPtr object()
    {
        switch (u8()) {
            case TAG_NULL:
                return SQObjectPtr();
            case TAG_INTEGER:
                return SQObjectPtr(i64());
            case TAG_FLOAT: {
                SQFloat f = 0;
                bytes(&f, sizeof f);
                return SQObjectPtr(f);
            }
            case TAG_BOOL:
                return SQObjectPtr(u8() != 0);
            case TAG_STRING: {
                SQInteger len = count();
                std::string s((size_t)len, '\0');
                if (!bytes(s.data(), len)) return SQObjectPtr();
                return _v->ss()->StringObj(s.data(), len);
            }
            default:
                ok = false;
                return SQObjectPtr();
        }
    }
    SQObjectPtr proto(SQInteger depth)
    {
        if (depth > MAX_DEPTH) ok = false;
        if (!ok) return SQObjectPtr();
        SQFunctionProto* p = SQFunctionProto::Create(_v->ss());
        SQObjectPtr ref(p);
        p->_name = object();
        p->_sourcename = object();
        p->_nparams = i64();
        p->_ndefaults = i64();
        p->_stacksize = i64();
        p->_varparams = u8() != 0;
        p->_generator = u8() != 0;
        for (SQInteger n = count(); n > 0 && ok; n--) p->_parameters.push_back(object());
        for (SQInteger n = count(); n > 0 && ok; n--) p->_literals.push_back(object());
        for (SQInteger n = count(); n > 0 && ok; n--) {
            SQOuterVar ov;
            ov.name = object();
            ov.fromlocal = u8() != 0;
            ov.index = i64();
            p->_outervars.push_back(ov);
        }
        for (SQInteger n = count(); n > 0 && ok; n--) {
            SQLocalVarInfo lv;
            lv.name = object();
            lv.reg = i64();
            lv.startpc = i64();
            lv.endpc = i64();
            p->_localvars.push_back(lv);
        }
        for (SQInteger n = count(); n > 0 && ok; n--) {
            SQLineInfo li;
            li.pc = i64();
            li.line = i64();
            p->_lineinfos.push_back(li);
        }
        for (SQInteger n = count(); n > 0 && ok; n--) {
            SQInstruction ins;
            ins.op = u8();
            ins.a = u8();
            ins.b = u8();
            ins.c = u8();
            ins.arg = (int32_t)u32();
            p->_code.push_back(ins);
        }
        for (SQInteger n = count(); n > 0 && ok; n--) p->_functions.push_back(proto(depth + 1));
        p->_hints.assign(p->_code.size(), -1);
        return ref;
    }

private:
    HSQUIRRELVM _v;
    SQREADFUNC _f;
    SQUserPointer _up;
};

// Operand kinds, for checking instructions read from a stream.
enum Kind : uint8_t {
    NONE,      // not used, or a plain number
    REG,       // a register of the frame
    REG2,      // a register and the one after it
    OUTER,     // an outer variable of the closure
    LIT,       // a literal (in arg, or in b for OP_JCMPK)
    REGPLUS1,  // a register + 1, or 0 for none
    JUMP,      // a jump offset (arg)
    FUNC,      // a nested function (arg)
    TARGET,    // a register or SQ_NO_TARGET
};

struct Shape {
    Kind a, b, c, arg;
};

Shape shapeOf(uint8_t op)
{
    switch (op) {
        case OP_LINE:
        case OP_POPTRAP:
            return {NONE, NONE, NONE, NONE};
        case OP_LOAD:
        case OP_GETVAR:
            return {REG, NONE, NONE, LIT};
        case OP_LOADINT:
        case OP_LOADFLOAT:
        case OP_LOADBOOL:
        case OP_LOADROOT:
        case OP_NEWTABLE:
        case OP_NEWARRAY:
        case OP_RETURN:
        case OP_YIELD:
        case OP_CLOSE:
        case OP_THROW:
        case OP_GETBASE:
        case OP_LOADNULLS:
            return {REG, NONE, NONE, NONE};
        case OP_GETOUTER:
            return {REG, OUTER, NONE, NONE};
        case OP_SETOUTER:
            return {OUTER, REG, NONE, NONE};
        case OP_SETVAR:
            return {NONE, REG, NONE, LIT};
        case OP_NEWSLOTK:
        case OP_SETK:
            return {REG, NONE, REG, LIT};
        case OP_GETK:
        case OP_ADDK:
        case OP_SUBK:
            return {REG, REG, NONE, LIT};
        case OP_PREPCALLK:
            return {REG2, REG, NONE, LIT};
        case OP_PREPCALLVAR:
            return {REG2, NONE, NONE, LIT};
        case OP_PREPCALL:
            return {REG2, REG, REG, NONE};
        case OP_MOVE:
        case OP_APPENDARRAY:
        case OP_NEG:
        case OP_NOT:
        case OP_BITNOT:
        case OP_TYPEOF:
        case OP_CLONE:
        case OP_RESUME:
            return {REG, REG, NONE, NONE};
        case OP_JCMP:
            return {REG, REG, NONE, JUMP};
        case OP_JCMPK:
            return {REG, LIT, NONE, JUMP};
        case OP_JMP:
            return {NONE, NONE, NONE, JUMP};
        case OP_JZ:
        case OP_JNZ:
        case OP_FORGEN:
        case OP_PUSHTRAP:
            return {REG, NONE, NONE, JUMP};
        case OP_FOREACH:
            return {REG, NONE, NONE, JUMP};
        case OP_CALL:
            return {REG, NONE, TARGET, NONE};
        case OP_TAILCALL:
            return {REG, NONE, NONE, NONE};
        case OP_CLOSURE:
            return {REG, NONE, REGPLUS1, FUNC};
        case OP_NEWCLASS:
            return {REG, REGPLUS1, REGPLUS1, NONE};
        default:
            return {REG, REG, REG, NONE};  // three-register operations
    }
}

bool checkOperand(Kind k, SQInteger v, const SQFunctionProto* p)
{
    switch (k) {
        case NONE:
        case JUMP:
        case FUNC:
        case LIT:
            return true;
        case REG:
            return v < p->_stacksize;
        case REG2:
            return v + 1 < p->_stacksize;
        case OUTER:
            return v < (SQInteger)p->_outervars.size();
        case REGPLUS1:
            return v <= p->_stacksize;
        case TARGET:
            return v == SQ_NO_TARGET || v < p->_stacksize;
    }
    return false;
}

// Checks that every index a prototype holds stays inside it.
bool verify(const SQFunctionProto* p, const SQFunctionProto* parent)
{
    SQInteger ncode = (SQInteger)p->_code.size();
    SQInteger nlits = (SQInteger)p->_literals.size();
    if (p->_stacksize < 1 || p->_stacksize > 256 || p->_nparams < 1 || p->_nparams > p->_stacksize) return false;
    if (p->_ndefaults < 0 || p->_ndefaults >= p->_nparams || ncode == 0) return false;
    if (p->_code.back().op != OP_RETURN) return false;
    for (const SQOuterVar& ov : p->_outervars) {
        if (!parent || sq_type(ov.name) != OT_STRING) return false;
        if (ov.index < 0 || ov.index >= (ov.fromlocal ? parent->_stacksize : (SQInteger)parent->_outervars.size()))
            return false;
    }
    for (const SQLocalVarInfo& lv : p->_localvars) {
        if (sq_type(lv.name) != OT_STRING || lv.reg < 0 || lv.reg >= p->_stacksize) return false;
    }
    for (SQInteger pc = 0; pc < ncode; pc++) {
        const SQInstruction& i = p->_code[pc];
        if (i.op >= OP_COUNT) return false;
        Shape s = shapeOf(i.op);
        if (!checkOperand(s.a, i.a, p) || !checkOperand(s.b, i.b, p) || !checkOperand(s.c, i.c, p)) return false;
        if (s.b == LIT && i.b >= nlits) return false;
        if (s.arg == LIT && (i.arg < 0 || i.arg >= nlits)) return false;
        if (s.arg == JUMP && (pc + 1 + i.arg < 0 || pc + 1 + i.arg > ncode - 1)) return false;
        if (s.arg == FUNC) {
            if (i.arg < 0 || i.arg >= (SQInteger)p->_functions.size()) return false;
            const SQFunctionProto* child = _funcproto(p->_functions[i.arg]);
            if (i.b + child->_ndefaults > p->_stacksize) return false;
        }
        switch (i.op) {
            case OP_LOADNULLS:
                if (i.arg < 0 || i.a + i.arg > p->_stacksize) return false;
                break;
            case OP_CALL:
            case OP_TAILCALL:
                if (i.b < 1 || i.a + i.b >= p->_stacksize) return false;
                break;
            case OP_FOREACH:
                // Each step skips the OP_FORGEN after it; without one it
                // would skip the last instruction and run off the code.
                if (i.a + 3 >= p->_stacksize || p->_code[pc + 1].op != OP_FORGEN) return false;
                break;
            case OP_JCMP:
            case OP_JCMPK:
                if ((i.c & 0x7F) < OP_EQ || (i.c & 0x7F) > OP_GE) return false;
                break;
            case OP_NEWMEMBER:
                if ((i.arg >> 1) < 0 || (i.arg >> 1) > p->_stacksize) return false;
                break;
            case OP_NEWTABLE:
            case OP_NEWARRAY:
                // The size hint counts the literal's elements, and each
                // element takes an instruction: a bigger one would only
                // reserve memory that nothing fills.
                if (i.arg < 0 || i.arg > ncode) return false;
                break;
            default:
                break;
        }
    }
    for (const SQObjectPtr& f : p->_functions) {
        if (sq_type(f) != OT_FUNCPROTO || !verify(_funcproto(f), p)) return false;
    }
    return true;
}

}  // namespace

SQRESULT sq_writeclosure(HSQUIRRELVM v, SQWRITEFUNC writef, SQUserPointer up)
{
    SQObjectPtr o(sq_stackobj(v, -1));
    if (sq_type(o) != OT_CLOSURE) return sq_throwerror(v, "the object must be a closure");
    if (!_closure(o)->_outervalues.empty())
        return sq_throwerror(v, "a closure with free variables cannot be serialized");
    Writer w(v, writef, up);
    w.u32(MAGIC);
    w.u32(VERSION);
    w.u32(sizeof(SQChar));
    w.u32(sizeof(SQInteger));
    w.u32(sizeof(SQFloat));
    if (!w.proto(_closure(o)->proto())) return SQ_ERROR;
    if (!w.ok) return sq_throwerror(v, "io error");
    return SQ_OK;
}

SQRESULT sq_readclosure(HSQUIRRELVM v, SQREADFUNC readf, SQUserPointer up)
{
    Reader r(v, readf, up);
    if (r.u32() != MAGIC || r.u32() != VERSION) return sq_throwerror(v, "the stream is not a compiled closure");
    if (r.u32() != sizeof(SQChar) || r.u32() != sizeof(SQInteger) || r.u32() != sizeof(SQFloat))
        return sq_throwerror(v, "the closure was compiled for other value sizes");
    SQObjectPtr proto = r.proto(0);
    if (!r.ok || sq_type(proto) != OT_FUNCPROTO || !verify(_funcproto(proto), nullptr))
        return sq_throwerror(v, "damaged compiled closure");
    v->Push(SQObjectPtr(SQClosure::Create(v->ss(), _funcproto(proto), v->_roottable)));
    return SQ_OK;
}
