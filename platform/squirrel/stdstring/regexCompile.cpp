// regexCompile.cpp -- parses a pattern into a syntax tree and turns the tree
// into the matcher's program.
#include <string>

#include "platform/squirrel/stdstring/regex.h"
#include "platform/squirrel/stdstring/regexProgram.h"

namespace sqstd {

namespace {

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isLower(unsigned char c) { return c >= 'a' && c <= 'z'; }
bool isUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool isAlnum(unsigned char c) { return isDigit(c) || isLower(c) || isUpper(c); }

struct Node {
    enum class Kind { Empty, Char, Any, Class, Assertion, Group, Sequence, Alternation, Repeat };
    Kind kind = Kind::Empty;
    uint32_t value = 0;  // byte, class index, assertion op or capture number
    bool capturing = false;
    uint32_t min = 0, max = 0;
    std::vector<int> children;
};

class Parser {
public:
    explicit Parser(std::string_view pattern) : pattern_(pattern) {}

    // Returns the root node, or -1 with error() set.
    int parse()
    {
        int root = parseAlternation();
        if (root < 0) return -1;
        if (pos_ < pattern_.size()) return fail("unbalanced ')'");  // the only thing that stops an alternation
        return root;
    }

    const std::string& error() const { return error_; }
    std::vector<Node>& nodes() { return nodes_; }
    std::vector<RegexCharSet>& classes() { return classes_; }
    int groups() const { return groups_; }

private:
    std::string_view pattern_;
    size_t pos_ = 0;
    int depth_ = 0;
    int groups_ = 0;
    std::vector<Node> nodes_;
    std::vector<RegexCharSet> classes_;
    std::string error_;

    bool atEnd() const { return pos_ >= pattern_.size(); }
    unsigned char peek() const { return (unsigned char)pattern_[pos_]; }

    int fail(const char* what)
    {
        if (error_.empty()) error_ = std::string(what) + " at offset " + std::to_string(pos_);
        return -1;
    }
    bool failed(const char* what)
    {
        fail(what);
        return false;
    }

    int add(Node n)
    {
        nodes_.push_back(std::move(n));
        return (int)nodes_.size() - 1;
    }

    int addClass(const RegexCharSet& set)
    {
        classes_.push_back(set);
        Node n;
        n.kind = Node::Kind::Class;
        n.value = (uint32_t)classes_.size() - 1;
        return add(n);
    }

    int parseAlternation()
    {
        int first = parseSequence();
        if (first < 0 || atEnd() || peek() != '|') return first;
        Node alt;
        alt.kind = Node::Kind::Alternation;
        alt.children.push_back(first);
        while (!atEnd() && peek() == '|') {
            ++pos_;
            int next = parseSequence();
            if (next < 0) return -1;
            alt.children.push_back(next);
        }
        return add(std::move(alt));
    }

    int parseSequence()
    {
        Node seq;
        seq.kind = Node::Kind::Sequence;
        while (!atEnd() && peek() != '|' && peek() != ')') {
            int atom = parseAtom();
            if (atom < 0) return -1;
            atom = parseQuantifier(atom);
            if (atom < 0) return -1;
            seq.children.push_back(atom);
        }
        if (seq.children.size() == 1) return seq.children[0];
        return add(std::move(seq));
    }

    static bool isQuantifierStart(unsigned char c) { return c == '*' || c == '+' || c == '?' || c == '{'; }

    int parseQuantifier(int atom)
    {
        if (atEnd() || !isQuantifierStart(peek())) return atom;
        Node rep;
        rep.kind = Node::Kind::Repeat;
        rep.children.push_back(atom);
        unsigned char c = peek();
        ++pos_;
        if (c == '*') {
            rep.min = 0, rep.max = REGEX_UNBOUNDED;
        } else if (c == '+') {
            rep.min = 1, rep.max = REGEX_UNBOUNDED;
        } else if (c == '?') {
            rep.min = 0, rep.max = 1;
        } else if (!parseBounds(&rep.min, &rep.max)) {
            return -1;
        }
        // Closures are greedy only: a second quantifier (a lazy `*?` elsewhere) is refused.
        if (!atEnd() && isQuantifierStart(peek())) return fail("a quantifier cannot follow a quantifier");
        return add(std::move(rep));
    }

