// sqlexer.cpp -- the tokenizer.
#include "platform/squirrel/sqlexer.h"

#include <cctype>
#include <cstdlib>
#include <unordered_map>

namespace {
const std::unordered_map<std::string, int>& keywords()
{
    static const std::unordered_map<std::string, int> table = {
        {"base", TK_BASE},
        {"break", TK_BREAK},
        {"case", TK_CASE},
        {"catch", TK_CATCH},
        {"class", TK_CLASS},
        {"clone", TK_CLONE},
        {"continue", TK_CONTINUE},
        {"const", TK_CONST},
        {"default", TK_DEFAULT},
        {"delete", TK_DELETE},
        {"do", TK_DO},
        {"else", TK_ELSE},
        {"enum", TK_ENUM},
        {"extends", TK_EXTENDS},
        {"for", TK_FOR},
        {"foreach", TK_FOREACH},
        {"function", TK_FUNCTION},
        {"if", TK_IF},
        {"in", TK_IN},
        {"local", TK_LOCAL},
        {"null", TK_NULL},
        {"resume", TK_RESUME},
        {"return", TK_RETURN},
        {"switch", TK_SWITCH},
        {"this", TK_THIS},
        {"throw", TK_THROW},
        {"try", TK_TRY},
        {"typeof", TK_TYPEOF},
        {"while", TK_WHILE},
        {"yield", TK_YIELD},
        {"constructor", TK_CONSTRUCTOR},
        {"instanceof", TK_INSTANCEOF},
        {"true", TK_TRUE},
        {"false", TK_FALSE},
        {"static", TK_STATIC},
        {"__LINE__", TK_LINE},
        {"__FILE__", TK_FILE},
        {"rawcall", TK_RAWCALL},
    };
    return table;
}

int hexValue(int c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += (char)cp;
    } else if (cp < 0x800) {
        out += (char)(0xC0 | (cp >> 6));
        out += (char)(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += (char)(0xE0 | (cp >> 12));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    } else {
        out += (char)(0xF0 | ((cp >> 18) & 0x07));
        out += (char)(0x80 | ((cp >> 12) & 0x3F));
        out += (char)(0x80 | ((cp >> 6) & 0x3F));
        out += (char)(0x80 | (cp & 0x3F));
    }
}
}  // namespace

SQLexer::SQLexer(const SQChar* src, SQInteger len) : _src(src), _len(len) {}

void SQLexer::next()
{
    if (_pos >= _len) return;
    if (_src[_pos] == '\n') {
        _line++;
        _col = 1;
    } else {
        _col++;
    }
    _pos++;
}

int SQLexer::fail(const char* msg, SQInteger line, SQInteger col)
{
    if (error.empty()) {
        error = msg;
        errline = line;
        errcol = col;
    }
    _pos = _len;
    token = TK_EOF;
    return TK_EOF;
}

