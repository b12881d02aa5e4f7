// sqparser.cpp -- recursive descent parser from tokens to the syntax tree.
#include <cstdio>

#include "platform/squirrel/sqast.h"
#include "platform/squirrel/sqlexer.h"
#include "platform/squirrel/sqstate.h"

namespace {

class Parser {
public:
    Parser(SQSharedState* ss, const SQChar* src, SQInteger len, SQAstArena& arena, SQCompileError& err)
        : _ss(ss), _lex(src, len), _arena(arena), _err(err)
    {
    }

    FuncDecl* parseMain()
    {
        FuncDecl* f = _arena.makeFunc();
        f->name = "main";
        f->varargs = true;
        f->line = 1;
        _funcs.push_back(f);
        lex();
        Node* body = node(NK::Block);
        statements(body->list, true);
        if (tok() != TK_EOF) error("unexpected token");
        f->body = body;
        _funcs.pop_back();
        if (!_lex.error.empty() && !_err.failed()) {
            _err.message = _lex.error;
            _err.line = _lex.errline;
            _err.col = _lex.errcol;
        }
        return f;
    }

private:
    int tok() const { return _lex.token; }
    void lex()
    {
        _prevtok = _lex.token;
        _lex.Lex();
        if (!_lex.error.empty() && !_err.failed()) {
            _err.message = _lex.error;
            _err.line = _lex.errline;
            _err.col = _lex.errcol;
        }
    }
    Node* node(NK kind) { return _arena.make(kind, _lex.tokline, _lex.tokcol); }

    void error(const std::string& msg)
    {
        if (!_err.failed()) {
            _err.message = msg;
            _err.line = _lex.tokline;
            _err.col = _lex.tokcol;
        }
        // Stop the parse: from now on every token is the end of the file.
        _lex.error = msg;
        _lex.token = TK_EOF;
    }
    bool expect(int t)
    {
        if (tok() != t) {
            if (tok() == TK_EOF && _err.failed()) return false;
            std::string what = _lex.TokenName(t);
            error("expected '" + what + "'");
            return false;
        }
        lex();
        return true;
    }
    std::string expectIdentifier()
    {
        if (tok() != TK_IDENTIFIER) {
            if (!_err.failed()) error("expected 'IDENTIFIER'");
            return "";
        }
        std::string s = _lex.svalue;
        lex();
        return s;
    }
    bool endOfStatement() const { return _lex.newlinebefore || tok() == TK_EOF || tok() == '}' || tok() == ';'; }
    void optionalSemicolon()
    {
        if (tok() == ';') {
            lex();
            return;
        }
        if (!endOfStatement()) error("end of statement expected (; or lf)");
    }

    // --- statements --------------------------------------------------------

    void statements(std::vector<Node*>& out, bool toplevel)
    {
        while (tok() != TK_EOF && tok() != '}' && tok() != TK_CASE && tok() != TK_DEFAULT) {
            out.push_back(statement());
            if (_prevtok != '}' && _prevtok != ';') optionalSemicolon();
        }
        (void)toplevel;
    }

    Node* block()
    {
        Node* b = node(NK::Block);
        expect('{');
        statements(b->list, false);
        expect('}');
        return b;
    }