    bool readCount(uint32_t* out)
    {
        if (atEnd() || !isDigit(peek())) return failed("malformed {n,m} repetition");
        uint64_t n = 0;
        while (!atEnd() && isDigit(peek())) {
            n = n * 10 + (peek() - '0');
            if (n > REGEX_MAX_REPEAT) return failed("repetition count too large");
            ++pos_;
        }
        *out = (uint32_t)n;
        return true;
    }

    // After `{`: `n}`, `n,}` or `n,m}`.
    bool parseBounds(uint32_t* min, uint32_t* max)
    {
        if (!readCount(min)) return false;
        *max = *min;
        if (!atEnd() && peek() == ',') {
            ++pos_;
            *max = REGEX_UNBOUNDED;
            if (!atEnd() && peek() != '}' && !readCount(max)) return false;
        }
        if (atEnd() || peek() != '}') return failed("malformed {n,m} repetition");
        ++pos_;
        if (*max < *min) return failed("repetition {n,m} with m below n");
        return true;
    }

    int parseGroup()
    {
        ++pos_;  // '('
        Node group;
        group.kind = Node::Kind::Group;
        if (pattern_.substr(pos_, 2) == "?:") {
            pos_ += 2;
        } else if (!atEnd() && peek() == '?') {
            return fail("unknown group kind after '(?'");
        } else {
            group.capturing = true;
            group.value = (uint32_t)++groups_;
        }
        if (++depth_ > REGEX_MAX_NESTING) return fail("groups nested too deeply");
        int body = parseAlternation();
        if (body < 0) return -1;
        if (atEnd()) return fail("missing ')'");
        ++pos_;
        --depth_;
        group.children.push_back(body);
        return add(std::move(group));
    }

    // A simple escape (`\n`, `\.`) gives its byte; a class escape (`\d`)
    // fills *set. Returns 1 for a byte, 2 for a class, -1 on error. Word
    // assertions are handled by the caller.
    int parseEscape(unsigned char* byte, RegexCharSet* set)
    {
        ++pos_;  // '\'
        if (atEnd()) return fail("pattern ends in '\\'");
        unsigned char c = peek();
        ++pos_;
        switch (c) {
            case 't':
                *byte = '\t';
                return 1;
            case 'n':
                *byte = '\n';
                return 1;
            case 'r':
                *byte = '\r';
                return 1;
            case 'f':
                *byte = '\f';
                return 1;
            case 'v':
                *byte = '\v';
                return 1;
            default:
                break;
        }
        if (regexPredefinedClass((char)c, set)) return 2;
        if (isAlnum(c)) {
            --pos_;
            return fail("unknown escape");
        }
        *byte = c;  // a quoted metacharacter or punctuation
        return 1;
    }

    int parseAtom()
    {
        unsigned char c = peek();
        Node n;
        switch (c) {
            case '(':
                return parseGroup();
            case '[':
                return parseClass();
            case '*':
            case '+':
            case '?':
            case '{':
                return fail("nothing to repeat");
            case '.':
                ++pos_;
                n.kind = Node::Kind::Any;
                return add(n);
            case '^':
            case '$':
                ++pos_;
                n.kind = Node::Kind::Assertion;
                n.value = (uint32_t)(c == '^' ? RegexOp::TextStart : RegexOp::TextEnd);
                return add(n);
            case '\\': {
                if (pos_ + 1 < pattern_.size() && (pattern_[pos_ + 1] == 'b' || pattern_[pos_ + 1] == 'B')) {
                    n.kind = Node::Kind::Assertion;
                    n.value = (uint32_t)(pattern_[pos_ + 1] == 'b' ? RegexOp::WordBoundary : RegexOp::NotWordBoundary);
                    pos_ += 2;
                    return add(n);
                }
                unsigned char byte = 0;
                RegexCharSet set;
                int kind = parseEscape(&byte, &set);
                if (kind < 0) return -1;
                if (kind == 2) return addClass(set);
                n.kind = Node::Kind::Char;
                n.value = byte;
                return add(n);
            }
            default:
                ++pos_;
                n.kind = Node::Kind::Char;
                n.value = c;
                return add(n);
        }
    }

