// sqcompiler.cpp -- code generation: the generator's emission, scopes and
// names, functions, and the compile entry point.
#include "platform/squirrel/sqcompiler.h"

#include "platform/squirrel/sqcodegen.h"

SQCodeGen::SQCodeGen(SQSharedState* ss, const SQChar* sourcename, SQCompileError& err)
    : _ss(ss), _sourcename(ss->StringObj(sourcename)), _err(err)
{
}

SQFunctionProto* SQCodeGen::compileMain(FuncDecl* f)
{
    SQObjectPtr p = compileFunctionBody(f, nullptr);
    if (_err.failed() || sq_type(p) != OT_FUNCPROTO) return nullptr;
    SQFunctionProto* proto = _funcproto(p);
    proto->_uiRef++;  // handed to the caller with one reference
    return proto;
}

void SQCodeGen::error(const Node* n, const std::string& msg)
{
    if (_err.failed()) return;
    _err.message = msg;
    _err.line = n ? n->line : 0;
    _err.col = n ? n->col : 0;
}

int SQCodeGen::pc() const { return (int)_fs->proto->_code.size(); }

int SQCodeGen::emit(int op, int a, int b, int c, int arg)
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
void SQCodeGen::patchTo(int at, int target) { _fs->proto->_code[at].arg = target - (at + 1); }

void SQCodeGen::patchHere(int at) { patchTo(at, pc()); }

void SQCodeGen::patchAll(const std::vector<int>& list, int target)
{
    for (int j : list) patchTo(j, target);
}

void SQCodeGen::setLine(const Node* n)
{
    if (!n || n->line == _fs->lastline) return;
    _fs->lastline = n->line;
    _fs->proto->_lineinfos.push_back({pc(), n->line});
    if (_ss->_debuginfo) emit(OP_LINE, 0, 0, 0, (int)n->line);
}

int SQCodeGen::allocTemp(const Node* n)
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

int SQCodeGen::literal(const SQObject& v)
{
    SQTable* map = _table(_fs->literalMap);
    SQObjectPtr idx;
    if (sq_type(v) != OT_NULL && map->Get(v, idx)) return (int)_integer(idx);
    int i = (int)_fs->proto->_literals.size();
    _fs->proto->_literals.push_back(v);
    if (sq_type(v) != OT_NULL) map->NewSlot(v, SQObjectPtr((SQInteger)i));
    return i;
}

int SQCodeGen::nameLiteral(const std::string& s) { return literal(_ss->StringObj(s.c_str(), (SQInteger)s.size())); }

void SQCodeGen::loadValue(int t, const SQObject& v)
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

SQCodeGen::ScopeMark SQCodeGen::beginScope() { return {_fs->locals.size(), _fs->freereg}; }

void SQCodeGen::endScope(const ScopeMark& m)
{
    bool captured = false;
    int firstreg = -1;
    for (size_t i = m.nlocals; i < _fs->locals.size(); i++) {
        SQCGLocal& l = _fs->locals[i];
        _fs->proto->_localvars[l.info].endpc = pc();
        if (l.captured) captured = true;
        if (firstreg < 0 || l.reg < firstreg) firstreg = l.reg;
    }
    if (captured) emit(OP_CLOSE, firstreg);
    _fs->locals.resize(m.nlocals);
    _fs->freereg = m.freereg;
}

void SQCodeGen::declareLocal(const std::string& name, int reg)
{
    SQCGLocal l;
    l.name = _ss->StringObj(name.c_str(), (SQInteger)name.size());
    l.reg = reg;
    l.info = _fs->proto->_localvars.size();
    _fs->proto->_localvars.push_back({l.name, reg, pc(), -1});
    _fs->locals.push_back(l);
}

int SQCodeGen::findLocal(SQCGFuncState* fs, const SQObject& name)
{
    for (size_t i = fs->locals.size(); i-- > 0;) {
        if (sq_rawequal(fs->locals[i].name, name)) return (int)i;
    }
    return -1;
}

int SQCodeGen::findOuter(SQCGFuncState* fs, const SQObject& name)
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

SQCGVarRef SQCodeGen::resolve(const std::string& name)
{
    SQObjectPtr n = _ss->StringObj(name.c_str(), (SQInteger)name.size());
    int l = findLocal(_fs, n);
    if (l >= 0) return {SQCGVarKind::Local, _fs->locals[l].reg, SQObjectPtr()};
    int o = findOuter(_fs, n);
    if (o >= 0) return {SQCGVarKind::Outer, o, SQObjectPtr()};
    SQObjectPtr cv;
    if (_table(_ss->_consttable)->Get(n, cv)) return {SQCGVarKind::Const, 0, cv};
    return {SQCGVarKind::Global, 0, SQObjectPtr()};
}

SQObjectPtr SQCodeGen::compileFunctionBody(FuncDecl* f, SQCGFuncState* parent)
{
    SQCGFuncState fs;
    fs.parent = parent;
    fs.decl = f;
    fs.proto = SQFunctionProto::Create(_ss);
    fs.protoRef = SQObjectPtr(fs.proto);
    fs.literalMap = SQObjectPtr(SQTable::Create(_ss));
    SQCGFuncState* saved = _fs;
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
    for (SQCGLocal& l : fs.locals) p->_localvars[l.info].endpc = pc();
    p->_stacksize = fs.maxreg + 1;
    p->_hints.assign(p->_code.size(), -1);
    _fs = saved;
    return fs.protoRef;
}

void SQCodeGen::compileFunction(Node* n, int t)
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

SQFunctionProto* sq_compileproto(SQSharedState* ss, const SQChar* src, SQInteger len, const SQChar* sourcename,
                                 SQCompileError& err)
{
    SQAstArena arena;
    FuncDecl* main = sq_parse(ss, src, len, arena, err);
    if (err.failed()) return nullptr;
    SQCodeGen gen(ss, sourcename, err);
    return gen.compileMain(main);
}
