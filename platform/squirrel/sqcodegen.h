// sqcodegen.h -- the code generator's state, shared by the files that
// compile functions, statements and expressions.
#pragma once

#include "platform/squirrel/sqast.h"
#include "platform/squirrel/sqfuncproto.h"
#include "platform/squirrel/sqlexer.h"
#include "platform/squirrel/sqstate.h"
#include "platform/squirrel/sqtable.h"

inline constexpr int MAX_REGISTERS = 250;

struct SQCGLocal {
    SQObjectPtr name;
    int reg;
    size_t info;  // index into the prototype's local variable infos
    bool captured = false;
};

struct SQCGLoop {
    std::vector<int> breaks;
    std::vector<int> continues;
    size_t nlocals;  // locals alive when the loop started
    int trapDepth;
    bool isSwitch;
};

struct SQCGFuncState {
    SQCGFuncState* parent = nullptr;
    FuncDecl* decl = nullptr;
    SQFunctionProto* proto = nullptr;  // counted by protoRef
    SQObjectPtr protoRef;
    SQObjectPtr literalMap;  // literal value -> index
    std::vector<SQCGLocal> locals;
    std::vector<SQCGLoop> loops;
    int freereg = 0;
    int maxreg = 0;
    int trapDepth = 0;
    SQInteger lastline = -1;
};

enum class SQCGVarKind { Local, Outer, Const, Global };
struct SQCGVarRef {
    SQCGVarKind kind;
    int index = 0;
    SQObjectPtr constval;
};

// Walks the syntax tree of each function and emits register machine
// instructions into its prototype.
class SQCodeGen {
public:
    SQCodeGen(SQSharedState* ss, const SQChar* sourcename, SQCompileError& err);
    SQFunctionProto* compileMain(FuncDecl* f);

private:
    struct ScopeMark {
        size_t nlocals;
        int freereg;
    };
    // Code generation recurses along the tree; long chains such as
    // a.b.c... or 1+1+1... make deep trees even without nesting.
    struct Depth {
        SQCodeGen& g;
        Depth(SQCodeGen& gen, const Node* n) : g(gen)
        {
            if (++g._depth > MAX_DEPTH) g.error(n, "expression too complex");
        }
        ~Depth() { g._depth--; }
    };

    // errors, emission, literals (sqcompiler.cpp)
    void error(const Node* n, const std::string& msg);
    int pc() const;
    int emit(int op, int a = 0, int b = 0, int c = 0, int arg = 0);
    void patchTo(int at, int target);  // jumps are relative to the next instruction
    void patchHere(int at);
    void patchAll(const std::vector<int>& list, int target);
    void setLine(const Node* n);
    int allocTemp(const Node* n = nullptr);
    int literal(const SQObject& v);
    int nameLiteral(const std::string& s);
    void loadValue(int t, const SQObject& v);

    // scopes, names and functions (sqcompiler.cpp)
    ScopeMark beginScope();
    void endScope(const ScopeMark& m);
    void declareLocal(const std::string& name, int reg);
    int findLocal(SQCGFuncState* fs, const SQObject& name);
    int findOuter(SQCGFuncState* fs, const SQObject& name);
    SQCGVarRef resolve(const std::string& name);
    SQObjectPtr compileFunctionBody(FuncDecl* f, SQCGFuncState* parent);
    void compileFunction(Node* n, int t);
    int localsTop() const;

    // statements (sqcompilestmt.cpp)
    void statement(Node* n);
    void scopedStatement(Node* n);
    void beginLoop(bool isSwitch);
    void endLoop(int continueTarget, int breakTarget);
    void breakContinue(Node* n);
    void forStatement(Node* n);
    void foreachStatement(Node* n);
    void switchStatement(Node* n);
    void returnStatement(Node* n);
    void tryStatement(Node* n);
    void enumStatement(Node* n);

    // expressions (sqcompileexpr.cpp)
    int exprAny(Node* e);
    void exprDiscard(Node* e);
    void exprTo(Node* e, int t);
    bool constantOf(Node* e, SQObjectPtr& out);
    bool isStringLiteral(Node* e);
    void compileUnary(Node* e, int t);
    bool foldConstant(int op, const SQObject& a, const SQObject& b, SQObjectPtr& out);
    bool smallLiteral(Node* e, SQObjectPtr& v);
    void compileBinary(Node* e, int t);
    void condJump(Node* e, bool jumpIf, std::vector<int>& jumps);
    int compileCall(Node* e, int t, bool tail);
    void compileAssign(Node* e, int t);
    void compileInc(Node* e, int t);
    void compileClass(Node* e, int t);

    SQSharedState* _ss;
    SQObjectPtr _sourcename;
    SQCompileError& _err;
    SQCGFuncState* _fs = nullptr;
    int _depth = 0;
    static constexpr int MAX_DEPTH = 1000;
};
