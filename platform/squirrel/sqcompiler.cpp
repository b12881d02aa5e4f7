// sqcompiler.cpp -- code generation: walks the syntax tree of each function
// and emits register machine instructions into its prototype.
#include "platform/squirrel/sqcompiler.h"

#include <cmath>

#include "platform/squirrel/sqfuncproto.h"
#include "platform/squirrel/sqlexer.h"
#include "platform/squirrel/sqstate.h"
#include "platform/squirrel/sqtable.h"

namespace {

const int MAX_REGISTERS = 250;

struct LocalVar {
    SQObjectPtr name;
    int reg;
    size_t info;  // index into the prototype's local variable infos
    bool captured = false;
};

struct LoopInfo {
    std::vector<int> breaks;
    std::vector<int> continues;
    size_t nlocals;  // locals alive when the loop started
    int trapDepth;
    bool isSwitch;
};

struct FuncState {
    FuncState* parent = nullptr;
    FuncDecl* decl = nullptr;
    SQFunctionProto* proto = nullptr;  // counted by protoRef
    SQObjectPtr protoRef;
    SQObjectPtr literalMap;  // literal value -> index
    std::vector<LocalVar> locals;
    std::vector<LoopInfo> loops;
    int freereg = 0;
    int maxreg = 0;
    int trapDepth = 0;
    SQInteger lastline = -1;
};

enum class VarKind { Local, Outer, Const, Global };
struct VarRef {
    VarKind kind;
    int index = 0;
    SQObjectPtr constval;
};

int compareOpcode(int op)
{
    switch (op) {
        case TK_EQ:
            return OP_EQ;
        case TK_NE:
            return OP_NE;
        case '<':
            return OP_LT;
        case TK_LE:
            return OP_LE;
        case '>':
            return OP_GT;
        case TK_GE:
            return OP_GE;
        default:
            return -1;
    }
}

int arithOpcode(int op)
{
    switch (op) {
        case '+':
        case TK_PLUSEQ:
        case TK_PLUSPLUS:
            return OP_ADD;
        case '-':
        case TK_MINUSEQ:
        case TK_MINUSMINUS:
            return OP_SUB;
        case '*':
        case TK_MULEQ:
            return OP_MUL;
        case '/':
        case TK_DIVEQ:
            return OP_DIV;
        case '%':
        case TK_MODEQ:
            return OP_MOD;
        case '&':
            return OP_BITAND;
        case '|':
            return OP_BITOR;
        case '^':
            return OP_BITXOR;
        case TK_SHIFTL:
            return OP_SHL;
        case TK_SHIFTR:
            return OP_SHR;
        case TK_USHIFTR:
            return OP_USHR;
        default:
            return -1;
    }
}

class CodeGen {
public:
    CodeGen(SQSharedState* ss, const SQChar* sourcename, SQCompileError& err)
        : _ss(ss), _sourcename(ss->StringObj(sourcename)), _err(err)
    {
    }

    SQFunctionProto* compileMain(FuncDecl* f)
    {
        SQObjectPtr p = compileFunctionBody(f, nullptr);
        if (_err.failed() || sq_type(p) != OT_FUNCPROTO) return nullptr;
        SQFunctionProto* proto = _funcproto(p);
        proto->_uiRef++;  // handed to the caller with one reference
        return proto;
    }

private:
    // --- errors, emission ---------------------------------------------------

    void error(const Node* n, const std::string& msg)
    {
        if (_err.failed()) return;
        _err.message = msg;
        _err.line = n ? n->line : 0;
        _err.col = n ? n->col : 0;
    }

    int pc() const { return (int)_fs->proto->_code.size(); }

    int emit(int op, int a = 0, int b = 0, int c = 0, int arg = 0)
    {
        SQInstruction i;
        i.op = (uint8_t)op;
        i.a = (uint8_t)a;
        i.b = (uint8_t)b;
        i.c = (uint8_t)c;
        i.arg = arg;
        _fs->proto->_code.push_back(i);
        return pc() - 1;
    }

    // Jumps are relative to the instruction after the jump.
    void patchTo(int at, int target) { _fs->proto->_code[at].arg = target - (at + 1); }
    void patchHere(int at) { patchTo(at, pc()); }
    void patchAll(const std::vector<int>& list, int target)
    {
        for (int j : list) patchTo(j, target);
    }

    void setLine(const Node* n)
    {
        if (!n || n->line == _fs->lastline) return;
        _fs->lastline = n->line;
        _fs->proto->_lineinfos.push_back({pc(), n->line});
        if (_ss->_debuginfo) emit(OP_LINE, 0, 0, 0, (int)n->line);
    }

    int allocTemp(const Node* n = nullptr)
    {
        int r = _fs->freereg++;
        if (_fs->freereg > MAX_REGISTERS) {
            error(n, "too many local variables or expression too complex");
            _fs->freereg = MAX_REGISTERS;
            return MAX_REGISTERS - 1;
        }
        if (_fs->freereg > _fs->maxreg) _fs->maxreg = _fs->freereg;
        return r;
    }

    int literal(const SQObject& v)
    {
        SQTable* map = _table(_fs->literalMap);
        SQObjectPtr idx;
        if (sq_type(v) != OT_NULL && map->Get(v, idx)) return (int)_integer(idx);
        int i = (int)_fs->proto->_literals.size();
        _fs->proto->_literals.push_back(v);
        if (sq_type(v) != OT_NULL) map->NewSlot(v, SQObjectPtr((SQInteger)i));
        return i;
    }