    // One class member: a byte (returns 1) or a predefined class (2); -1 on error.
    int parseClassMember(unsigned char* byte, RegexCharSet* set)
    {
        if (peek() != '\\') {
            *byte = peek();
            ++pos_;
            return 1;
        }
        if (pos_ + 1 < pattern_.size() && (pattern_[pos_ + 1] == 'b' || pattern_[pos_ + 1] == 'B')) {
            return fail("word boundary inside a character class");
        }
        return parseEscape(byte, set);
    }

    int parseClass()
    {
        ++pos_;  // '['
        bool negated = !atEnd() && peek() == '^';
        if (negated) ++pos_;
        RegexCharSet set;
        bool empty = true;
        while (!atEnd() && peek() != ']') {
            unsigned char lo = 0;
            RegexCharSet member;
            int kind = parseClassMember(&lo, &member);
            if (kind < 0) return -1;
            empty = false;
            bool range = pos_ + 1 < pattern_.size() && peek() == '-' && pattern_[pos_ + 1] != ']';
            if (!range) {
                if (kind == 2)
                    set.addSet(member);
                else
                    set.add(lo);
                continue;
            }
            ++pos_;  // '-'
            unsigned char hi = 0;
            int hiKind = parseClassMember(&hi, &member);
            if (hiKind < 0) return -1;
            if (kind == 2 || hiKind == 2) return fail("a class escape cannot bound a range");
            if (hi < lo) return fail("range out of order in character class");
            set.addRange(lo, hi);
        }
        if (atEnd()) return fail("missing ']'");
        if (empty) return fail("empty character class");
        ++pos_;
        if (negated) set.invert();
        return addClass(set);
    }
};

class CodeGen {
public:
    CodeGen(std::vector<Node>& nodes, RegexProgram& prog) : nodes_(nodes), prog_(prog) {}

    void emit(int index)
    {
        const Node& n = nodes_[index];
        switch (n.kind) {
            case Node::Kind::Empty:
                break;
            case Node::Kind::Char:
                add({RegexOp::Char, n.value});
                break;
            case Node::Kind::Any:
                add({RegexOp::Any});
                break;
            case Node::Kind::Class:
                add({RegexOp::Class, n.value});
                break;
            case Node::Kind::Assertion:
                add({(RegexOp)n.value});
                break;
            case Node::Kind::Group:
                if (n.capturing) add({RegexOp::Save, 2 * n.value});
                emit(n.children[0]);
                if (n.capturing) add({RegexOp::Save, 2 * n.value + 1});
                break;
            case Node::Kind::Sequence:
                for (int child : n.children) emit(child);
                break;
            case Node::Kind::Alternation:
                emitAlternation(n);
                break;
            case Node::Kind::Repeat:
                emitRepeat(n);
                break;
        }
    }

private:
    std::vector<Node>& nodes_;
    RegexProgram& prog_;

    uint32_t here() const { return (uint32_t)prog_.code.size(); }
    uint32_t add(RegexInst inst)
    {
        prog_.code.push_back(inst);
        return here() - 1;
    }

