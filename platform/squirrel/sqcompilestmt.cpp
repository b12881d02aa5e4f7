// sqcompilestmt.cpp -- code generation for statements.
#include "platform/squirrel/sqcodegen.h"

int SQCodeGen::localsTop() const { return _fs->locals.empty() ? 0 : _fs->locals.back().reg + 1; }

void SQCodeGen::statement(Node* n)
{
    Depth depth(*this, n);
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

void SQCodeGen::scopedStatement(Node* n)
{
    ScopeMark m = beginScope();
    statement(n);
    endScope(m);
}

void SQCodeGen::beginLoop(bool isSwitch)
{
    SQCGLoop l;
    l.nlocals = _fs->locals.size();
    l.trapDepth = _fs->trapDepth;
    l.isSwitch = isSwitch;
    _fs->loops.push_back(l);
}

void SQCodeGen::endLoop(int continueTarget, int breakTarget)
{
    SQCGLoop l = _fs->loops.back();
    _fs->loops.pop_back();
    patchAll(l.continues, continueTarget);
    patchAll(l.breaks, breakTarget);
}

void SQCodeGen::breakContinue(Node* n)
{
    bool isbreak = n->kind == NK::Break;
    SQCGLoop* loop = nullptr;
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

void SQCodeGen::forStatement(Node* n)
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

void SQCodeGen::foreachStatement(Node* n)
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

void SQCodeGen::switchStatement(Node* n)
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

void SQCodeGen::returnStatement(Node* n)
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

void SQCodeGen::tryStatement(Node* n)
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

void SQCodeGen::enumStatement(Node* n)
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