    int nameLiteral(const std::string& s) { return literal(_ss->StringObj(s.c_str(), (SQInteger)s.size())); }

    void loadValue(int t, const SQObject& v)
    {
        switch (sq_type(v)) {
            case OT_NULL:
                emit(OP_LOADNULLS, t, 0, 0, 1);
                return;
            case OT_BOOL:
                emit(OP_LOADBOOL, t, _integer(v) ? 1 : 0);
                return;
            case OT_INTEGER:
                if (_integer(v) >= INT32_MIN && _integer(v) <= INT32_MAX) {
                    emit(OP_LOADINT, t, 0, 0, (int32_t)_integer(v));
                    return;
                }
                break;
            case OT_FLOAT: {
                int32_t bits;
                memcpy(&bits, &_float(v), sizeof bits);
                emit(OP_LOADFLOAT, t, 0, 0, bits);
                return;
            }
            default:
                break;
        }
        emit(OP_LOAD, t, 0, 0, literal(v));
    }

    // --- scopes and names ---------------------------------------------------

    struct ScopeMark {
        size_t nlocals;
        int freereg;
    };
    ScopeMark beginScope() { return {_fs->locals.size(), _fs->freereg}; }
    void endScope(const ScopeMark& m)
    {
        bool captured = false;
        int firstreg = -1;
        for (size_t i = m.nlocals; i < _fs->locals.size(); i++) {
            LocalVar& l = _fs->locals[i];
            _fs->proto->_localvars[l.info].endpc = pc();
            if (l.captured) captured = true;
            if (firstreg < 0 || l.reg < firstreg) firstreg = l.reg;
        }
        if (captured) emit(OP_CLOSE, firstreg);
        _fs->locals.resize(m.nlocals);
        _fs->freereg = m.freereg;
    }

    void declareLocal(const std::string& name, int reg)
    {
        LocalVar l;
        l.name = _ss->StringObj(name.c_str(), (SQInteger)name.size());
        l.reg = reg;
        l.info = _fs->proto->_localvars.size();
        _fs->proto->_localvars.push_back({l.name, reg, pc(), -1});
        _fs->locals.push_back(l);
    }

    int findLocal(FuncState* fs, const SQObject& name)
    {
        for (size_t i = fs->locals.size(); i-- > 0;) {
            if (sq_rawequal(fs->locals[i].name, name)) return (int)i;
        }
        return -1;
    }

    int findOuter(FuncState* fs, const SQObject& name)
    {
        std::vector<SQOuterVar>& outers = fs->proto->_outervars;
        for (size_t i = 0; i < outers.size(); i++) {
            if (sq_rawequal(outers[i].name, name)) return (int)i;
        }
        if (!fs->parent) return -1;
        int l = findLocal(fs->parent, name);
        if (l >= 0) {
            fs->parent->locals[l].captured = true;
            outers.push_back({SQObjectPtr(name), true, fs->parent->locals[l].reg});
            return (int)outers.size() - 1;
        }
        int o = findOuter(fs->parent, name);
        if (o < 0) return -1;
        outers.push_back({SQObjectPtr(name), false, o});
        return (int)outers.size() - 1;
    }

    VarRef resolve(const std::string& name)
    {
        SQObjectPtr n = _ss->StringObj(name.c_str(), (SQInteger)name.size());
        int l = findLocal(_fs, n);
        if (l >= 0) return {VarKind::Local, _fs->locals[l].reg, SQObjectPtr()};
        int o = findOuter(_fs, n);
        if (o >= 0) return {VarKind::Outer, o, SQObjectPtr()};
        SQObjectPtr cv;
        if (_table(_ss->_consttable)->Get(n, cv)) return {VarKind::Const, 0, cv};
        return {VarKind::Global, 0, SQObjectPtr()};
    }

    // --- functions ------------------------------------------------------------

    SQObjectPtr compileFunctionBody(FuncDecl* f, FuncState* parent)
    {
        FuncState fs;
        fs.parent = parent;
        fs.decl = f;
        fs.proto = SQFunctionProto::Create(_ss);
        fs.protoRef = SQObjectPtr(fs.proto);
        fs.literalMap = SQObjectPtr(SQTable::Create(_ss));
        FuncState* saved = _fs;
        _fs = &fs;
        SQFunctionProto* p = fs.proto;
        p->_name = f->name.empty() ? SQObjectPtr() : _ss->StringObj(f->name.c_str(), (SQInteger)f->name.size());
        p->_sourcename = _sourcename;
        p->_lineinfos.push_back({0, f->line});
        fs.lastline = f->line;
        declareLocal("this", allocTemp());
        p->_parameters.push_back(_ss->_thisstr);
        for (const std::string& param : f->params) {
            declareLocal(param, allocTemp());
            p->_parameters.push_back(_ss->StringObj(param.c_str(), (SQInteger)param.size()));
        }
        for (Node* d : f->defaults) {
            if (d) p->_ndefaults++;
        }
        p->_nparams = (SQInteger)f->params.size() + 1;
        p->_varparams = f->varargs;
        p->_generator = f->generator;
        if (f->varargs) declareLocal("vargv", allocTemp());

        if (f->lambda) {
            int r = exprAny(f->body);
            emit(OP_RETURN, r, 1);
        } else {
            for (Node* s : f->body->list) statement(s);
            emit(OP_RETURN, 0, 0);
        }
        for (LocalVar& l : fs.locals) p->_localvars[l.info].endpc = pc();
        p->_stacksize = fs.maxreg + 1;
        p->_hints.assign(p->_code.size(), -1);
        _fs = saved;
        return fs.protoRef;
    }