    Node* statement()
    {
        Node* n;
        switch (tok()) {
            case ';':
                n = node(NK::Empty);
                lex();
                return n;
            case '{':
                return block();
            case TK_IF: {
                n = node(NK::If);
                lex();
                expect('(');
                n->a = commaExpr();
                expect(')');
                n->b = statement();
                if (tok() == ';') lex();
                if (tok() == TK_ELSE) {
                    lex();
                    n->c = statement();
                }
                return n;
            }
            case TK_WHILE:
                n = node(NK::While);
                lex();
                expect('(');
                n->a = commaExpr();
                expect(')');
                n->b = statement();
                return n;
            case TK_DO:
                n = node(NK::DoWhile);
                lex();
                n->a = statement();
                if (tok() == ';') lex();
                expect(TK_WHILE);
                expect('(');
                n->b = commaExpr();
                expect(')');
                return n;
            case TK_FOR:
                return forStatement();
            case TK_FOREACH:
                return foreachStatement();
            case TK_SWITCH:
                return switchStatement();
            case TK_LOCAL:
                return localStatement();
            case TK_RETURN:
            case TK_YIELD: {
                bool isyield = tok() == TK_YIELD;
                n = node(isyield ? NK::Yield : NK::Return);
                if (isyield) _funcs.back()->generator = true;
                lex();
                if (!endOfStatement()) n->a = commaExpr();
                return n;
            }
            case TK_BREAK:
                n = node(NK::Break);
                lex();
                return n;
            case TK_CONTINUE:
                n = node(NK::Continue);
                lex();
                return n;
            case TK_FUNCTION:
                n = node(NK::ExprStmt);
                n->a = functionStatement();
                return n;
            case TK_CLASS:
                n = node(NK::ExprStmt);
                n->a = classStatement();
                return n;
            case TK_ENUM:
                return enumStatement();
            case TK_CONST: {
                n = node(NK::Const);
                lex();
                n->name = expectIdentifier();
                expect('=');
                n->value = scalar();
                return n;
            }
            case TK_TRY: {
                n = node(NK::Try);
                lex();
                n->a = statement();
                expect(TK_CATCH);
                expect('(');
                n->name = expectIdentifier();
                expect(')');
                n->b = statement();
                return n;
            }
            case TK_THROW:
                n = node(NK::Throw);
                lex();
                n->a = commaExpr();
                return n;
            default:
                n = node(NK::ExprStmt);
                n->a = commaExpr();
                return n;
        }
    }

    Node* forStatement()
    {
        Node* n = node(NK::For);
        lex();
        expect('(');
        if (tok() == TK_LOCAL)
            n->a = localStatement();
        else if (tok() != ';') {
            n->a = node(NK::ExprStmt);
            n->a->a = commaExpr();
        }
        expect(';');
        if (tok() != ';') n->b = commaExpr();
        expect(';');
        if (tok() != ')') n->c = commaExpr();
        expect(')');
        n->d = statement();
        return n;
    }

    Node* foreachStatement()
    {
        Node* n = node(NK::Foreach);
        lex();
        expect('(');
        std::string first = expectIdentifier();
        if (tok() == ',') {
            lex();
            n->name2 = first;
            n->name = expectIdentifier();
        } else {
            n->name = first;
        }
        expect(TK_IN);
        n->a = commaExpr();
        expect(')');
        n->b = statement();
        return n;
    }

    Node* switchStatement()
    {
        Node* n = node(NK::Switch);
        lex();
        expect('(');
        n->a = commaExpr();
        expect(')');
        expect('{');
        bool sawdefault = false;
        while (tok() == TK_CASE) {
            Node* c = node(NK::Case);
            lex();
            c->a = commaExpr();
            expect(':');
            statements(c->list, false);
            n->list.push_back(c);
        }
        if (tok() == TK_DEFAULT) {
            Node* c = node(NK::Case);
            lex();
            expect(':');
            statements(c->list, false);
            n->list.push_back(c);
            sawdefault = true;
        }
        if (tok() == TK_CASE && sawdefault) error("the default label must be the last one");
        expect('}');
        return n;
    }

    Node* localStatement()
    {
        Node* n = node(NK::Local);
        lex();
        if (tok() == TK_FUNCTION) {
            n->kind = NK::LocalFunction;
            lex();
            n->name = expectIdentifier();
            n->func = functionBody(n->name, false);
            return n;
        }
        do {
            Node* v = node(NK::LocalVar);
            v->name = expectIdentifier();
            if (tok() == '=') {
                lex();
                v->a = expression();
            }
            n->list.push_back(v);
            if (tok() != ',') break;
            lex();
        } while (tok() != TK_EOF);
        return n;
    }

    // function a::b::c(...) {...}  ->  a.b.c <- function
    Node* functionStatement()
    {
        Node* n = node(NK::NewSlot);
        lex();
        Node* target = node(NK::Ident);
        target->name = expectIdentifier();
        std::string fname = target->name;
        while (tok() == TK_DOUBLE_COLON) {
            lex();
            Node* idx = node(NK::Index);
            idx->a = target;
            idx->b = node(NK::Literal);
            fname = expectIdentifier();
            idx->b->value = _ss->StringObj(fname.c_str(), (SQInteger)fname.size());
            target = idx;
        }
        n->a = target;
        Node* f = node(NK::Function);
        f->func = functionBody(fname, true);
        n->b = f;
        return n;
    }

