#include "platform/shaderc/preprocess.h"

#include <cctype>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

static const int MAX_INCLUDE_DEPTH = 32;

void Preprocessor::error(int file, int line, const char* fmt, ...)
{
    char msg[512];
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(msg, sizeof(msg), fmt, ap);
    va_end(ap);
    char where[600];
    snprintf(where, sizeof(where), "%s(%d): error: %s\n", files[file].c_str(), line, msg);
    errors += where;
}

void Preprocessor::emit(const std::string& text, int file, int line)
{
    output += text;
    output += '\n';
    lineMap.push_back({file, line});
}

// Splits a source into physical lines; CR LF, CR and LF all end a line.
static std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') i++;
        } else if (c != 0) {
            cur += c;
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

// Removes comments, carrying an open block comment from line to line.
static std::string stripComments(const std::string& line, bool& inBlock)
{
    std::string out;
    for (size_t i = 0; i < line.size(); i++) {
        if (inBlock) {
            if (line[i] == '*' && i + 1 < line.size() && line[i + 1] == '/') {
                inBlock = false;
                i++;
                out += ' ';
            }
        } else if (line[i] == '/' && i + 1 < line.size() && line[i + 1] == '*') {
            inBlock = true;
            i++;
        } else if (line[i] == '/' && i + 1 < line.size() && line[i + 1] == '/') {
            break;
        } else {
            out += line[i];
        }
    }
    return out;
}

static std::string trim(const std::string& s)
{
    size_t a = 0, b = s.size();
    while (a < b && isspace((unsigned char)s[a])) a++;
    while (b > a && isspace((unsigned char)s[b - 1])) b--;
    return s.substr(a, b - a);
}

static bool isIdentStart(char c) { return isalpha((unsigned char)c) || c == '_'; }
static bool isIdentChar(char c) { return isalnum((unsigned char)c) || c == '_'; }

bool Preprocessor::run(const char* source, size_t size, const char* name)
{
    files.push_back(name ? name : "<source>");
    return processFile(std::string(source ? source : "", source ? size : 0), (int)files.size() - 1, 0, nullptr);
}

bool Preprocessor::processFile(const std::string& text, int file, int depth, const void* parentData)
{
    std::vector<std::string> lines = splitLines(text);
    std::vector<Conditional> conds;
    bool inBlock = false;
    bool ok = true;
    for (size_t i = 0; i < lines.size(); i++) {
        int lineNo = (int)i + 1;
        bool startedInComment = inBlock;
        std::string code = stripComments(lines[i], inBlock);
        std::string t = trim(code);
        if (!startedInComment && !t.empty() && t[0] == '#') {
            // A directive continues over lines that end with a backslash.
            while (!t.empty() && t.back() == '\\' && i + 1 < lines.size()) {
                t.pop_back();
                t += ' ' + trim(stripComments(lines[++i], inBlock));
            }
            if (!directive(trim(t.substr(1)), file, lineNo, depth, parentData, conds)) ok = false;
            continue;
        }
        if (active(conds)) emit(code, file, lineNo);
    }
    if (!conds.empty()) {
        error(file, (int)lines.size(), "unterminated #if");
        ok = false;
    }
    return ok;
}

bool Preprocessor::directive(const std::string& d, int file, int lineNo, int depth, const void* parentData,
                             std::vector<Conditional>& conds)
{
    size_t n = 0;
    while (n < d.size() && isIdentChar(d[n])) n++;
    std::string name = d.substr(0, n);
    std::string rest = trim(d.substr(n));
    bool on = active(conds);

    if (name == "if" || name == "ifdef" || name == "ifndef") {
        bool value = false;
        if (on) {
            if (name == "if") {
                long long v;
                if (!evaluate(rest, &v, 0)) {
                    error(file, lineNo, "bad #if expression '%s'", rest.c_str());
                    return false;
                }
                value = v != 0;
            } else {
                if (rest.empty() || !isIdentStart(rest[0])) {
                    error(file, lineNo, "#%s needs a macro name", name.c_str());
                    return false;
                }
                size_t e = 0;
                while (e < rest.size() && isIdentChar(rest[e])) e++;
                value = macros.count(rest.substr(0, e)) == (name == "ifdef" ? 1u : 0u);
            }
        }
        conds.push_back({on, on && value, on && value, false});
        return true;
    }
    if (name == "elif" || name == "else" || name == "endif") {
        if (conds.empty() || (name != "endif" && conds.back().sawElse)) {
            error(file, lineNo, "#%s without a matching #if", name.c_str());
            return false;
        }
        Conditional& c = conds.back();
        if (name == "endif") {
            conds.pop_back();
        } else if (name == "else") {
            c.sawElse = true;
            c.active = c.parentActive && !c.taken;
            c.taken = true;
        } else {
            bool value = false;
            if (c.parentActive && !c.taken) {
                long long v;
                if (!evaluate(rest, &v, 0)) {
                    error(file, lineNo, "bad #elif expression '%s'", rest.c_str());
                    return false;
                }
                value = v != 0;
            }
            c.active = value;
            c.taken = c.taken || value;
        }
        return true;
    }
    if (!on) return true;  // everything else is skipped in inactive regions

    if (name == "include") {
        if (rest.size() < 2 || !((rest[0] == '"' && rest.find('"', 1) != std::string::npos) ||
                                 (rest[0] == '<' && rest.find('>', 1) != std::string::npos))) {
            error(file, lineNo, "#include needs \"file\" or <file>");
            return false;
        }
        char close = rest[0] == '"' ? '"' : '>';
        std::string inc = rest.substr(1, rest.find(close, 1) - 1);
        if (depth >= MAX_INCLUDE_DEPTH) {
            error(file, lineNo, "includes nested too deeply at '%s'", inc.c_str());
            return false;
        }
        LPCVOID data = nullptr;
        UINT bytes = 0;
        if (!include || FAILED(include->Open(close == '"' ? D3D_INCLUDE_LOCAL : D3D_INCLUDE_SYSTEM, inc.c_str(),
                                             parentData, &data, &bytes))) {
            error(file, lineNo, "can't open include file '%s'", inc.c_str());
            return false;
        }
        files.push_back(inc);
        bool ok = processFile(std::string((const char*)data, bytes), (int)files.size() - 1, depth + 1, data);
        include->Close(data);
        return ok;
    }
    if (name == "define") {
        size_t e = 0;
        while (e < rest.size() && isIdentChar(rest[e])) e++;
        if (e == 0 || !isIdentStart(rest[0])) {
            error(file, lineNo, "#define needs a macro name");
            return false;
        }
        bool function = e < rest.size() && rest[e] == '(';
        macros[rest.substr(0, e)] = {function ? std::string() : trim(rest.substr(e)), function};
        emit("#" + d, file, lineNo);  // the shading language expands macros in code itself
        return true;
    }
    if (name == "undef") {
        macros.erase(trim(rest));
        emit("#" + d, file, lineNo);
        return true;
    }
    if (name == "error") {
        error(file, lineNo, "#error %s", rest.c_str());
        return false;
    }
    if (name == "pragma" || name == "extension") {
        emit("#" + d, file, lineNo);
        return true;
    }
    if (name == "version") {
        error(file, lineNo, "#version is set by the compiler; remove it");
        return false;
    }
    if (name.empty()) return true;  // a lone '#' is allowed
    error(file, lineNo, "unknown directive #%s", name.c_str());
    return false;
}

// Integer expressions of #if and #elif, with C precedence. Identifiers that
// are not object-like macros count as 0.
class ExpressionParser {
public:
    ExpressionParser(Preprocessor& pp, const std::string& s, int depth) : pp(pp), s(s), depth(depth) {}
    bool parse(long long* out)
    {
        long long v = ternary();
        skip();
        if (failed || pos != s.size()) return false;
        *out = v;
        return true;
    }

private:
    void skip()
    {
        while (pos < s.size() && isspace((unsigned char)s[pos])) pos++;
    }
    bool accept(const char* op)
    {
        skip();
        size_t n = strlen(op);
        if (s.compare(pos, n, op) != 0) return false;
        // '&' must not take the first half of '&&', nor '<' of '<<' or '<='.
        if (n == 1 && pos + 1 < s.size()) {
            char next = s[pos + 1];
            if ((op[0] == '&' || op[0] == '|') && next == op[0]) return false;
            if ((op[0] == '<' || op[0] == '>') && (next == op[0] || next == '=')) return false;
            if ((op[0] == '!' || op[0] == '=') && next == '=') return false;
        }
        pos += n;
        return true;
    }
    long long ternary()
    {
        long long c = binary(0);
        if (accept("?")) {
            long long a = ternary();
            if (!accept(":")) failed = true;
            long long b = ternary();
            return c ? a : b;
        }
        return c;
    }
    long long binary(int level)
    {
        static const char* ops[][4] = {
            {"||"},       {"&&"},     {"|"},          {"^"}, {"&"}, {"==", "!="}, {"<=", ">=", "<", ">"},
            {"<<", ">>"}, {"+", "-"}, {"*", "/", "%"}};
        if (level == 10) return unary();
        long long v = binary(level + 1);
        for (;;) {
            const char* op = nullptr;
            for (const char* o : ops[level])
                if (o && accept(o)) {
                    op = o;
                    break;
                }
            if (!op) return v;
            long long r = binary(level + 1);
            std::string o = op;
            if (o == "||")
                v = v || r;
            else if (o == "&&")
                v = v && r;
            else if (o == "|")
                v |= r;
            else if (o == "^")
                v ^= r;
            else if (o == "&")
                v &= r;
            else if (o == "==")
                v = v == r;
            else if (o == "!=")
                v = v != r;
            else if (o == "<=")
                v = v <= r;
            else if (o == ">=")
                v = v >= r;
            else if (o == "<")
                v = v < r;
            else if (o == ">")
                v = v > r;
            else if (o == "<<")
                v = (r >= 0 && r < 63) ? (long long)((unsigned long long)v << r) : 0;
            else if (o == ">>")
                v = (r >= 0 && r < 63) ? v >> r : 0;
            else if (o == "+")
                v = (long long)((unsigned long long)v + (unsigned long long)r);
            else if (o == "-")
                v = (long long)((unsigned long long)v - (unsigned long long)r);
            else if (o == "*")
                v = (long long)((unsigned long long)v * (unsigned long long)r);
            else if (r == 0 || (v == LLONG_MIN && r == -1))
                failed = true;
            else if (o == "/")
                v /= r;
            else
                v %= r;
        }
    }
    long long unary()
    {
        if (accept("!")) return !unary();
        if (accept("~")) return ~unary();
        if (accept("-")) return (long long)(0ull - (unsigned long long)unary());
        if (accept("+")) return unary();
        return primary();
    }
    std::string ident()
    {
        skip();
        size_t b = pos;
        while (pos < s.size() && isIdentChar(s[pos])) pos++;
        return s.substr(b, pos - b);
    }
    long long primary()
    {
        skip();
        if (accept("(")) {
            long long v = ternary();
            if (!accept(")")) failed = true;
            return v;
        }
        if (pos < s.size() && isdigit((unsigned char)s[pos])) {
            const char* start = s.c_str() + pos;
            char* end;
            long long v = (long long)strtoull(start, &end, 0);
            pos += (size_t)(end - start);
            while (pos < s.size() && strchr("uUlL", s[pos])) pos++;
            return v;
        }
        if (pos < s.size() && isIdentStart(s[pos])) {
            std::string id = ident();
            if (id == "defined") {
                bool paren = accept("(");
                std::string m = ident();
                if (m.empty() || (paren && !accept(")"))) failed = true;
                return pp.macros.count(m) ? 1 : 0;
            }
            auto it = pp.macros.find(id);
            if (it == pp.macros.end() || it->second.function) return 0;
            long long v = 0;
            if (it->second.body.empty() || !pp.evaluate(it->second.body, &v, depth + 1)) failed = true;
            return v;
        }
        failed = true;
        return 0;
    }

    Preprocessor& pp;
    const std::string& s;
    int depth;
    size_t pos = 0;
    bool failed = false;
};

bool Preprocessor::evaluate(const std::string& expr, long long* value, int depth)
{
    if (depth > 32 || trim(expr).empty()) return false;
    ExpressionParser p(*this, expr, depth);
    return p.parse(value);
}