    void compileFunction(Node* n, int t)
    {
        FuncDecl* f = n->func;
        SQObjectPtr proto = compileFunctionBody(f, _fs);
        if (_err.failed()) return;
        int idx = (int)_fs->proto->_functions.size();
        _fs->proto->_functions.push_back(proto);
        int saved = _fs->freereg;
        int firstdefault = _fs->freereg;
        for (Node* d : f->defaults) {
            if (d) exprTo(d, allocTemp(d));
        }
        int env = f->env ? exprAny(f->env) + 1 : 0;
        emit(OP_CLOSURE, t, firstdefault, env, idx);
        _fs->freereg = saved;
    }

    // --- statements -----------------------------------------------------------

    int localsTop() const { return _fs->locals.empty() ? 0 : _fs->locals.back().reg + 1; }

    void statement(Node* n)
    {
        if (_err.failed()) return;
        setLine(n);
        switch (n->kind) {
            case NK::Empty:
                break;
            case NK::Block: {
                ScopeMark m = beginScope();
                for (Node* s : n->list) statement(s);
                endScope(m);
                break;
            }
            case NK::ExprStmt:
                exprDiscard(n->a);
                break;
            case NK::Local:
                for (Node* v : n->list) {
                    int r = allocTemp(v);
                    if (v->a)
                        exprTo(v->a, r);
                    else
                        emit(OP_LOADNULLS, r, 0, 0, 1);
                    declareLocal(v->name, r);
                }
                break;
            case NK::LocalFunction: {
                int r = allocTemp(n);
                declareLocal(n->name, r);
                Node fn;
                fn.kind = NK::Function;
                fn.line = n->line;
                fn.col = n->col;
                fn.func = n->func;
                compileFunction(&fn, r);
                break;
            }
            case NK::If: {
                std::vector<int> onfalse;
                condJump(n->a, false, onfalse);
                scopedStatement(n->b);
                if (n->c) {
                    int j = emit(OP_JMP);
                    patchAll(onfalse, pc());
                    scopedStatement(n->c);
                    patchHere(j);
                } else {
                    patchAll(onfalse, pc());
                }
                break;
            }
            case NK::While: {
                int start = pc();
                std::vector<int> exits;
                condJump(n->a, false, exits);
                beginLoop(false);
                scopedStatement(n->b);
                emit(OP_JMP, 0, 0, 0, start - (pc() + 1));
                endLoop(start, pc());
                patchAll(exits, pc());
                break;
            }
            case NK::DoWhile: {
                int start = pc();
                beginLoop(false);
                scopedStatement(n->a);
                int cont = pc();
                std::vector<int> again;
                setLine(n->b);
                condJump(n->b, true, again);
                patchAll(again, start);
                endLoop(cont, pc());
                break;
            }
            case NK::For:
                forStatement(n);
                break;
            case NK::Foreach:
                foreachStatement(n);
                break;
            case NK::Switch:
                switchStatement(n);
                break;
            case NK::Break:
            case NK::Continue:
                breakContinue(n);
                break;
            case NK::Return:
                returnStatement(n);
                break;
            case NK::Yield:
                if (n->a) {
                    int r = exprAny(n->a);
                    emit(OP_YIELD, r, 1);
                } else {
                    emit(OP_YIELD, 0, 0);
                }
                break;
            case NK::Throw:
                emit(OP_THROW, exprAny(n->a));
                break;
            case NK::Try:
                tryStatement(n);
                break;
            case NK::Const:
                _table(_ss->_consttable)->NewSlot(_ss->StringObj(n->name.c_str(), (SQInteger)n->name.size()), n->value);
                break;
            case NK::Enum:
                enumStatement(n);
                break;
            default:
                error(n, "invalid statement");
                break;
        }
        _fs->freereg = localsTop();
    }

    void scopedStatement(Node* n)
    {
        ScopeMark m = beginScope();
        statement(n);
        endScope(m);
    }

    void beginLoop(bool isSwitch)
    {
        LoopInfo l;
        l.nlocals = _fs->locals.size();
        l.trapDepth = _fs->trapDepth;
        l.isSwitch = isSwitch;
        _fs->loops.push_back(l);
    }

    void endLoop(int continueTarget, int breakTarget)
    {
        LoopInfo l = _fs->loops.back();
        _fs->loops.pop_back();
        patchAll(l.continues, continueTarget);
        patchAll(l.breaks, breakTarget);
    }