    // class a.b extends c {...}  ->  a.b <- class
    Node* classStatement()
    {
        Node* n = node(NK::NewSlot);
        lex();
        Node* target = node(NK::Ident);
        target->name = expectIdentifier();
        while (tok() == '.') {
            lex();
            Node* idx = node(NK::Index);
            idx->a = target;
            idx->b = node(NK::Literal);
            std::string s = expectIdentifier();
            idx->b->value = _ss->StringObj(s.c_str(), (SQInteger)s.size());
            target = idx;
        }
        n->a = target;
        n->b = classBody();
        return n;
    }

    Node* enumStatement()
    {
        Node* n = node(NK::Enum);
        lex();
        n->name = expectIdentifier();
        expect('{');
        while (tok() != '}' && tok() != TK_EOF) {
            Node* m = node(NK::Member);
            m->name = expectIdentifier();
            if (tok() == '=') {
                lex();
                m->value = scalar();
                m->flag = true;
            }
            n->list.push_back(m);
            if (tok() == ',') lex();
        }
        expect('}');
        return n;
    }

    // A literal allowed in const and enum: number, string, bool or null,
    // negative numbers included.
    SQObjectPtr scalar()
    {
        SQObjectPtr v;
        bool neg = false;
        if (tok() == '-') {
            neg = true;
            lex();
        }
        switch (tok()) {
            case TK_INTEGER:
                v = SQObjectPtr(neg ? (SQInteger)(0 - (SQUnsignedInteger)_lex.ivalue) : _lex.ivalue);
                break;
            case TK_FLOAT:
                v = SQObjectPtr(neg ? -_lex.fvalue : _lex.fvalue);
                break;
            case TK_STRING_LITERAL:
                if (neg) error("scalar expected : integer, float or string");
                v = _ss->StringObj(_lex.svalue.c_str(), (SQInteger)_lex.svalue.size());
                break;
            case TK_TRUE:
            case TK_FALSE:
                if (neg) error("scalar expected : integer, float or string");
                v = SQObjectPtr(tok() == TK_TRUE);
                break;
            default:
                error("scalar expected : integer, float or string");
                return v;
        }
        lex();
        return v;
    }

    // --- functions and classes ----------------------------------------------

    FuncDecl* functionBody(const std::string& name, bool allowEnv)
    {
        FuncDecl* f = _arena.makeFunc();
        f->name = name;
        f->line = _lex.tokline;
        if (allowEnv && tok() == '[') {
            lex();
            f->env = expression();
            expect(']');
        }
        expect('(');
        parameters(f, ')');
        _funcs.push_back(f);
        f->body = block();
        _funcs.pop_back();
        return f;
    }

    void parameters(FuncDecl* f, int close)
    {
        bool defaults = false;
        while (tok() != close && tok() != TK_EOF) {
            if (tok() == TK_VARPARAMS) {
                lex();
                f->varargs = true;
                if (tok() != close) error("expected ')'");
                break;
            }
            f->params.push_back(expectIdentifier());
            if (tok() == '=') {
                lex();
                f->defaults.push_back(expression());
                defaults = true;
            } else {
                if (defaults) error("expected '='");
                f->defaults.push_back(nullptr);
            }
            if (tok() == ',')
                lex();
            else if (tok() != close)
                error(std::string("expected '") + (char)close + "'");
        }
        expect(close);
    }

    Node* classBody()
    {
        Node* n = node(NK::Class);
        if (tok() == TK_EXTENDS) {
            lex();
            n->a = expression();
        }
        if (tok() == TK_ATTR_OPEN) {
            lex();
            n->b = tableBody(TK_ATTR_CLOSE);
        }
        expect('{');
        while (tok() != '}' && tok() != TK_EOF) {
            Node* m = node(NK::Member);
            if (tok() == TK_ATTR_OPEN) {
                lex();
                m->c = tableBody(TK_ATTR_CLOSE);
            }
            if (tok() == TK_STATIC) {
                m->flag = true;
                lex();
            }
            classMember(m);
            n->list.push_back(m);
            if (tok() == ';') lex();
        }
        expect('}');
        return n;
    }

