// regex.h -- the regular-expression engine behind the script class `regexp`.
//
// Patterns compile to a small program run by a backtracking matcher that keeps
// its choice points on a heap stack, so no pattern can overflow the C++ stack.
// Syntax: literals, `\` quoting, `.`, `^` (start of the text), `$` (end of the
// text), `|`, `( )` capturing and `(?: )` plain groups, `[ ]` classes with
// ranges and `^` negation, the greedy closures `* + ? {n} {n,} {n,m}`, the
// escapes `\t \n \r \f \v`, the classes `\w \W \s \S \d \D \x \X \c \C \p \P
// \a \A \l \u` and the word assertions `\b \B`; a backslash before any other
// letter or digit is an error, before anything else it quotes. Closures are
// greedy and give characters back when the rest of the pattern needs them; an
// iteration beyond a closure's minimum that matches nothing is not taken, so
// `(|a)*` takes "aa".
//
// Limits, so that hostile patterns and texts end with an error instead of a
// crash or a hang: groups nest at most REGEX_MAX_NESTING deep, a counted
// repetition takes at most REGEX_MAX_REPEAT, and one match or search gives up
// (RegexResult::LimitReached) after REGEX_MAX_STEPS matcher steps or when its
// backtracking stack would hold more than REGEX_MAX_BACKTRACK entries (24 MB);
// reaching the step limit takes a fraction of a second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sqstd {

constexpr int REGEX_MAX_NESTING = 128;
constexpr uint32_t REGEX_MAX_REPEAT = 65535;
constexpr uint64_t REGEX_MAX_STEPS = 20'000'000;
constexpr size_t REGEX_MAX_BACKTRACK = 1'000'000;

// Offsets into the matched text; both are -1 for a group that took no part.
struct RegexSpan {
    ptrdiff_t begin = -1;
    ptrdiff_t end = -1;
};

enum class RegexResult { Match, NoMatch, LimitReached };

struct RegexProgram;

class Regex {
public:
    // Compiles pattern; on a malformed pattern returns null and puts a
    // description of the fault into *error.
    static std::unique_ptr<Regex> compile(std::string_view pattern, std::string* error);
    ~Regex();
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;

    // Finds the leftmost match starting at offset `from` or later. `^` and
    // `\b` still see the whole text, so `^` only matches at offset 0.
    // `from` past the end of the text finds nothing.
    RegexResult search(std::string_view text, size_t from = 0);
    // True when the whole text matches (the pattern is anchored at both ends).
    RegexResult matchWhole(std::string_view text);

    // The whole match plus one per capturing group.
    int spanCount() const;
    // Span i (0 = the whole match) of the last search or match; all spans
    // are -1 after one that found nothing.
    RegexSpan span(int i) const;

    // The script-facing text for RegexResult::LimitReached.
    static const char* limitMessage();

private:
    explicit Regex(std::unique_ptr<RegexProgram> program);
    RegexResult run(std::string_view text, size_t from, bool wholeText);

    std::unique_ptr<RegexProgram> program_;
    std::vector<ptrdiff_t> spans_;  // begin/end pairs of the last match
};

}  // namespace sqstd