    void breakContinue(Node* n)
    {
        bool isbreak = n->kind == NK::Break;
        LoopInfo* loop = nullptr;
        for (size_t i = _fs->loops.size(); i-- > 0;) {
            if (isbreak || !_fs->loops[i].isSwitch) {
                loop = &_fs->loops[i];
                break;
            }
        }
        if (!loop) {
            error(n, isbreak ? "'break' has to be in a loop block" : "'continue' has to be in a loop block");
            return;
        }
        if (_fs->trapDepth > loop->trapDepth) emit(OP_POPTRAP, 0, 0, 0, _fs->trapDepth - loop->trapDepth);
        // Variables of the scopes being left may have been captured.
        if (_fs->locals.size() > loop->nlocals) emit(OP_CLOSE, _fs->locals[loop->nlocals].reg);
        int j = emit(OP_JMP);
        (isbreak ? loop->breaks : loop->continues).push_back(j);
    }

    void forStatement(Node* n)
    {
        ScopeMark m = beginScope();
        if (n->a) statement(n->a);
        int start = pc();
        std::vector<int> exits;
        if (n->b) condJump(n->b, false, exits);
        beginLoop(false);
        scopedStatement(n->d);
        int cont = pc();
        if (n->c) {
            setLine(n->c);
            exprDiscard(n->c);
            _fs->freereg = localsTop();
        }
        emit(OP_JMP, 0, 0, 0, start - (pc() + 1));
        endLoop(cont, pc());
        patchAll(exits, pc());
        endScope(m);
    }

    void foreachStatement(Node* n)
    {
        ScopeMark m = beginScope();
        int rc = allocTemp(n);
        exprTo(n->a, rc);
        int riter = allocTemp(n);
        int rkey = allocTemp(n);
        int rval = allocTemp(n);
        emit(OP_LOADNULLS, riter, 0, 0, 3);
        declareLocal("@container@", rc);
        declareLocal("@iterator@", riter);
        declareLocal(n->name2.empty() ? "@index@" : n->name2, rkey);
        declareLocal(n->name, rval);
        int loop = emit(OP_FOREACH, rc);
        int gen = emit(OP_FORGEN, rc);
        beginLoop(false);
        scopedStatement(n->b);
        emit(OP_JMP, 0, 0, 0, loop - (pc() + 1));
        endLoop(loop, pc());
        patchHere(loop);
        patchHere(gen);
        endScope(m);
    }

    void switchStatement(Node* n)
    {
        ScopeMark m = beginScope();
        int rs = exprAny(n->a);
        std::vector<int> tobody;
        int defaultcase = -1;
        for (size_t i = 0; i < n->list.size(); i++) {
            Node* c = n->list[i];
            if (!c->a) {
                defaultcase = (int)i;
                tobody.push_back(-1);
                continue;
            }
            setLine(c);
            int saved = _fs->freereg;
            int rc = exprAny(c->a);
            int skip = emit(OP_JCMP, rs, rc, OP_EQ);
            _fs->freereg = saved;
            tobody.push_back(emit(OP_JMP));
            patchHere(skip);
        }
        int todefault = emit(OP_JMP);
        beginLoop(true);
        ScopeMark bodies = beginScope();
        for (size_t i = 0; i < n->list.size(); i++) {
            if ((int)i == defaultcase)
                patchHere(todefault);
            else
                patchHere(tobody[i]);
            for (Node* s : n->list[i]->list) statement(s);
        }
        endScope(bodies);
        if (defaultcase < 0) patchHere(todefault);
        endLoop(pc(), pc());
        endScope(m);
    }

    void returnStatement(Node* n)
    {
        if (!n->a) {
            emit(OP_RETURN, 0, 0);
            return;
        }
        // return c ? a : b returns from each branch, so calls there are tail calls.
        if (n->a->kind == NK::Ternary) {
            std::vector<int> onfalse;
            condJump(n->a->a, false, onfalse);
            Node yes = *n, no = *n;
            yes.a = n->a->b;
            no.a = n->a->c;
            returnStatement(&yes);
            patchAll(onfalse, pc());
            _fs->freereg = localsTop();
            returnStatement(&no);
            return;
        }
        if (n->a->kind == NK::Call && _fs->trapDepth == 0 && !_fs->decl->generator) {
            int base = compileCall(n->a, -1, true);
            emit(OP_RETURN, base, 1);
            return;
        }
        int r = exprAny(n->a);
        emit(OP_RETURN, r, 1);
    }

    void tryStatement(Node* n)
    {
        int rerr = allocTemp(n);
        int trap = emit(OP_PUSHTRAP, rerr);
        _fs->trapDepth++;
        scopedStatement(n->a);
        _fs->trapDepth--;
        emit(OP_POPTRAP, 0, 0, 0, 1);
        int j = emit(OP_JMP);
        patchHere(trap);
        ScopeMark m = beginScope();
        declareLocal(n->name, rerr);
        statement(n->b);
        endScope(m);
        patchHere(j);
    }

    void enumStatement(Node* n)
    {
        SQTable* t = SQTable::Create(_ss);
        SQObjectPtr tref(t);
        // Entries without a value count up from 0, one per such entry.
        SQInteger next = 0;
        for (Node* m : n->list) {
            SQObjectPtr v = m->flag ? m->value : SQObjectPtr(next++);
            t->NewSlot(_ss->StringObj(m->name.c_str(), (SQInteger)m->name.size()), v);
        }
        _table(_ss->_consttable)->NewSlot(_ss->StringObj(n->name.c_str(), (SQInteger)n->name.size()), tref);
    }

    // --- expressions ----------------------------------------------------------