    void classMember(Node* m)
    {
        switch (tok()) {
            case TK_FUNCTION: {
                lex();
                std::string name = expectIdentifier();
                m->a = stringLiteral(name);
                m->b = node(NK::Function);
                m->b->func = functionBody(name, false);
                return;
            }
            case TK_CONSTRUCTOR: {
                lex();
                m->a = stringLiteral("constructor");
                m->b = node(NK::Function);
                m->b->func = functionBody("constructor", false);
                return;
            }
            case '[':
                lex();
                m->a = commaExpr();
                expect(']');
                expect('=');
                m->b = expression();
                return;
            case TK_STRING_LITERAL:
                m->a = stringLiteral(_lex.svalue);
                lex();
                expect(':');
                m->b = expression();
                return;
            default: {
                std::string name = expectIdentifier();
                m->a = stringLiteral(name);
                expect('=');
                m->b = expression();
                return;
            }
        }
    }

    Node* stringLiteral(const std::string& s)
    {
        Node* n = node(NK::Literal);
        n->value = _ss->StringObj(s.c_str(), (SQInteger)s.size());
        return n;
    }

    // Slots of a table constructor or of attributes, up to the closing token.
    Node* tableBody(int close)
    {
        Node* t = node(NK::Table);
        while (tok() != close && tok() != TK_EOF) {
            Node* key;
            Node* val;
            if (tok() == TK_FUNCTION) {
                lex();
                std::string name = expectIdentifier();
                key = stringLiteral(name);
                val = node(NK::Function);
                val->func = functionBody(name, false);
            } else if (tok() == '[') {
                lex();
                key = commaExpr();
                expect(']');
                expect('=');
                val = expression();
            } else if (tok() == TK_STRING_LITERAL) {
                key = stringLiteral(_lex.svalue);
                lex();
                expect(':');
                val = expression();
            } else if (tok() == TK_CONSTRUCTOR) {
                key = stringLiteral("constructor");
                lex();
                expect('=');
                val = expression();
            } else {
                std::string name = expectIdentifier();
                key = stringLiteral(name);
                expect('=');
                val = expression();
            }
            t->list.push_back(key);
            t->list2.push_back(val);
            if (tok() == ',') lex();
        }
        expect(close);
        return t;
    }

    // --- expressions -------------------------------------------------------

    Node* commaExpr()
    {
        Node* e = expression();
        if (tok() != ',') return e;
        Node* c = node(NK::Comma);
        c->line = e->line;
        c->col = e->col;
        c->list.push_back(e);
        while (tok() == ',') {
            lex();
            c->list.push_back(expression());
        }
        return c;
    }

    static bool isAssignable(const Node* n) { return n->kind == NK::Ident || n->kind == NK::Index; }

    Node* expression()
    {
        Node* lhs = ternary();
        switch (tok()) {
            case '=':
            case TK_NEWSLOT:
            case TK_PLUSEQ:
            case TK_MINUSEQ:
            case TK_MULEQ:
            case TK_DIVEQ:
            case TK_MODEQ: {
                int op = tok();
                if (!isAssignable(lhs)) {
                    error("can't assign expression");
                    return lhs;
                }
                Node* n = _arena.make(op == TK_NEWSLOT ? NK::NewSlot : NK::Assign, lhs->line, lhs->col);
                n->op = op;
                lex();
                n->a = lhs;
                n->b = expression();
                return n;
            }
            default:
                return lhs;
        }
    }

    Node* ternary()
    {
        Node* cond = logicalOr();
        if (tok() != '?') return cond;
        Node* n = _arena.make(NK::Ternary, cond->line, cond->col);
        lex();
        n->a = cond;
        n->b = expression();
        expect(':');
        n->c = expression();
        return n;
    }

    Node* logicalOr()
    {
        Node* l = logicalAnd();
        while (tok() == TK_OR) {
            Node* n = _arena.make(NK::Or, l->line, l->col);
            lex();
            n->a = l;
            n->b = logicalAnd();
            l = n;
        }
        return l;
    }

    Node* logicalAnd()
    {
        Node* l = binary(0);
        while (tok() == TK_AND) {
            Node* n = _arena.make(NK::And, l->line, l->col);
            lex();
            n->a = l;
            n->b = binary(0);
            l = n;
        }
        return l;
    }