int SQLexer::Lex()
{
    newlinebefore = false;
    if (!error.empty()) return token = TK_EOF;
    for (;;) {
        int c = cur();
        tokline = _line;
        tokcol = _col;
        switch (c) {
            case -1:
                return token = TK_EOF;
            case '\n':
                newlinebefore = true;
                next();
                continue;
            case ' ':
            case '\t':
            case '\r':
            case '\v':
            case '\f':
                next();
                continue;
            case '#':
                while (cur() != -1 && cur() != '\n') next();
                continue;
            case '/':
                if (peek() == '/') {
                    while (cur() != -1 && cur() != '\n') next();
                    continue;
                }
                if (peek() == '*') {
                    next();
                    next();
                    for (;;) {
                        if (cur() == -1) return fail("missing \"*/\" in comment", tokline, tokcol);
                        if (cur() == '*' && peek() == '/') break;
                        if (cur() == '\n') newlinebefore = true;
                        next();
                    }
                    next();
                    next();
                    continue;
                }
                next();
                if (cur() == '=') {
                    next();
                    return token = TK_DIVEQ;
                }
                if (cur() == '>') {
                    next();
                    return token = TK_ATTR_CLOSE;
                }
                return token = '/';
            case '=':
                next();
                if (cur() == '=') {
                    next();
                    return token = TK_EQ;
                }
                return token = '=';
            case '<':
                next();
                if (cur() == '=') {
                    next();
                    if (cur() == '>') {
                        next();
                        return token = TK_3WAYSCMP;
                    }
                    return token = TK_LE;
                }
                if (cur() == '-') {
                    next();
                    return token = TK_NEWSLOT;
                }
                if (cur() == '<') {
                    next();
                    return token = TK_SHIFTL;
                }
                if (cur() == '/') {
                    next();
                    return token = TK_ATTR_OPEN;
                }
                return token = '<';
            case '>':
                next();
                if (cur() == '=') {
                    next();
                    return token = TK_GE;
                }
                if (cur() == '>') {
                    next();
                    if (cur() == '>') {
                        next();
                        return token = TK_USHIFTR;
                    }
                    return token = TK_SHIFTR;
                }
                return token = '>';
            case '!':
                next();
                if (cur() == '=') {
                    next();
                    return token = TK_NE;
                }
                return token = '!';
            case '@':
                next();
                if (cur() == '"') return readString('"', true);
                return token = '@';
            case '"':
            case '\'':
                return readString(c, false);
            case '{':
            case '}':
            case '(':
            case ')':
            case '[':
            case ']':
            case ';':
            case ',':
            case '?':
            case '^':
            case '~':
                next();
                return token = c;
            case '.':
                if (peek() == '.' && peek(2) == '.') {
                    next();
                    next();
                    next();
                    return token = TK_VARPARAMS;
                }
                next();
                return token = '.';
            case '&':
                next();
                if (cur() == '&') {
                    next();
                    return token = TK_AND;
                }
                return token = '&';
            case '|':
                next();
                if (cur() == '|') {
                    next();
                    return token = TK_OR;
                }
                return token = '|';
            case ':':
                next();
                if (cur() == ':') {
                    next();
                    return token = TK_DOUBLE_COLON;
                }
                return token = ':';
            case '*':
                next();
                if (cur() == '=') {
                    next();
                    return token = TK_MULEQ;
                }
                return token = '*';
            case '%':
                next();
                if (cur() == '=') {
                    next();
                    return token = TK_MODEQ;
                }
                return token = '%';
            case '-':
                next();
                if (cur() == '=') {
                    next();
                    return token = TK_MINUSEQ;
                }
                if (cur() == '-') {
                    next();
                    return token = TK_MINUSMINUS;
                }
                return token = '-';
            case '+':
                next();
                if (cur() == '=') {
                    next();
                    return token = TK_PLUSEQ;
                }
                if (cur() == '+') {
                    next();
                    return token = TK_PLUSPLUS;
                }
                return token = '+';
            default:
                if (isdigit(c)) return readNumber();
                if (isalpha(c) || c == '_') return readIdentifier();
                return fail("unexpected character", tokline, tokcol);
        }
    }
}

int SQLexer::readIdentifier()
{
    svalue.clear();
    while (cur() != -1 && (isalnum(cur()) || cur() == '_')) {
        svalue += (char)cur();
        next();
    }
    auto it = keywords().find(svalue);
    return token = it != keywords().end() ? it->second : TK_IDENTIFIER;
}

int SQLexer::readNumber()
{
    std::string text;
    if (cur() == '0' && (peek() == 'x' || peek() == 'X')) {
        next();
        next();
        SQUnsignedInteger v = 0;
        int digits = 0;
        while (hexValue(cur()) >= 0) {
            v = (v << 4) | (SQUnsignedInteger)hexValue(cur());
            digits++;
            next();
        }
        if (digits == 0) return fail("expected hex digits after '0x'", tokline, tokcol);
        if (digits > 16) return fail("too many digits for an hex number", tokline, tokcol);
        ivalue = (SQInteger)v;
        return token = TK_INTEGER;
    }
    if (cur() == '0' && isdigit(peek())) {
        next();
        SQUnsignedInteger v = 0;
        while (isdigit(cur())) {
            if (cur() > '7') return fail("invalid octal number", tokline, tokcol);
            v = (v << 3) | (SQUnsignedInteger)(cur() - '0');
            next();
        }
        ivalue = (SQInteger)v;
        return token = TK_INTEGER;
    }
    bool isfloat = false;
    while (isdigit(cur())) {
        text += (char)cur();
        next();
    }
    // A dot belongs to the number only when a digit or an exponent follows,
    // so 1.tostring() still calls a method.
    if (cur() == '.' && (isdigit(peek()) || peek() == 'e' || peek() == 'E')) {
        isfloat = true;
        text += '.';
        next();
        while (isdigit(cur())) {
            text += (char)cur();
            next();
        }
    }
    if (cur() == 'e' || cur() == 'E') {
        int sign = peek();
        if (isdigit(sign) || ((sign == '+' || sign == '-') && isdigit(peek(2)))) {
            isfloat = true;
            text += 'e';
            next();
            if (cur() == '+' || cur() == '-') {
                text += (char)cur();
                next();
            }
            while (isdigit(cur())) {
                text += (char)cur();
                next();
            }
        } else if (isfloat) {
            return fail("exponent expected", _line, _col);
        }
    }
    if (isalpha(cur()) || cur() == '_') return fail("invalid number", tokline, tokcol);
    if (isfloat) {
        fvalue = (SQFloat)strtod(text.c_str(), nullptr);
        return token = TK_FLOAT;
    }
    SQUnsignedInteger v = 0;
    for (char d : text) v = v * 10 + (SQUnsignedInteger)(d - '0');
    ivalue = (SQInteger)v;
    return token = TK_INTEGER;
}