    // The register holding the value of e: a local's own register, or a
    // new temporary.
    int exprAny(Node* e)
    {
        if (e->kind == NK::This) return 0;
        if (e->kind == NK::Ident) {
            VarRef v = resolve(e->name);
            if (v.kind == VarKind::Local) return v.index;
        }
        int t = allocTemp(e);
        exprTo(e, t);
        return t;
    }

    void exprDiscard(Node* e)
    {
        int saved = _fs->freereg;
        switch (e->kind) {
            case NK::Assign:
            case NK::NewSlot:
                compileAssign(e, -1);
                break;
            case NK::Inc:
                compileInc(e, -1);
                break;
            case NK::Call:
                compileCall(e, -1, false);
                break;
            case NK::Comma:
                for (Node* c : e->list) exprDiscard(c);
                break;
            default:
                exprAny(e);
                break;
        }
        _fs->freereg = saved;
    }

    // The constant behind an identifier or an enum member, if e is one.
    bool constantOf(Node* e, SQObjectPtr& out)
    {
        if (e->kind == NK::Literal && !e->flag) {
            out = e->value;
            return true;
        }
        if (e->kind == NK::Ident) {
            VarRef v = resolve(e->name);
            if (v.kind != VarKind::Const) return false;
            out = v.constval;
            return true;
        }
        if (e->kind == NK::Index && e->a->kind == NK::Ident && e->b->kind == NK::Literal) {
            VarRef v = resolve(e->a->name);
            if (v.kind != VarKind::Const || sq_type(v.constval) != OT_TABLE) return false;
            if (!_table(v.constval)->Get(e->b->value, out)) {
                std::string key = sq_type(e->b->value) == OT_STRING ? _string(e->b->value)->_val : "?";
                error(e, "invalid enum [no '" + key + "' field in '" + e->a->name + "']");
                out.Null();
            }
            return true;
        }
        return false;
    }

    bool isStringLiteral(Node* e) { return e->kind == NK::Literal && !e->flag && sq_type(e->value) == OT_STRING; }

    void exprTo(Node* e, int t)
    {
        if (_err.failed()) return;
        int saved = _fs->freereg;
        SQObjectPtr cv;
        switch (e->kind) {
            case NK::Literal:
                if (e->flag)
                    emit(OP_LOAD, t, 0, 0, literal(_sourcename));
                else
                    loadValue(t, e->value);
                break;
            case NK::Ident: {
                VarRef v = resolve(e->name);
                switch (v.kind) {
                    case VarKind::Local:
                        if (v.index != t) emit(OP_MOVE, t, v.index);
                        break;
                    case VarKind::Outer:
                        emit(OP_GETOUTER, t, v.index);
                        break;
                    case VarKind::Const:
                        loadValue(t, v.constval);
                        break;
                    case VarKind::Global:
                        emit(OP_GETVAR, t, 0, 0, nameLiteral(e->name));
                        break;
                }
                break;
            }
            case NK::This:
                emit(OP_MOVE, t, 0);
                break;
            case NK::Root:
                emit(OP_LOADROOT, t);
                break;
            case NK::Base:
                emit(OP_GETBASE, t);
                break;
            case NK::Index:
                if (constantOf(e, cv)) {
                    loadValue(t, cv);
                    break;
                }
                setLine(e);
                {
                    int robj = exprAny(e->a);
                    if (isStringLiteral(e->b)) {
                        emit(OP_GETK, t, robj, 0, literal(e->b->value));
                    } else {
                        int rkey = exprAny(e->b);
                        emit(OP_GET, t, robj, rkey);
                    }
                }
                break;
            case NK::Call:
                compileCall(e, t, false);
                break;
            case NK::PostCallInit: {
                compileCall(e->a, t, false);
                for (size_t i = 0; i < e->list.size(); i++) {
                    int s2 = _fs->freereg;
                    int rv = exprAny(e->list2[i]);
                    if (isStringLiteral(e->list[i]))
                        emit(OP_SETK, t, 0, rv, literal(e->list[i]->value));
                    else
                        emit(OP_SET, t, exprAny(e->list[i]), rv);
                    _fs->freereg = s2;
                }
                break;
            }
            case NK::Unary:
                compileUnary(e, t);
                break;
            case NK::Binary:
                compileBinary(e, t);
                break;
            case NK::And:
            case NK::Or: {
                exprTo(e->a, t);
                int j = emit(e->kind == NK::And ? OP_JZ : OP_JNZ, t);
                exprTo(e->b, t);
                patchHere(j);
                break;
            }
            case NK::Ternary: {
                std::vector<int> onfalse;
                condJump(e->a, false, onfalse);
                exprTo(e->b, t);
                int j = emit(OP_JMP);
                patchAll(onfalse, pc());
                exprTo(e->c, t);
                patchHere(j);
                break;
            }
            case NK::Assign:
            case NK::NewSlot:
                compileAssign(e, t);
                break;
            case NK::Inc:
                compileInc(e, t);
                break;
            case NK::Table:
                emit(OP_NEWTABLE, t, 0, 0, (int)e->list.size());
                for (size_t i = 0; i < e->list.size(); i++) {
                    int s2 = _fs->freereg;
                    if (isStringLiteral(e->list[i])) {
                        int rv = exprAny(e->list2[i]);
                        emit(OP_NEWSLOTK, t, 0, rv, literal(e->list[i]->value));
                    } else {
                        int rk = exprAny(e->list[i]);
                        int rv = exprAny(e->list2[i]);
                        emit(OP_NEWSLOT, t, rk, rv);
                    }
                    _fs->freereg = s2;
                }
                break;
            case NK::Array:
                emit(OP_NEWARRAY, t, 0, 0, (int)e->list.size());
                for (Node* item : e->list) {
                    int s2 = _fs->freereg;
                    emit(OP_APPENDARRAY, t, exprAny(item));
                    _fs->freereg = s2;
                }
                break;
            case NK::Function:
                compileFunction(e, t);
                break;
            case NK::Class:
                compileClass(e, t);
                break;
            case NK::Comma:
                for (size_t i = 0; i + 1 < e->list.size(); i++) exprDiscard(e->list[i]);
                exprTo(e->list.back(), t);
                break;
            default:
                error(e, "invalid expression");
                break;
        }
        _fs->freereg = saved;
    }