    // Binary operator levels, loosest first.
    static int level(int t)
    {
        switch (t) {
            case '|':
                return 0;
            case '^':
                return 1;
            case '&':
                return 2;
            case TK_EQ:
            case TK_NE:
            case TK_3WAYSCMP:
                return 3;
            case '<':
            case '>':
            case TK_LE:
            case TK_GE:
            case TK_IN:
            case TK_INSTANCEOF:
                return 4;
            case TK_SHIFTL:
            case TK_SHIFTR:
            case TK_USHIFTR:
                return 5;
            case '+':
            case '-':
                return 6;
            case '*':
            case '/':
            case '%':
                return 7;
            default:
                return -1;
        }
    }

    Node* binary(int minlevel)
    {
        if (minlevel > 7) return unary();
        Node* l = binary(minlevel + 1);
        while (level(tok()) == minlevel) {
            Node* n = _arena.make(NK::Binary, l->line, l->col);
            n->op = tok();
            lex();
            n->a = l;
            n->b = binary(minlevel + 1);
            l = n;
        }
        return l;
    }

    Node* unary()
    {
        int t = tok();
        switch (t) {
            case '-': {
                Node* n = node(NK::Unary);
                lex();
                Node* operand = unary();
                // Fold negative number literals.
                if (operand->kind == NK::Literal && sq_type(operand->value) == OT_INTEGER) {
                    operand->value = SQObjectPtr((SQInteger)(0 - (SQUnsignedInteger)_integer(operand->value)));
                    operand->line = n->line;
                    operand->col = n->col;
                    return operand;
                }
                if (operand->kind == NK::Literal && sq_type(operand->value) == OT_FLOAT) {
                    operand->value = SQObjectPtr(-_float(operand->value));
                    operand->line = n->line;
                    operand->col = n->col;
                    return operand;
                }
                n->op = '-';
                n->a = operand;
                return n;
            }
            case '!':
            case '~':
            case TK_TYPEOF:
            case TK_CLONE:
            case TK_RESUME:
            case TK_DELETE: {
                Node* n = node(NK::Unary);
                n->op = t;
                lex();
                n->a = unary();
                if (t == TK_DELETE && n->a->kind != NK::Index && n->a->kind != NK::Ident)
                    error("can't delete an expression");
                return n;
            }
            case TK_PLUSPLUS:
            case TK_MINUSMINUS: {
                Node* n = node(NK::Inc);
                n->op = t;
                n->flag = true;
                lex();
                n->a = unary();
                if (!isAssignable(n->a)) error("can't '++' or '--' an expression");
                return n;
            }
            default:
                return postfix(primary());
        }
    }

    Node* postfix(Node* e)
    {
        for (;;) {
            switch (tok()) {
                case '.': {
                    Node* n = _arena.make(NK::Index, e->line, e->col);
                    lex();
                    n->a = e;
                    if (tok() == TK_IDENTIFIER || (tok() > TK_FLOAT && tok() <= TK_RAWCALL)) {
                        std::string name = tok() == TK_IDENTIFIER ? _lex.svalue : _lex.TokenName(tok());
                        n->b = stringLiteral(name);
                        lex();
                    } else {
                        error("expected 'IDENTIFIER'");
                    }
                    e = n;
                    break;
                }
                case '[': {
                    Node* n = _arena.make(NK::Index, e->line, e->col);
                    lex();
                    n->a = e;
                    n->b = commaExpr();
                    expect(']');
                    e = n;
                    break;
                }
                case '(': {
                    Node* n = _arena.make(NK::Call, _lex.tokline, _lex.tokcol);
                    lex();
                    n->a = e;
                    arguments(n->list);
                    e = n;
                    if (tok() == '{' && !_lex.newlinebefore) {
                        Node* init = _arena.make(NK::PostCallInit, e->line, e->col);
                        lex();
                        Node* t = tableBody('}');
                        init->a = e;
                        init->list = t->list;
                        init->list2 = t->list2;
                        e = init;
                    }
                    break;
                }
                case TK_PLUSPLUS:
                case TK_MINUSMINUS: {
                    if (_lex.newlinebefore) return e;
                    if (!isAssignable(e)) {
                        error("can't '++' or '--' an expression");
                        return e;
                    }
                    Node* n = _arena.make(NK::Inc, e->line, e->col);
                    n->op = tok();
                    lex();
                    n->a = e;
                    return n;
                }
                default:
                    return e;
            }
        }
    }