bool SQLexer::readEscape(std::string& out)
{
    SQInteger line = _line, col = _col;
    next();  // the backslash
    int c = cur();
    switch (c) {
        case 't':
            out += '\t';
            break;
        case 'a':
            out += '\a';
            break;
        case 'b':
            out += '\b';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 'v':
            out += '\v';
            break;
        case 'f':
            out += '\f';
            break;
        case '0':
            out += '\0';
            break;
        case '\\':
            out += '\\';
            break;
        case '"':
            out += '"';
            break;
        case '\'':
            out += '\'';
            break;
        case 'x':
        case 'u':
        case 'U': {
            int maxdigits = c == 'x' ? 2 : c == 'u' ? 4 : 8;
            next();
            uint32_t v = 0;
            int n = 0;
            while (n < maxdigits && hexValue(cur()) >= 0) {
                v = (v << 4) | (uint32_t)hexValue(cur());
                next();
                n++;
            }
            if (n == 0) {
                fail("hexadecimal number expected", line, col);
                return false;
            }
            if (c == 'x')
                out += (char)v;
            else
                appendUtf8(out, v);
            return true;
        }
        default:
            fail("unrecognised escaper char", line, col);
            return false;
    }
    next();
    return true;
}

int SQLexer::readString(int delim, bool verbatim)
{
    SQInteger line = tokline, col = tokcol;
    next();  // opening quote
    svalue.clear();
    for (;;) {
        int c = cur();
        if (c == -1) return fail("unfinished string", line, col);
        if (c == '\n' && !verbatim) return fail("newline in a constant", line, col);
        if (c == delim) {
            next();
            if (verbatim && cur() == delim) {
                svalue += (char)delim;
                next();
                continue;
            }
            break;
        }
        if (c == '\\' && !verbatim) {
            if (!readEscape(svalue)) return TK_EOF;
            continue;
        }
        svalue += (char)c;
        next();
    }
    if (delim == '\'') {
        if (svalue.size() != 1) return fail("invalid character", line, col);
        ivalue = (unsigned char)svalue[0];
        return token = TK_INTEGER;
    }
    return token = TK_STRING_LITERAL;
}

const char* SQLexer::TokenName(int tok) const
{
    static char single[2];
    switch (tok) {
        case TK_EOF:
            return "end of file";
        case TK_IDENTIFIER:
            return "IDENTIFIER";
        case TK_STRING_LITERAL:
            return "STRING_LITERAL";
        case TK_INTEGER:
            return "INTEGER";
        case TK_FLOAT:
            return "FLOAT";
        case TK_EQ:
            return "==";
        case TK_NE:
            return "!=";
        case TK_LE:
            return "<=";
        case TK_GE:
            return ">=";
        case TK_AND:
            return "&&";
        case TK_OR:
            return "||";
        case TK_NEWSLOT:
            return "<-";
        case TK_PLUSEQ:
            return "+=";
        case TK_MINUSEQ:
            return "-=";
        case TK_MULEQ:
            return "*=";
        case TK_DIVEQ:
            return "/=";
        case TK_MODEQ:
            return "%=";
        case TK_PLUSPLUS:
            return "++";
        case TK_MINUSMINUS:
            return "--";
        case TK_SHIFTL:
            return "<<";
        case TK_SHIFTR:
            return ">>";
        case TK_USHIFTR:
            return ">>>";
        case TK_3WAYSCMP:
            return "<=>";
        case TK_DOUBLE_COLON:
            return "::";
        case TK_VARPARAMS:
            return "...";
        case TK_ATTR_OPEN:
            return "</";
        case TK_ATTR_CLOSE:
            return "/>";
        default:
            break;
    }
    if (tok < 256) {
        single[0] = (char)tok;
        single[1] = 0;
        return single;
    }
    for (const auto& kw : keywords()) {
        if (kw.second == tok) return kw.first.c_str();
    }
    return "?";
}
