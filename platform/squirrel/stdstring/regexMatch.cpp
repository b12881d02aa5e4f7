// regexMatch.cpp -- the backtracking matcher. Choice points and the old values
// of overwritten registers live on one heap stack; failing pops it back to the
// newest choice, undoing register writes on the way.
#include <cstring>

#include "platform/squirrel/stdstring/regex.h"
#include "platform/squirrel/stdstring/regexProgram.h"

namespace sqstd {

namespace {

struct Frame {
    enum class Kind : uint8_t {
        Choice,    // resume at pc/pos
        Undo,      // register index := old value
        GiveBack,  // resume at pc with one byte fewer taken by a RepeatClass, down to low
    };
    Kind kind;
    uint32_t index;  // pc, or the register for Undo
    ptrdiff_t pos;   // position, or the old register value for Undo
    ptrdiff_t low;
};

class Matcher {
public:
    Matcher(const RegexProgram& prog, std::string_view text, std::vector<ptrdiff_t>& regs)
        : prog_(prog), text_(text), regs_(regs)
    {
    }

    // Runs the program with the match starting at start; the registers hold
    // the spans after a Match.
    RegexResult attempt(size_t start, bool wholeText)
    {
        regs_.assign(prog_.registerCount(), -1);
        stack_.clear();
        choices_ = 0;
        uint32_t pc = 0;
        ptrdiff_t pos = (ptrdiff_t)start;
        const ptrdiff_t end = (ptrdiff_t)text_.size();
        for (;;) {
            if (++steps_ > REGEX_MAX_STEPS || stack_.size() > REGEX_MAX_BACKTRACK) return RegexResult::LimitReached;
            const RegexInst& in = prog_.code[pc];
            bool ok = true;
            switch (in.op) {
                case RegexOp::Char:
                    ok = pos < end && (unsigned char)text_[pos] == in.a;
                    pos += ok, ++pc;
                    break;
                case RegexOp::Any:
                    ok = pos < end;
                    pos += ok, ++pc;
                    break;
                case RegexOp::Class:
                    ok = pos < end && prog_.classes[in.a].has((unsigned char)text_[pos]);
                    pos += ok, ++pc;
                    break;
                case RegexOp::TextStart:
                    ok = pos == 0;
                    ++pc;
                    break;
                case RegexOp::TextEnd:
                    ok = pos == end;
                    ++pc;
                    break;
                case RegexOp::WordBoundary:
                case RegexOp::NotWordBoundary:
                    ok = atWordBoundary(pos) == (in.op == RegexOp::WordBoundary);
                    ++pc;
                    break;
                case RegexOp::Split:
                    push({Frame::Kind::Choice, in.b, pos, 0});
                    pc = in.a;
                    break;
                case RegexOp::Jump:
                    pc = in.a;
                    break;
                case RegexOp::Save:
                    setRegister(in.a, pos);
                    ++pc;
                    break;
                case RegexOp::LoopInit:
                    setRegister(loopCount(in.a), 0);
                    setRegister(loopCount(in.a) + 1, -1);
                    ++pc;
                    break;
                case RegexOp::Loop:
                    ok = loopHead(in, pc, pos);
                    break;
                case RegexOp::RepeatClass:
                    ok = repeatClass(in, pc, pos);
                    break;
                case RegexOp::Match:
                    if (!wholeText || pos == end) return RegexResult::Match;
                    ok = false;
                    break;
            }
            if (!ok && !backtrack(&pc, &pos)) return RegexResult::NoMatch;
        }
    }

    uint64_t steps() const { return steps_; }

private:
    const RegexProgram& prog_;
    std::string_view text_;
    std::vector<ptrdiff_t>& regs_;
    std::vector<Frame> stack_;
    size_t choices_ = 0;  // Choice and GiveBack frames on the stack
    uint64_t steps_ = 0;

    uint32_t loopCount(uint32_t loop) const { return (uint32_t)prog_.spanRegisters() + 2 * loop; }

    void push(Frame f)
    {
        stack_.push_back(f);
        ++choices_;
    }

    void setRegister(uint32_t r, ptrdiff_t value)
    {
        // With no choice left to return to, nothing will ever need the old value.
        if (choices_ > 0 && regs_[r] != value) stack_.push_back({Frame::Kind::Undo, r, regs_[r], 0});
        regs_[r] = value;
    }

    bool atWordBoundary(ptrdiff_t pos) const
    {
        bool before = pos > 0 && regexIsWordChar((unsigned char)text_[pos - 1]);
        bool after = pos < (ptrdiff_t)text_.size() && regexIsWordChar((unsigned char)text_[pos]);
        return before != after;
    }