    void arguments(std::vector<Node*>& out)
    {
        while (tok() != ')' && tok() != TK_EOF) {
            out.push_back(expression());
            if (tok() == ',') {
                lex();
                if (tok() == ')') error("expression expected, found ')'");
            } else if (tok() != ')') {
                error("expected ')' or ','");
            }
        }
        expect(')');
    }

    Node* primary()
    {
        Node* n;
        switch (tok()) {
            case TK_INTEGER:
                n = node(NK::Literal);
                n->value = SQObjectPtr(_lex.ivalue);
                lex();
                return n;
            case TK_FLOAT:
                n = node(NK::Literal);
                n->value = SQObjectPtr(_lex.fvalue);
                lex();
                return n;
            case TK_STRING_LITERAL:
                n = stringLiteral(_lex.svalue);
                lex();
                return n;
            case TK_TRUE:
            case TK_FALSE:
                n = node(NK::Literal);
                n->value = SQObjectPtr(tok() == TK_TRUE);
                lex();
                return n;
            case TK_NULL:
                n = node(NK::Literal);
                lex();
                return n;
            case TK_LINE:
                n = node(NK::Literal);
                n->value = SQObjectPtr(_lex.tokline);
                lex();
                return n;
            case TK_FILE:
                n = node(NK::Literal);
                n->flag = true;  // replaced by the source name
                lex();
                return n;
            case TK_IDENTIFIER:
                n = node(NK::Ident);
                n->name = _lex.svalue;
                lex();
                return n;
            case TK_THIS:
                n = node(NK::This);
                lex();
                return n;
            case TK_BASE:
                n = node(NK::Base);
                lex();
                return n;
            case TK_CONSTRUCTOR:
                // 'constructor' as a plain name, as in this.constructor
                n = node(NK::Ident);
                n->name = "constructor";
                lex();
                return n;
            case TK_DOUBLE_COLON: {
                n = node(NK::Index);
                lex();
                n->a = _arena.make(NK::Root, n->line, n->col);
                n->b = stringLiteral(expectIdentifier());
                return n;
            }
            case '(':
                lex();
                n = commaExpr();
                expect(')');
                return n;
            case '[':
                n = node(NK::Array);
                lex();
                while (tok() != ']' && tok() != TK_EOF) {
                    n->list.push_back(expression());
                    if (tok() == ',') lex();
                }
                expect(']');
                return n;
            case '{':
                lex();
                return tableBody('}');
            case TK_FUNCTION:
                n = node(NK::Function);
                lex();
                n->func = functionBody("", true);
                return n;
            case '@': {
                n = node(NK::Function);
                lex();
                FuncDecl* f = _arena.makeFunc();
                f->line = n->line;
                f->lambda = true;
                f->name = "lambda";
                expect('(');
                parameters(f, ')');
                _funcs.push_back(f);
                f->body = expression();
                _funcs.pop_back();
                n->func = f;
                return n;
            }
            case TK_CLASS:
                lex();
                return classBody();
            case TK_RAWCALL:
                n = node(NK::Call);
                n->flag = true;
                lex();
                expect('(');
                arguments(n->list);
                if (n->list.size() < 2 && !_err.failed()) error("rawcall needs the function and 'this'");
                return n;
            default: {
                std::string msg = std::string("expression expected");
                if (tok() != TK_EOF || !_err.failed()) error(msg);
                n = node(NK::Literal);
                return n;
            }
        }
    }

    SQSharedState* _ss;
    SQLexer _lex;
    SQAstArena& _arena;
    SQCompileError& _err;
    std::vector<FuncDecl*> _funcs;
    int _prevtok = TK_EOF;
};

}  // namespace

FuncDecl* sq_parse(SQSharedState* ss, const SQChar* src, SQInteger len, SQAstArena& arena, SQCompileError& err)
{
    Parser p(ss, src, len, arena, err);
    return p.parseMain();
}
