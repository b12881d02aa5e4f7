// sqfuncproto.h -- compiled functions: the instruction set of the register
// machine and the function prototype the compiler produces.
#pragma once

#include "platform/squirrel/sqobject.h"

// Registers are numbered from the frame base; register 0 holds 'this'.
enum SQOpcode : uint8_t {
    OP_LINE,         // arg line: debug hook line event
    OP_LOAD,         // a = literal[arg]
    OP_LOADINT,      // a = arg
    OP_LOADFLOAT,    // a = float bits in arg
    OP_LOADNULLS,    // a .. a+arg-1 = null
    OP_LOADBOOL,     // a = b != 0
    OP_LOADROOT,     // a = the closure's root table
    OP_MOVE,         // a = b
    OP_GETOUTER,     // a = outer[b]
    OP_SETOUTER,     // outer[a] = b
    OP_NEWTABLE,     // a = {} sized for arg slots
    OP_NEWARRAY,     // a = [] with room for arg items
    OP_APPENDARRAY,  // a.append(b)
    OP_NEWSLOT,      // a[b] <- c
    OP_NEWSLOTK,     // a[literal[arg]] <- c
    OP_NEWMEMBER,    // class a: member b = c; arg bit 0 static, arg>>1 attributes register + 1
    OP_GET,          // a = b[c]
    OP_GETK,         // a = b[literal[arg]]
    OP_SET,          // a[b] = c
    OP_SETK,         // a[literal[arg]] = c
    OP_GETVAR,       // a = this[literal[arg]], else root[...]
    OP_SETVAR,       // this[literal[arg]] = b if it exists there, else root[...] = b
    OP_DELETE,       // a = delete b[c]
    OP_ADD,          // a = b + c
    OP_SUB,
    OP_MUL,
    OP_DIV,
    OP_MOD,
    OP_ADDK,  // a = b + literal[arg]
    OP_SUBK,
    OP_BITAND,
    OP_BITOR,
    OP_BITXOR,
    OP_SHL,
    OP_SHR,
    OP_USHR,
    OP_EQ,  // a = b == c
    OP_NE,
    OP_LT,
    OP_LE,
    OP_GT,
    OP_GE,
    OP_CMP3,         // a = b <=> c
    OP_JCMP,         // if !(a <cmp c> b) jump arg; c = comparison op (OP_LT..OP_GE, OP_EQ, OP_NE)
    OP_JCMPK,        // like OP_JCMP with b the index of a literal
    OP_IN,           // a = b in c
    OP_INSTANCEOF,   // a = b instanceof c
    OP_NEG,          // a = -b
    OP_NOT,          // a = !b
    OP_BITNOT,       // a = ~b
    OP_TYPEOF,       // a = typeof b
    OP_CLONE,        // a = clone b
    OP_JMP,          // ip += arg
    OP_JZ,           // if !a: ip += arg
    OP_JNZ,          // if a: ip += arg
    OP_CALL,         // c = a(this = a+1, args a+2 .. a+b)   (b counts 'this'; c may be SQ_NO_TARGET)
    OP_TAILCALL,     // return a(...)
    OP_PREPCALL,     // a = b[c], a+1 = b
    OP_PREPCALLK,    // a = b[literal[arg]], a+1 = b
    OP_PREPCALLVAR,  // a = this/root lookup of literal[arg], a+1 = this
    OP_RETURN,       // return a if b, else null
    OP_YIELD,        // yield a if b, else null
    OP_RESUME,       // a = resume b
    OP_CLOSURE,      // a = closure of functions[arg]; defaults from b; c = bound env register + 1
    OP_CLOSE,        // close the outers at or above register a
    OP_FOREACH,      // a = container, a+1 iterator, a+2 key, a+3 value; jump arg when done
    OP_FORGEN,       // after a generator step of foreach: jump arg if the generator in a is dead
    OP_NEWCLASS,     // a = class; b = base register + 1, c = attributes register + 1
    OP_PUSHTRAP,     // try: on error store the value in a and jump arg
    OP_POPTRAP,      // leave arg try blocks
    OP_THROW,        // throw a
    OP_GETBASE,      // a = base class of the running method
    OP_COUNT
};

// Target register of a call whose result nobody uses.
#define SQ_NO_TARGET 255

struct SQInstruction {
    uint8_t op;
    uint8_t a;
    uint8_t b;
    uint8_t c;
    int32_t arg;
};

struct SQOuterVar {
    SQObjectPtr name;
    bool fromlocal;  // captures a register of the enclosing function, else its outer
    SQInteger index;
};

struct SQLocalVarInfo {
    SQObjectPtr name;
    SQInteger reg;
    SQInteger startpc;  // first instruction where the variable is alive
    SQInteger endpc;    // first instruction past it
};

struct SQLineInfo {
    SQInteger pc;
    SQInteger line;
};

struct SQFunctionProto : SQCollectable {
    std::vector<SQInstruction> _code;
    std::vector<SQObjectPtr> _literals;
    std::vector<SQObjectPtr> _functions;
    std::vector<SQOuterVar> _outervars;
    std::vector<SQLocalVarInfo> _localvars;
    std::vector<SQLineInfo> _lineinfos;
    std::vector<SQObjectPtr> _parameters;  // names, 'this' first
    SQObjectPtr _name;
    SQObjectPtr _sourcename;
    SQInteger _nparams = 0;    // counts 'this'
    SQInteger _ndefaults = 0;  // trailing parameters with defaults
    bool _varparams = false;
    bool _generator = false;
    SQInteger _stacksize = 0;
    // Per instruction: the table entry where a constant key was last found.
    std::vector<int32_t> _hints;

    static SQFunctionProto* Create(SQSharedState* ss) { return new SQFunctionProto(ss); }
    SQObjectType objType() const override { return OT_FUNCPROTO; }
    void release() override { delete this; }
    void traverse(SQGCVisitor& v) override
    {
        for (const SQObjectPtr& o : _literals) v.visit(o);
        for (const SQObjectPtr& o : _functions) v.visit(o);
    }
    void finalize() override
    {
        std::vector<SQObjectPtr> l, f;
        l.swap(_literals);
        f.swap(_functions);
    }
    SQInteger GetLine(SQInteger pc) const
    {
        SQInteger line = _lineinfos.empty() ? 0 : _lineinfos[0].line;
        for (const SQLineInfo& li : _lineinfos) {
            if (li.pc > pc) break;
            line = li.line;
        }
        return line;
    }

private:
    using SQCollectable::SQCollectable;
};