    void compileUnary(Node* e, int t)
    {
        setLine(e);
        switch (e->op) {
            case TK_DELETE: {
                Node* target = e->a;
                if (target->kind == NK::Ident) {
                    VarRef v = resolve(target->name);
                    if (v.kind != VarKind::Global) {
                        error(e, "cannot delete an (outer) local");
                        return;
                    }
                    int rk = allocTemp(e);
                    emit(OP_LOAD, rk, 0, 0, nameLiteral(target->name));
                    emit(OP_DELETE, t, 0, rk);
                    return;
                }
                int robj = exprAny(target->a);
                int rkey = exprAny(target->b);
                emit(OP_DELETE, t, robj, rkey);
                return;
            }
            default:
                break;
        }
        int r = exprAny(e->a);
        switch (e->op) {
            case '-':
                emit(OP_NEG, t, r);
                break;
            case '!':
                emit(OP_NOT, t, r);
                break;
            case '~':
                emit(OP_BITNOT, t, r);
                break;
            case TK_TYPEOF:
                emit(OP_TYPEOF, t, r);
                break;
            case TK_CLONE:
                emit(OP_CLONE, t, r);
                break;
            case TK_RESUME:
                emit(OP_RESUME, t, r);
                break;
            default:
                error(e, "invalid unary operator");
                break;
        }
    }

    // Folds arithmetic on two number literals, as the VM would compute it.
    bool foldConstant(int op, const SQObject& a, const SQObject& b, SQObjectPtr& out)
    {
        if (!(sq_type(a) & SQOBJECT_NUMERIC) || !(sq_type(b) & SQOBJECT_NUMERIC)) return false;
        if (sq_type(a) == OT_INTEGER && sq_type(b) == OT_INTEGER) {
            SQUnsignedInteger x = (SQUnsignedInteger)_integer(a), y = (SQUnsignedInteger)_integer(b);
            switch (op) {
                case '+':
                    out = SQObjectPtr((SQInteger)(x + y));
                    return true;
                case '-':
                    out = SQObjectPtr((SQInteger)(x - y));
                    return true;
                case '*':
                    out = SQObjectPtr((SQInteger)(x * y));
                    return true;
                default:
                    return false;
            }
        }
        SQFloat x = sq_tofloat(a), y = sq_tofloat(b);
        switch (op) {
            case '+':
                out = SQObjectPtr(x + y);
                return true;
            case '-':
                out = SQObjectPtr(x - y);
                return true;
            case '*':
                out = SQObjectPtr(x * y);
                return true;
            default:
                return false;
        }
    }

    bool smallLiteral(Node* e, SQObjectPtr& v)
    {
        if (e->kind != NK::Literal || e->flag) return false;
        if (!(sq_type(e->value) & SQOBJECT_NUMERIC)) return false;
        v = e->value;
        return true;
    }

    void compileBinary(Node* e, int t)
    {
        SQObjectPtr ca, cb, folded;
        if (constantOf(e->a, ca) && constantOf(e->b, cb) && foldConstant(e->op, ca, cb, folded)) {
            loadValue(t, folded);
            return;
        }
        setLine(e);
        int op = e->op;
        if (op == TK_IN) {
            int rk = exprAny(e->a);
            int ro = exprAny(e->b);
            emit(OP_IN, t, rk, ro);
            return;
        }
        if (op == TK_INSTANCEOF) {
            int ri = exprAny(e->a);
            int rc = exprAny(e->b);
            emit(OP_INSTANCEOF, t, ri, rc);
            return;
        }
        if (op == TK_3WAYSCMP) {
            int ra = exprAny(e->a);
            int rb = exprAny(e->b);
            emit(OP_CMP3, t, ra, rb);
            return;
        }
        int cmp = compareOpcode(op);
        if (cmp >= 0) {
            int ra = exprAny(e->a);
            int rb = exprAny(e->b);
            emit(cmp, t, ra, rb);
            return;
        }
        int ra = exprAny(e->a);
        SQObjectPtr k;
        if ((op == '+' || op == '-') && smallLiteral(e->b, k)) {
            emit(op == '+' ? OP_ADDK : OP_SUBK, t, ra, 0, literal(k));
            return;
        }
        int rb = exprAny(e->b);
        emit(arithOpcode(op), t, ra, rb);
    }

