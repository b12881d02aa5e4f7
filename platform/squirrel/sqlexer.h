// sqlexer.h -- turns source text into tokens with their line and column.
#pragma once

#include <string>

#include "platform/squirrel/sqobject.h"

enum SQToken {
    TK_EOF = 0,
    // single characters are their own code; the rest start here
    TK_IDENTIFIER = 256,
    TK_STRING_LITERAL,
    TK_INTEGER,
    TK_FLOAT,
    TK_BASE,
    TK_BREAK,
    TK_CASE,
    TK_CATCH,
    TK_CLASS,
    TK_CLONE,
    TK_CONTINUE,
    TK_CONST,
    TK_DEFAULT,
    TK_DELETE,
    TK_DO,
    TK_ELSE,
    TK_ENUM,
    TK_EXTENDS,
    TK_FOR,
    TK_FOREACH,
    TK_FUNCTION,
    TK_IF,
    TK_IN,
    TK_LOCAL,
    TK_NULL,
    TK_RESUME,
    TK_RETURN,
    TK_SWITCH,
    TK_THIS,
    TK_THROW,
    TK_TRY,
    TK_TYPEOF,
    TK_WHILE,
    TK_YIELD,
    TK_CONSTRUCTOR,
    TK_INSTANCEOF,
    TK_TRUE,
    TK_FALSE,
    TK_STATIC,
    TK_LINE,
    TK_FILE,
    TK_RAWCALL,
    TK_EQ,
    TK_NE,
    TK_LE,
    TK_GE,
    TK_AND,
    TK_OR,
    TK_NEWSLOT,
    TK_PLUSEQ,
    TK_MINUSEQ,
    TK_MULEQ,
    TK_DIVEQ,
    TK_MODEQ,
    TK_PLUSPLUS,
    TK_MINUSMINUS,
    TK_SHIFTL,
    TK_SHIFTR,
    TK_USHIFTR,
    TK_3WAYSCMP,
    TK_DOUBLE_COLON,
    TK_VARPARAMS,
    TK_ATTR_OPEN,
    TK_ATTR_CLOSE,
};

class SQLexer {
public:
    SQLexer(const SQChar* src, SQInteger len);
    // Reads the next token. After an error the lexer only returns TK_EOF.
    int Lex();
    const char* TokenName(int tok) const;

    int token = TK_EOF;
    SQInteger tokline = 1;  // where the current token starts
    SQInteger tokcol = 1;
    bool newlinebefore = false;  // a line break precedes the current token
    std::string svalue;          // identifier or string text
    SQInteger ivalue = 0;
    SQFloat fvalue = 0;

    std::string error;  // first error, with its position
    SQInteger errline = 0;
    SQInteger errcol = 0;

private:
    int fail(const char* msg, SQInteger line, SQInteger col);
    int cur() const { return _pos < _len ? (unsigned char)_src[_pos] : -1; }
    int peek(SQInteger ahead = 1) const { return _pos + ahead < _len ? (unsigned char)_src[_pos + ahead] : -1; }
    void next();
    int readNumber();
    int readString(int delim, bool verbatim);
    bool readEscape(std::string& out);
    int readIdentifier();

    const SQChar* _src;
    SQInteger _len;
    SQInteger _pos = 0;
    SQInteger _line = 1;
    SQInteger _col = 1;
};
