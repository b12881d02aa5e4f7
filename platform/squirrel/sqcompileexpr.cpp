// sqcompileexpr.cpp -- code generation for expressions and conditions.
#include <cstring>

#include "platform/squirrel/sqcodegen.h"

namespace {

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

}  // namespace

// The register holding the value of e: a local's own register, or a
// new temporary.
int SQCodeGen::exprAny(Node* e)
{
    if (e->kind == NK::This) return 0;
    if (e->kind == NK::Ident) {
        SQCGVarRef v = resolve(e->name);
        if (v.kind == SQCGVarKind::Local) return v.index;
    }
    int t = allocTemp(e);
    exprTo(e, t);
    return t;
}

void SQCodeGen::exprDiscard(Node* e)
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
bool SQCodeGen::constantOf(Node* e, SQObjectPtr& out)
{
    if (e->kind == NK::Literal && !e->flag) {
        out = e->value;
        return true;
    }
    if (e->kind == NK::Ident) {
        SQCGVarRef v = resolve(e->name);
        if (v.kind != SQCGVarKind::Const) return false;
        out = v.constval;
        return true;
    }
    if (e->kind == NK::Index && e->a->kind == NK::Ident && e->b->kind == NK::Literal) {
        SQCGVarRef v = resolve(e->a->name);
        if (v.kind != SQCGVarKind::Const || sq_type(v.constval) != OT_TABLE) return false;
        if (!_table(v.constval)->Get(e->b->value, out)) {
            std::string key = sq_type(e->b->value) == OT_STRING ? _string(e->b->value)->_val : "?";
            error(e, "invalid enum [no '" + key + "' field in '" + e->a->name + "']");
            out.Null();
        }
        return true;
    }
    return false;
}

bool SQCodeGen::isStringLiteral(Node* e)
{
    return e->kind == NK::Literal && !e->flag && sq_type(e->value) == OT_STRING;
}

void SQCodeGen::exprTo(Node* e, int t)
{
    Depth depth(*this, e);
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
            SQCGVarRef v = resolve(e->name);
            switch (v.kind) {
                case SQCGVarKind::Local:
                    if (v.index != t) emit(OP_MOVE, t, v.index);
                    break;
                case SQCGVarKind::Outer:
                    emit(OP_GETOUTER, t, v.index);
                    break;
                case SQCGVarKind::Const:
                    loadValue(t, v.constval);
                    break;
                case SQCGVarKind::Global:
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

void SQCodeGen::compileUnary(Node* e, int t)
{
    setLine(e);
    switch (e->op) {
        case TK_DELETE: {
            Node* target = e->a;
            if (target->kind == NK::Ident) {
                SQCGVarRef v = resolve(target->name);
                if (v.kind != SQCGVarKind::Global) {
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
bool SQCodeGen::foldConstant(int op, const SQObject& a, const SQObject& b, SQObjectPtr& out)
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

bool SQCodeGen::smallLiteral(Node* e, SQObjectPtr& v)
{
    if (e->kind != NK::Literal || e->flag) return false;
    if (!(sq_type(e->value) & SQOBJECT_NUMERIC)) return false;
    v = e->value;
    return true;
}

void SQCodeGen::compileBinary(Node* e, int t)
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
    // A temporary target doubles as the register of the left operand, so
    // long chains like a + b + c + ... need two registers, not one each.
    int ra;
    bool leftIsLocal =
        e->a->kind == NK::This || (e->a->kind == NK::Ident && resolve(e->a->name).kind == SQCGVarKind::Local);
    if (t >= localsTop() && !leftIsLocal) {
        exprTo(e->a, t);
        ra = t;
    } else {
        ra = exprAny(e->a);
    }
    SQObjectPtr k;
    if ((op == '+' || op == '-') && smallLiteral(e->b, k)) {
        emit(op == '+' ? OP_ADDK : OP_SUBK, t, ra, 0, literal(k));
        return;
    }
    int rb = exprAny(e->b);
    emit(arithOpcode(op), t, ra, rb);
}

// Emits jumps taken when the truth of e equals jumpIf.
void SQCodeGen::condJump(Node* e, bool jumpIf, std::vector<int>& jumps)
{
    Depth depth(*this, e);
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
int SQCodeGen::compileCall(Node* e, int t, bool tail)
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
        } else if (callee->kind == NK::Ident && resolve(callee->name).kind == SQCGVarKind::Global) {
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

void SQCodeGen::compileAssign(Node* e, int t)
{
    Node* target = e->a;
    int op = e->kind == NK::NewSlot ? TK_NEWSLOT : e->op;
    setLine(e);
    int result = -1;
    if (target->kind == NK::Ident) {
        SQCGVarRef v = resolve(target->name);
        switch (v.kind) {
            case SQCGVarKind::Local:
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
            case SQCGVarKind::Outer:
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
            case SQCGVarKind::Const:
                error(e, "can't assign to a constant");
                return;
            case SQCGVarKind::Global: {
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

void SQCodeGen::compileInc(Node* e, int t)
{
    Node* target = e->a;
    bool postfix = !e->flag && t >= 0;  // the old value is wanted
    int one = literal(SQObjectPtr((SQInteger)1));
    int op = e->op == TK_PLUSPLUS ? OP_ADDK : OP_SUBK;
    setLine(e);
    if (target->kind == NK::Ident) {
        SQCGVarRef v = resolve(target->name);
        if (v.kind == SQCGVarKind::Local) {
            if (postfix) emit(OP_MOVE, t, v.index);
            emit(op, v.index, v.index, 0, one);
            if (!postfix && t >= 0) emit(OP_MOVE, t, v.index);
            return;
        }
        if (v.kind == SQCGVarKind::Const) {
            error(e, "can't assign to a constant");
            return;
        }
        int cur = allocTemp(e);
        int name = v.kind == SQCGVarKind::Global ? nameLiteral(target->name) : 0;
        if (v.kind == SQCGVarKind::Outer)
            emit(OP_GETOUTER, cur, v.index);
        else
            emit(OP_GETVAR, cur, 0, 0, name);
        int nv = allocTemp(e);
        emit(op, nv, cur, 0, one);
        if (v.kind == SQCGVarKind::Outer)
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

void SQCodeGen::compileClass(Node* e, int t)
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