    // Emits jumps taken when the truth of e equals jumpIf.
    void condJump(Node* e, bool jumpIf, std::vector<int>& jumps)
    {
        if (_err.failed()) return;
        int saved = _fs->freereg;
        switch (e->kind) {
            case NK::Unary:
                if (e->op == '!') {
                    condJump(e->a, !jumpIf, jumps);
                    return;
                }
                break;
            case NK::And:
                if (!jumpIf) {
                    condJump(e->a, false, jumps);
                    condJump(e->b, false, jumps);
                } else {
                    std::vector<int> skip;
                    condJump(e->a, false, skip);
                    condJump(e->b, true, jumps);
                    patchAll(skip, pc());
                }
                return;
            case NK::Or:
                if (jumpIf) {
                    condJump(e->a, true, jumps);
                    condJump(e->b, true, jumps);
                } else {
                    std::vector<int> skip;
                    condJump(e->a, true, skip);
                    condJump(e->b, false, jumps);
                    patchAll(skip, pc());
                }
                return;
            case NK::Binary: {
                int cmp = compareOpcode(e->op);
                if (cmp < 0) break;
                SQObjectPtr ca, cb, folded;
                setLine(e);
                int ra = exprAny(e->a);
                // OP_JCMP jumps when the comparison is false; bit 7 of c flips that.
                int flags = cmp | (jumpIf ? 0x80 : 0);
                SQObjectPtr k;
                if (smallLiteral(e->b, k)) {
                    int lit = literal(k);
                    if (lit < 256) {
                        jumps.push_back(emit(OP_JCMPK, ra, lit, flags));
                        _fs->freereg = saved;
                        return;
                    }
                }
                int rb = exprAny(e->b);
                jumps.push_back(emit(OP_JCMP, ra, rb, flags));
                _fs->freereg = saved;
                return;
            }
            default:
                break;
        }
        int r = exprAny(e);
        jumps.push_back(emit(jumpIf ? OP_JNZ : OP_JZ, r));
        _fs->freereg = saved;
    }

    // Compiles a call leaving the result in t (discarded when t < 0).
    // Returns the register of the called function.
    int compileCall(Node* e, int t, bool tail)
    {
        setLine(e);
        int base = allocTemp(e);
        allocTemp(e);
        std::vector<Node*> args = e->list;
        if (e->flag) {  // rawcall(f, this, args...)
            exprTo(args[0], base);
            exprTo(args[1], base + 1);
            args.erase(args.begin(), args.begin() + 2);
        } else {
            Node* callee = e->a;
            SQObjectPtr cv;
            if (callee->kind == NK::Index && callee->a->kind == NK::Base) {
                int rb = allocTemp(e);
                emit(OP_GETBASE, rb);
                if (isStringLiteral(callee->b))
                    emit(OP_GETK, base, rb, 0, literal(callee->b->value));
                else
                    emit(OP_GET, base, rb, exprAny(callee->b));
                emit(OP_MOVE, base + 1, 0);
            } else if (callee->kind == NK::Index && !constantOf(callee, cv)) {
                int robj = exprAny(callee->a);
                if (isStringLiteral(callee->b))
                    emit(OP_PREPCALLK, base, robj, 0, literal(callee->b->value));
                else
                    emit(OP_PREPCALL, base, robj, exprAny(callee->b));
            } else if (callee->kind == NK::Ident && resolve(callee->name).kind == VarKind::Global) {
                emit(OP_PREPCALLVAR, base, 0, 0, nameLiteral(callee->name));
            } else {
                exprTo(callee, base);
                emit(OP_MOVE, base + 1, 0);
            }
            _fs->freereg = base + 2;
        }
        for (Node* a : args) exprTo(a, allocTemp(a));
        int nargs = (int)args.size() + 1;
        if (nargs > 255) error(e, "too many arguments");
        setLine(e);
        if (tail)
            emit(OP_TAILCALL, base, nargs);
        else
            emit(OP_CALL, base, nargs, t >= 0 ? t : SQ_NO_TARGET);
        _fs->freereg = base + 1;
        return base;
    }

