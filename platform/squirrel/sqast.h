// sqast.h -- the syntax tree the parser builds and the code generator walks.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/squirrel/sqobject.h"

enum class NK {
    // expressions
    Literal,  // value
    Ident,    // name
    Root,     // the closure's root table ('::' prefix)
    This,
    Base,
    Index,         // a[b]
    Call,          // a(list); flag: rawcall (first two arguments are the function and 'this')
    PostCallInit,  // a = call, then keys/values assigned into its result
    Unary,         // op a: '-', '!', '~', TK_TYPEOF, TK_CLONE, TK_RESUME, TK_DELETE
    Binary,        // a op b
    And,
    Or,
    Ternary,   // a ? b : c
    Assign,    // a op b: '=', TK_PLUSEQ ...
    NewSlot,   // a <- b
    Inc,       // op ++/--, flag prefix
    Table,     // keys list, values list2
    Array,     // list
    Function,  // func
    Class,     // a base, b attributes, list members
    Member,    // class member: a key, b value, c attributes, flag static
    Comma,     // list
    // statements
    Block,          // list
    ExprStmt,       // a
    Local,          // list of LocalVar
    LocalVar,       // name, a initializer
    LocalFunction,  // name, func
    If,             // a cond, b then, c else
    While,          // a cond, b body
    DoWhile,        // a body, b cond
    For,            // a init, b cond, c step, d body
    Foreach,        // name value, name2 key, a container, b body
    Switch,         // a value, list cases
    Case,           // a value (null for default), list statements
    Break,
    Continue,
    Return,  // a
    Yield,   // a
    Throw,   // a
    Try,     // a body, name catch variable, b handler
    Const,   // name, value
    Enum,    // name, list of Member (a key literal, b value literal)
    Empty,
};

struct FuncDecl;

struct Node {
    NK kind;
    SQInteger line = 0;
    SQInteger col = 0;
    int op = 0;
    bool flag = false;
    SQObjectPtr value;
    std::string name;
    std::string name2;
    Node* a = nullptr;
    Node* b = nullptr;
    Node* c = nullptr;
    Node* d = nullptr;
    std::vector<Node*> list;
    std::vector<Node*> list2;
    FuncDecl* func = nullptr;
};

struct FuncDecl {
    std::string name;  // empty for anonymous functions
    SQInteger line = 0;
    std::vector<std::string> params;
    std::vector<Node*> defaults;  // one per parameter, null when none
    bool varargs = false;
    bool generator = false;  // contains yield
    Node* body = nullptr;    // block, or the expression of a lambda
    bool lambda = false;
    Node* env = nullptr;  // function[env]
};

// Owns every node and function of one compilation.
struct SQAstArena {
    std::vector<std::unique_ptr<Node>> nodes;
    std::vector<std::unique_ptr<FuncDecl>> funcs;
    Node* make(NK kind, SQInteger line, SQInteger col)
    {
        nodes.push_back(std::make_unique<Node>());
        Node* n = nodes.back().get();
        n->kind = kind;
        n->line = line;
        n->col = col;
        return n;
    }
    FuncDecl* makeFunc()
    {
        funcs.push_back(std::make_unique<FuncDecl>());
        return funcs.back().get();
    }
};

struct SQCompileError {
    std::string message;
    SQInteger line = 0;
    SQInteger col = 0;
    bool failed() const { return !message.empty(); }
};

// Parses a whole script into the body of its main function.
FuncDecl* sq_parse(SQSharedState* ss, const SQChar* src, SQInteger len, SQAstArena& arena, SQCompileError& err);