    // After each iteration of a loop body: another iteration first, the exit
    // when that fails (greedy). False when the iteration just finished is
    // rejected: one beyond the minimum that matched nothing, which could
    // otherwise repeat forever.
    bool loopHead(const RegexInst& in, uint32_t& pc, ptrdiff_t pos)
    {
        uint32_t count = loopCount(in.a);
        ptrdiff_t iterations = regs_[count];
        if (iterations > (ptrdiff_t)in.min && regs_[count + 1] == pos) return false;
        if (iterations >= (ptrdiff_t)in.max) {
            pc = in.b;
            return true;
        }
        if (iterations >= (ptrdiff_t)in.min) push({Frame::Kind::Choice, in.b, pos, 0});
        setRegister(count, iterations + 1);
        setRegister(count + 1, pos);
        ++pc;
        return true;
    }

    bool repeatClass(const RegexInst& in, uint32_t& pc, ptrdiff_t& pos)
    {
        const RegexCharSet& set = prog_.classes[in.a];
        ptrdiff_t limit = (ptrdiff_t)text_.size();
        if (in.max != REGEX_UNBOUNDED && (ptrdiff_t)in.max < limit - pos) limit = pos + in.max;
        ptrdiff_t p = pos;
        while (p < limit && set.has((unsigned char)text_[p])) ++p;
        steps_ += (uint64_t)(p - pos);
        if (p - pos < (ptrdiff_t)in.min) return false;
        ++pc;
        if (p - pos > (ptrdiff_t)in.min) push({Frame::Kind::GiveBack, pc, p, pos + (ptrdiff_t)in.min});
        pos = p;
        return true;
    }

    bool backtrack(uint32_t* pc, ptrdiff_t* pos)
    {
        while (!stack_.empty()) {
            Frame& f = stack_.back();
            switch (f.kind) {
                case Frame::Kind::Undo:
                    regs_[f.index] = f.pos;
                    stack_.pop_back();
                    break;
                case Frame::Kind::Choice:
                    *pc = f.index;
                    *pos = f.pos;
                    stack_.pop_back();
                    --choices_;
                    return true;
                case Frame::Kind::GiveBack:
                    *pc = f.index;
                    *pos = --f.pos;
                    if (f.pos == f.low) {
                        stack_.pop_back();
                        --choices_;
                    }
                    return true;
            }
        }
        return false;
    }
};

}  // namespace

Regex::Regex(std::unique_ptr<RegexProgram> program) : program_(std::move(program)) {}
Regex::~Regex() = default;

std::unique_ptr<Regex> Regex::compile(std::string_view pattern, std::string* error)
{
    std::unique_ptr<RegexProgram> program = compileRegexProgram(pattern, error);
    if (!program) return nullptr;
    return std::unique_ptr<Regex>(new Regex(std::move(program)));
}

RegexResult Regex::run(std::string_view text, size_t from, bool wholeText)
{
    spans_.assign(program_->spanRegisters(), -1);
    if (from > text.size()) return RegexResult::NoMatch;
    std::vector<ptrdiff_t> regs;
    Matcher matcher(*program_, text, regs);
    const RegexInst& first = program_->code[1];
    for (size_t start = from; start <= text.size(); ++start) {
        // A pattern that opens with a literal byte can only match where that byte is.
        if (first.op == RegexOp::Char && !wholeText) {
            if (start >= text.size()) break;
            const void* hit = memchr(text.data() + start, (int)first.a, text.size() - start);
            if (!hit) break;
            start = (size_t)((const char*)hit - text.data());
        }
        RegexResult result = matcher.attempt(start, wholeText);
        if (result == RegexResult::Match) {
            spans_.assign(regs.begin(), regs.begin() + program_->spanRegisters());
            return result;
        }
        if (result == RegexResult::LimitReached || wholeText) return result;
        if (first.op == RegexOp::TextStart) break;
        // A failed attempt that opened with an unbounded closure has tried every
        // end of that run of class bytes, so starts inside the run fail too.
        if (first.op == RegexOp::RepeatClass && first.max == REGEX_UNBOUNDED) {
            const RegexCharSet& set = program_->classes[first.a];
            while (start < text.size() && set.has((unsigned char)text[start])) ++start;
        }
    }
    return RegexResult::NoMatch;
}

RegexResult Regex::search(std::string_view text, size_t from) { return run(text, from, false); }

RegexResult Regex::matchWhole(std::string_view text) { return run(text, 0, true); }

int Regex::spanCount() const { return program_->groups + 1; }

RegexSpan Regex::span(int i) const
{
    if (i < 0 || i > program_->groups || spans_.empty()) return {};
    return {spans_[2 * i], spans_[2 * i + 1]};
}

const char* Regex::limitMessage()
{
    return "regexp: the text needs too much backtracking for this pattern (step or memory limit reached)";
}

}  // namespace sqstd