    void compileAssign(Node* e, int t)
    {
        Node* target = e->a;
        int op = e->kind == NK::NewSlot ? TK_NEWSLOT : e->op;
        setLine(e);
        int result = -1;
        if (target->kind == NK::Ident) {
            VarRef v = resolve(target->name);
            switch (v.kind) {
                case VarKind::Local:
                    if (op == TK_NEWSLOT) {
                        error(e, "can't 'create' a local slot");
                        return;
                    }
                    if (op == '=') {
                        Node* val = e->b;
                        bool direct = (val->kind == NK::Binary && val->op != TK_IN) || val->kind == NK::Call ||
                                      val->kind == NK::Literal || val->kind == NK::Unary;
                        if (direct) {
                            exprTo(val, v.index);
                        } else {
                            int r = exprAny(val);
                            if (r != v.index) emit(OP_MOVE, v.index, r);
                        }
                    } else {
                        int rv = exprAny(e->b);
                        emit(arithOpcode(op), v.index, v.index, rv);
                    }
                    result = v.index;
                    break;
                case VarKind::Outer:
                    if (op == TK_NEWSLOT) {
                        error(e, "can't 'create' a local slot");
                        return;
                    }
                    if (op == '=') {
                        result = exprAny(e->b);
                    } else {
                        result = allocTemp(e);
                        emit(OP_GETOUTER, result, v.index);
                        int rv = exprAny(e->b);
                        emit(arithOpcode(op), result, result, rv);
                    }
                    emit(OP_SETOUTER, v.index, result);
                    break;
                case VarKind::Const:
                    error(e, "can't assign to a constant");
                    return;
                case VarKind::Global: {
                    int name = nameLiteral(target->name);
                    if (op == '=' || op == TK_NEWSLOT) {
                        result = exprAny(e->b);
                    } else {
                        result = allocTemp(e);
                        emit(OP_GETVAR, result, 0, 0, name);
                        int rv = exprAny(e->b);
                        emit(arithOpcode(op), result, result, rv);
                    }
                    if (op == TK_NEWSLOT)
                        emit(OP_NEWSLOTK, 0, 0, result, name);
                    else
                        emit(OP_SETVAR, 0, result, 0, name);
                    break;
                }
            }
        } else {
            int robj = exprAny(target->a);
            bool k = isStringLiteral(target->b);
            int kidx = k ? literal(target->b->value) : 0;
            int rkey = k ? 0 : exprAny(target->b);
            if (op == '=' || op == TK_NEWSLOT) {
                result = exprAny(e->b);
            } else {
                result = allocTemp(e);
                if (k)
                    emit(OP_GETK, result, robj, 0, kidx);
                else
                    emit(OP_GET, result, robj, rkey);
                int rv = exprAny(e->b);
                emit(arithOpcode(op), result, result, rv);
            }
            setLine(e);
            if (op == TK_NEWSLOT) {
                if (k)
                    emit(OP_NEWSLOTK, robj, 0, result, kidx);
                else
                    emit(OP_NEWSLOT, robj, rkey, result);
            } else {
                if (k)
                    emit(OP_SETK, robj, 0, result, kidx);
                else
                    emit(OP_SET, robj, rkey, result);
            }
        }
        if (t >= 0 && result >= 0 && result != t) emit(OP_MOVE, t, result);
    }

    void compileInc(Node* e, int t)
    {
        Node* target = e->a;
        bool postfix = !e->flag && t >= 0;  // the old value is wanted
        int one = literal(SQObjectPtr((SQInteger)1));
        int op = e->op == TK_PLUSPLUS ? OP_ADDK : OP_SUBK;
        setLine(e);
        if (target->kind == NK::Ident) {
            VarRef v = resolve(target->name);
            if (v.kind == VarKind::Local) {
                if (postfix) emit(OP_MOVE, t, v.index);
                emit(op, v.index, v.index, 0, one);
                if (!postfix && t >= 0) emit(OP_MOVE, t, v.index);
                return;
            }
            if (v.kind == VarKind::Const) {
                error(e, "can't assign to a constant");
                return;
            }
            int cur = allocTemp(e);
            int name = v.kind == VarKind::Global ? nameLiteral(target->name) : 0;
            if (v.kind == VarKind::Outer)
                emit(OP_GETOUTER, cur, v.index);
            else
                emit(OP_GETVAR, cur, 0, 0, name);
            int nv = allocTemp(e);
            emit(op, nv, cur, 0, one);
            if (v.kind == VarKind::Outer)
                emit(OP_SETOUTER, v.index, nv);
            else
                emit(OP_SETVAR, 0, nv, 0, name);
            if (t >= 0) emit(OP_MOVE, t, postfix ? cur : nv);
            return;
        }
        int robj = exprAny(target->a);
        bool k = isStringLiteral(target->b);
        int kidx = k ? literal(target->b->value) : 0;
        int rkey = k ? 0 : exprAny(target->b);
        int cur = allocTemp(e);
        if (k)
            emit(OP_GETK, cur, robj, 0, kidx);
        else
            emit(OP_GET, cur, robj, rkey);
        int nv = allocTemp(e);
        emit(op, nv, cur, 0, one);
        if (k)
            emit(OP_SETK, robj, 0, nv, kidx);
        else
            emit(OP_SET, robj, rkey, nv);
        if (t >= 0) emit(OP_MOVE, t, postfix ? cur : nv);
    }

    void compileClass(Node* e, int t)
    {
        setLine(e);
        int rbase = e->a ? exprAny(e->a) : -1;
        int rattr = -1;
        if (e->b) {
            rattr = allocTemp(e);
            exprTo(e->b, rattr);
        }
        emit(OP_NEWCLASS, t, rbase + 1, rattr + 1);
        for (Node* m : e->list) {
            int saved = _fs->freereg;
            setLine(m);
            int rk = exprAny(m->a);
            int rv = exprAny(m->b);
            int ra = m->c ? exprAny(m->c) : -1;
            emit(OP_NEWMEMBER, t, rk, rv, (m->flag ? 1 : 0) | ((ra + 1) << 1));
            _fs->freereg = saved;
        }
    }

    SQSharedState* _ss;
    SQObjectPtr _sourcename;
    SQCompileError& _err;
    FuncState* _fs = nullptr;
};

}  // namespace

SQFunctionProto* sq_compileproto(SQSharedState* ss, const SQChar* src, SQInteger len, const SQChar* sourcename,
                                 SQCompileError& err)
{
    SQAstArena arena;
    FuncDecl* main = sq_parse(ss, src, len, arena, err);
    if (err.failed()) return nullptr;
    CodeGen gen(ss, sourcename, err);
    return gen.compileMain(main);
}