    void emitAlternation(const Node& n)
    {
        std::vector<uint32_t> exits;
        for (size_t i = 0; i < n.children.size(); ++i) {
            bool last = i + 1 == n.children.size();
            uint32_t split = last ? 0 : add({RegexOp::Split, here() + 1});
            emit(n.children[i]);
            if (last) break;
            exits.push_back(add({RegexOp::Jump}));
            prog_.code[split].b = here();
        }
        for (uint32_t j : exits) prog_.code[j].a = here();
    }

    // The class a single-byte node matches, or -1 if the node is not one.
    int singleByteClass(const Node& n)
    {
        RegexCharSet set;
        switch (n.kind) {
            case Node::Kind::Class:
                return (int)n.value;
            case Node::Kind::Char:
                set.add((unsigned char)n.value);
                break;
            case Node::Kind::Any:
                set.invert();
                break;
            default:
                return -1;
        }
        prog_.classes.push_back(set);
        return (int)prog_.classes.size() - 1;
    }

    void emitRepeat(const Node& n)
    {
        const Node& body = nodes_[n.children[0]];
        if (n.max == 0) return;
        int cls = singleByteClass(body);
        if (cls >= 0) {
            // One stack entry gives back characters one at a time.
            add({RegexOp::RepeatClass, (uint32_t)cls, 0, n.min, n.max});
        } else if (n.min == 1 && n.max == 1) {
            emit(n.children[0]);
        } else {
            uint32_t loop = (uint32_t)prog_.loops++;
            add({RegexOp::LoopInit, loop});
            uint32_t head = add({RegexOp::Loop, loop, 0, n.min, n.max});
            emit(n.children[0]);
            add({RegexOp::Jump, head});
            prog_.code[head].b = here();
        }
    }
};

}  // namespace

bool regexIsWordChar(unsigned char c) { return isAlnum(c) || c == '_'; }

bool regexPredefinedClass(char letter, RegexCharSet* set)
{
    RegexCharSet s;
    char lower = (char)(isUpper((unsigned char)letter) ? letter - 'A' + 'a' : letter);
    switch (lower) {
        case 'w':
            for (unsigned c = 0; c < 256; ++c)
                if (regexIsWordChar((unsigned char)c)) s.add((unsigned char)c);
            break;
        case 's':
            s.add(' ');
            s.addRange('\t', '\r');  // \t \n \v \f \r
            break;
        case 'd':
            s.addRange('0', '9');
            break;
        case 'x':
            s.addRange('0', '9');
            s.addRange('a', 'f');
            s.addRange('A', 'F');
            break;
        case 'c':
            s.addRange(0, 0x1f);
            s.add(0x7f);
            break;
        case 'p':  // printable, neither letter, digit nor space
            s.addRange('!', '/');
            s.addRange(':', '@');
            s.addRange('[', '`');
            s.addRange('{', '~');
            break;
        case 'a':
            s.addRange('a', 'z');
            s.addRange('A', 'Z');
            break;
        case 'l':
        case 'u':
            // \l lower case and \u upper case letters; their capitals are not classes.
            if (letter == 'L' || letter == 'U') return false;
            if (letter == 'l')
                s.addRange('a', 'z');
            else
                s.addRange('A', 'Z');
            *set = s;
            return true;
        default:
            return false;
    }
    if (isUpper((unsigned char)letter)) s.invert();
    *set = s;
    return true;
}

std::unique_ptr<RegexProgram> compileRegexProgram(std::string_view pattern, std::string* error)
{
    Parser parser(pattern);
    int root = parser.parse();
    if (root < 0) {
        if (error) *error = parser.error();
        return nullptr;
    }
    auto prog = std::make_unique<RegexProgram>();
    prog->classes = std::move(parser.classes());
    prog->groups = parser.groups();
    prog->code.push_back({RegexOp::Save, 0});
    CodeGen(parser.nodes(), *prog).emit(root);
    prog->code.push_back({RegexOp::Save, 1});
    prog->code.push_back({RegexOp::Match});
    return prog;
}

}  // namespace sqstd
