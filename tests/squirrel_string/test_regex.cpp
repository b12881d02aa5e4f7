// Regular-expression engine: syntax, backtracking, captures, limits.
#include <gtest/gtest.h>

#include <random>
// std::regex, the reference below, trips a false uninitialised-use warning
// in GCC's sanitizer builds.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <regex>

#include "platform/squirrel/stdstring/regex.h"

using sqstd::Regex;
using sqstd::RegexResult;

namespace {

std::unique_ptr<Regex> compileOk(std::string_view pattern)
{
    std::string error;
    std::unique_ptr<Regex> re = Regex::compile(pattern, &error);
    EXPECT_TRUE(re) << "pattern " << pattern << ": " << error;
    return re;
}

// Every span of the first match from `from` as "begin-end" ("-" for a group
// that took no part), or "none" / "limit".
std::string spans(std::string_view pattern, std::string_view text, size_t from = 0)
{
    std::unique_ptr<Regex> re = compileOk(pattern);
    if (!re) return "bad pattern";
    RegexResult r = re->search(text, from);
    if (r == RegexResult::NoMatch) return "none";
    if (r == RegexResult::LimitReached) return "limit";
    std::string out;
    for (int i = 0; i < re->spanCount(); ++i) {
        sqstd::RegexSpan s = re->span(i);
        if (i) out += ' ';
        out += s.begin < 0 ? "-" : std::to_string(s.begin) + "-" + std::to_string(s.end);
    }
    return out;
}

// The text of the first match, or "none" / "limit".
std::string found(std::string_view pattern, std::string_view text, size_t from = 0)
{
    std::unique_ptr<Regex> re = compileOk(pattern);
    if (!re) return "bad pattern";
    RegexResult r = re->search(text, from);
    if (r != RegexResult::Match) return r == RegexResult::NoMatch ? "none" : "limit";
    return std::string(text.substr(re->span(0).begin, re->span(0).end - re->span(0).begin));
}

bool matchesWhole(std::string_view pattern, std::string_view text)
{
    std::unique_ptr<Regex> re = compileOk(pattern);
    return re && re->matchWhole(text) == RegexResult::Match;
}

std::string compileError(std::string_view pattern)
{
    std::string error;
    std::unique_ptr<Regex> re = Regex::compile(pattern, &error);
    return re ? "compiled" : error;
}

}  // namespace

TEST(Regex, AnchorsSeeTheWholeText)
{
    EXPECT_EQ(found("^abc", "abcabc"), "abc");
    EXPECT_EQ(found("^abc", "xabc"), "none");
    EXPECT_EQ(spans("abc$", "abcabc"), "3-6");
    EXPECT_EQ(found("abc$", "abcx"), "none");
    EXPECT_EQ(spans("$", "abc"), "3-3");
    EXPECT_TRUE(matchesWhole("^$", ""));
    EXPECT_EQ(found("^$", "a"), "none");
    // `^` is the start of the text, not of the search.
    EXPECT_EQ(found("^b", "ab", 1), "none");
    EXPECT_EQ(found("a^b", "ab"), "none");
}

TEST(Regex, AlternationPrefersEarlierBranchesAndBacktracksIntoThem)
{
    EXPECT_EQ(found("cat|dog", "hotdog"), "dog");
    EXPECT_EQ(found("a|ab", "ab"), "a");
    EXPECT_TRUE(matchesWhole("a|ab", "ab"));
    EXPECT_EQ(spans("(a|ab)(c|bcd)(d*)", "abcd"), "0-4 0-1 1-4 4-4");
    EXPECT_EQ(found("x(a|b|)y", "xy"), "xy");
    EXPECT_EQ(found("|a", "a"), "");
}

TEST(Regex, GreedyClosuresGiveBackWhatTheRestNeeds)
{
    EXPECT_EQ(found("a.*b", "aXbYbZ"), "aXbYb");
    EXPECT_EQ(spans("(a+)(a+)", "aaaa"), "0-4 0-3 3-4");
    EXPECT_EQ(spans("(ab)*c", "xababc"), "1-6 3-5");
    EXPECT_EQ(found("(a|b)*b", "aabab"), "aabab");
    EXPECT_EQ(found("\\d+\\.\\d+", "v1.25x"), "1.25");
    EXPECT_EQ(found("a?ab", "ab"), "ab");
    EXPECT_EQ(found("(?:ab)+a", "abababa"), "abababa");
    EXPECT_EQ(found("(?:a|ab)+c", "aababc"), "aababc");
    EXPECT_EQ(found("x*", "aaa"), "");
}

TEST(Regex, BoundedRepetition)
{
    EXPECT_EQ(found("a{3}", "aaaa"), "aaa");
    EXPECT_EQ(found("a{3}", "aa"), "none");
    EXPECT_EQ(found("a{2,}", "aaaaa"), "aaaaa");
    EXPECT_EQ(found("a{2,3}", "aaaaa"), "aaa");
    EXPECT_EQ(found("ba{0}c", "bc"), "bc");
    EXPECT_EQ(found("(ab){2}", "abababx"), "abab");
    EXPECT_EQ(found("(ab){2,3}", "ababababab"), "ababab");
    EXPECT_EQ(found("(ab){2,}", "abx"), "none");
    EXPECT_TRUE(matchesWhole("(?:ab){2,3}", "ababab"));
    EXPECT_FALSE(matchesWhole("(?:ab){2,3}", "abababab"));
    EXPECT_FALSE(matchesWhole("(?:ab){2,3}", "ab"));
    EXPECT_EQ(found("x{1,2}x", "xx"), "xx");
    EXPECT_EQ(found("(?:x|y){3}z", "xyxyz"), "yxyz");
    EXPECT_TRUE(matchesWhole("(?:a?){3}", ""));  // mandatory iterations may be empty
}

TEST(Regex, ClassesAndRanges)
{
    EXPECT_EQ(found("[a-c]+", "xxabcabd"), "abcab");
    EXPECT_EQ(found("[^0-9]+", "12ab3"), "ab");
    EXPECT_EQ(found("[-a]+", "x-a-y"), "-a-");
    EXPECT_EQ(found("[a-]+", "x-a-y"), "-a-");
    EXPECT_EQ(found("[\\]x]+", "a]x]b"), "]x]");
    EXPECT_EQ(found("[\\d_]+", "ab1_2c"), "1_2");
    EXPECT_EQ(found("[^\\s]+", "  word  "), "word");
    EXPECT_EQ(found("[\\t\\n]+", "a\t\nb"), "\t\n");
    EXPECT_EQ(found("[.]", "ab.c"), ".");
}

TEST(Regex, PredefinedClasses)
{
    EXPECT_EQ(found("\\w+", "  foo_1 bar"), "foo_1");
    EXPECT_EQ(found("\\W+", "ab, cd"), ", ");
    EXPECT_EQ(found("\\s+", "a \t\r\n\v\fb"), " \t\r\n\v\f");
    EXPECT_EQ(found("\\S+", "  xy "), "xy");
    EXPECT_EQ(found("\\d+", "ab123c"), "123");
    EXPECT_EQ(found("\\D+", "12ab3"), "ab");
    EXPECT_EQ(found("\\x+", "zzBEEFg"), "BEEF");
    EXPECT_EQ(found("\\X+", "00zz11"), "zz");
    EXPECT_EQ(found("\\c", "ab\x7f"), "\x7f");
    EXPECT_EQ(found("\\C+", "\tab\n"), "ab");
    EXPECT_EQ(found("\\p+", "ab;:cd"), ";:");
    EXPECT_EQ(found("\\P+", ";ab c;"), "ab c");
    EXPECT_EQ(found("\\a+", "12abC3"), "abC");
    EXPECT_EQ(found("\\A+", "ab12_c"), "12_");
    EXPECT_EQ(found("\\l+", "ABcdE"), "cd");
    EXPECT_EQ(found("\\u+", "abCDe"), "CD");
}

TEST(Regex, EscapesAndLiteralMetacharacters)
{
    EXPECT_EQ(found("\\t\\n\\r\\f\\v", "x\t\n\r\f\vx"), "\t\n\r\f\v");
    EXPECT_EQ(found("a\\.b", "axb a.b"), "a.b");
    EXPECT_EQ(found("a.b", "axb"), "axb");
    EXPECT_EQ(found("\\\\", "a\\b"), "\\");
    EXPECT_EQ(found("\\(\\)\\[\\]\\{\\}\\*\\+\\?\\|\\^\\$", "()[]{}*+?|^$"), "()[]{}*+?|^$");
    EXPECT_EQ(found("}]", "a}]"), "}]");
}

TEST(Regex, BytesOutsideAsciiAndZeroBytes)
{
    std::string text = "a\xc3\xa9z";
    EXPECT_EQ(found(".", text, 1), "\xc3");
    EXPECT_EQ(found("[^a]+", text), "\xc3\xa9z");
    EXPECT_EQ(found("\\W+", text), "\xc3\xa9");
    EXPECT_EQ(found("\xc3\xa9", text), "\xc3\xa9");
    std::string zeros("a\0b", 3);
    EXPECT_EQ(spans(std::string("\\c", 2), zeros), "1-2");
    EXPECT_EQ(spans(std::string("a\0b", 3), zeros), "0-3");
}

TEST(Regex, WordBoundaries)
{
    EXPECT_EQ(spans("\\bcat\\b", "concat cat"), "7-10");
    EXPECT_EQ(spans("\\Bcat", "concat cat"), "3-6");
    EXPECT_EQ(spans("\\b", "  ab"), "2-2");
    EXPECT_EQ(spans("b\\b", "ab"), "1-2");
    EXPECT_EQ(found("\\b", ""), "none");
    EXPECT_EQ(spans("\\B", ""), "0-0");
    // The byte before the search start still counts.
    EXPECT_EQ(found("\\bb", "ab", 1), "none");
    EXPECT_EQ(spans("\\bb", "a b", 1), "2-3");
}

TEST(Regex, Captures)
{
    EXPECT_EQ(spans("((a)(b(c)))", "xabc"), "1-4 1-4 1-2 2-4 3-4");
    EXPECT_EQ(spans("(?:a)(b)", "ab"), "0-2 1-2");
    EXPECT_EQ(spans("(a)|(b)", "b"), "0-1 - 0-1");
    EXPECT_EQ(spans("(a)?b", "b"), "0-1 -");
    EXPECT_EQ(spans("(\\w)+", "abc"), "0-3 2-3");
    // A group set on a branch that later failed is undone.
    EXPECT_EQ(spans("(?:(a)x|ay)", "ay"), "0-2 -");
    EXPECT_EQ(spans("(a*)+b", "aab"), "0-3 0-2");

    std::unique_ptr<Regex> re = compileOk("(a)(?:b)((c))");
    ASSERT_TRUE(re);
    EXPECT_EQ(re->spanCount(), 4);
    EXPECT_EQ(re->span(7).begin, -1);  // no such group
    EXPECT_EQ(re->search("zzabc"), RegexResult::Match);
    EXPECT_EQ(re->span(3).begin, 4);
    // A failed search forgets the previous match.
    EXPECT_EQ(re->search("zz"), RegexResult::NoMatch);
    EXPECT_EQ(re->span(0).begin, -1);
    EXPECT_EQ(compileOk("")->spanCount(), 1);
}

TEST(Regex, SearchFromAnOffset)
{
    EXPECT_EQ(spans("a", "aXa", 1), "2-3");
    EXPECT_EQ(spans("(a)X", "aXaX", 1), "2-4 2-3");
    EXPECT_EQ(spans("", "abc", 3), "3-3");
    EXPECT_EQ(found("a", "abc", 3), "none");
    EXPECT_EQ(found("", "abc", 4), "none");
    EXPECT_EQ(spans("b+", "abbb", 2), "2-4");
}

TEST(Regex, EmptyMatchesAndEmptyLoops)
{
    EXPECT_EQ(spans("", "abc"), "0-0");
    EXPECT_EQ(spans("a*", "baa"), "0-0");
    EXPECT_EQ(spans("(a*)*", "aa"), "0-2 0-2");
    EXPECT_EQ(spans("(a*)*", "b"), "0-0 -");
    EXPECT_EQ(found("(a*)+", "aa"), "aa");
    EXPECT_EQ(found("(?:)*x", "x"), "x");
    EXPECT_EQ(found("(?:\\b)*x", "x"), "x");
    EXPECT_EQ(found("(?:$)*", "ab"), "");
    // An empty iteration beyond the minimum is not taken: the other branch is.
    EXPECT_EQ(found("(?:|a)*", "aaa"), "aaa");
    EXPECT_EQ(found("(?:|a)?", "a"), "a");
    EXPECT_TRUE(matchesWhole("(|a)+", "aaa"));
}

TEST(Regex, MatchWholeAnchorsBothEnds)
{
    EXPECT_TRUE(matchesWhole("abc", "abc"));
    EXPECT_FALSE(matchesWhole("abc", "abcd"));
    EXPECT_FALSE(matchesWhole("bcd", "abcd"));
    EXPECT_TRUE(matchesWhole("", ""));
    EXPECT_FALSE(matchesWhole("", "a"));
    EXPECT_TRUE(matchesWhole("\\d*", "123"));
    EXPECT_FALSE(matchesWhole("\\d*", "12a"));
    EXPECT_TRUE(matchesWhole("(a|ab)(c|bcd)", "abcd"));
}

TEST(Regex, MalformedPatternsAreRefusedWithTheReason)
{
    struct Case {
        const char* pattern;
        const char* error;
    } cases[] = {
        {"(ab", "missing ')' at offset 3"},
        {"ab)", "unbalanced ')' at offset 2"},
        {"[abc", "missing ']' at offset 4"},
        {"[]", "empty character class at offset 1"},
        {"[^]", "empty character class at offset 2"},
        {"[z-a]", "range out of order in character class at offset 4"},
        {"[\\d-z]", "a class escape cannot bound a range at offset 5"},
        {"[\\b]", "word boundary inside a character class at offset 1"},
        {"*a", "nothing to repeat at offset 0"},
        {"a|+", "nothing to repeat at offset 2"},
        {"(*)", "nothing to repeat at offset 1"},
        {"{2}", "nothing to repeat at offset 0"},
        {"a**", "a quantifier cannot follow a quantifier at offset 2"},
        {"a*?", "a quantifier cannot follow a quantifier at offset 2"},
        {"a{", "malformed {n,m} repetition at offset 2"},
        {"a{2", "malformed {n,m} repetition at offset 3"},
        {"a{x}", "malformed {n,m} repetition at offset 2"},
        {"a{,2}", "malformed {n,m} repetition at offset 2"},
        {"a{3,2}", "repetition {n,m} with m below n at offset 6"},
        {"a{70000}", "repetition count too large at offset 6"},
        {"ab\\", "pattern ends in '\\' at offset 3"},
        {"\\q", "unknown escape at offset 1"},
        {"(a)\\1", "unknown escape at offset 4"},
        {"\\L", "unknown escape at offset 1"},
        {"(?=a)", "unknown group kind after '(?' at offset 1"},
    };
    for (const Case& c : cases) EXPECT_EQ(compileError(c.pattern), c.error) << c.pattern;
    EXPECT_EQ(compileError("a{65535}"), "compiled");
}

TEST(Regex, NestingIsBounded)
{
    std::string ok = std::string(sqstd::REGEX_MAX_NESTING, '(') + "a" + std::string(sqstd::REGEX_MAX_NESTING, ')');
    EXPECT_EQ(found(ok, "xa"), "a");
    std::string deep(100000, '(');
    EXPECT_EQ(compileError(deep), "groups nested too deeply at offset 129");
}

TEST(Regex, HostilePatternsHitTheLimitInsteadOfHanging)
{
    std::string as(5000, 'a');
    std::unique_ptr<Regex> re = compileOk("(a*)*b");
    EXPECT_EQ(re->search(as), RegexResult::LimitReached);
    EXPECT_EQ(re->span(0).begin, -1);
    EXPECT_EQ(compileOk("(x+x+)+y")->matchWhole(std::string(40, 'x')), RegexResult::LimitReached);
    // The engine stays usable afterwards.
    EXPECT_EQ(re->search("aab"), RegexResult::Match);
    EXPECT_EQ(re->span(0).end, 3);
}

TEST(Regex, LongTextsStayWithinTheLimits)
{
    // Single-byte closures give back one byte at a time from one stack entry.
    std::string big(1 << 20, 'x');
    big += "yz";
    EXPECT_EQ(spans(".*y", big), "0-" + std::to_string(big.size() - 1));
    EXPECT_EQ(spans("x+z", big), "none");
    std::string abs;
    for (int i = 0; i < 50000; ++i) abs += "ab";
    EXPECT_EQ(spans("(?:ab)+$", abs), "0-100000");
    // A group closure keeps three stack entries per iteration: 500,000 of them overflow it.
    EXPECT_EQ(spans("(?:a)*", std::string(500000, 'a')), "limit");
}

// Patterns over a small alphabet whose whole-match semantics are those of
// ECMAScript, checked against std::regex on random texts. Closures only apply
// to bodies that cannot match empty: std::regex does not reject empty
// iterations the way ECMAScript (and this engine) do.
class RandomPattern {
public:
    explicit RandomPattern(uint32_t seed) : rng_(seed) {}

    struct Piece {
        std::string text;
        bool nullable;
    };

    // Sets *capturesComparable false when a capture sits inside a closure
    // (ECMAScript clears those on every iteration; we keep the last value).
    Piece make(int depth, bool underClosure, bool* capturesComparable)
    {
        Piece out{"", false};
        bool branchNullable = true;
        int terms = 1 + pick(3);
        for (int t = 0; t < terms; ++t) {
            if (t && pick(4) == 0) {
                out.text += "|";
                out.nullable = out.nullable || branchNullable;
                branchNullable = true;
            }
            bool quantified = pick(3) == 0;
            Piece atom{"", false};
            switch (depth > 0 ? pick(7) : pick(4)) {
                case 0:
                    atom.text = "a";
                    break;
                case 1:
                    atom.text = pick(2) ? "b" : ".";
                    break;
                case 2:
                    atom.text = pick(2) ? "[ab]" : "[^a]";
                    break;
                case 3:
                    atom.text = "c";
                    break;
                case 4:
                    atom = make(depth - 1, underClosure || quantified, capturesComparable);
                    atom.text = "(?:" + atom.text + ")";
                    break;
                default:
                    if (underClosure || quantified) *capturesComparable = false;
                    atom = make(depth - 1, underClosure || quantified, capturesComparable);
                    atom.text = "(" + atom.text + ")";
                    break;
            }
            if (quantified && !atom.nullable) {
                static const char* quantifiers[] = {"*", "+", "?", "{2}", "{0,2}", "{1,}"};
                const char* q = quantifiers[pick(6)];
                atom.text += q;
                atom.nullable = q[0] == '*' || q[0] == '?' || q[1] == '0';
            }
            out.text += atom.text;
            branchNullable = branchNullable && atom.nullable;
        }
        out.nullable = out.nullable || branchNullable;  // any branch that can match empty
        return out;
    }

    std::string text()
    {
        std::string s;
        int n = pick(9);
        for (int i = 0; i < n; ++i) s += "abc"[pick(3)];
        return s;
    }

private:
    std::mt19937 rng_;
    int pick(int n) { return (int)(rng_() % (uint32_t)n); }
};

TEST(Regex, AgreesWithEcmaScriptOnRandomPatterns)
{
    RandomPattern gen(12345);
    int compared = 0;
    for (int p = 0; p < 600; ++p) {
        bool capturesComparable = true;
        std::string pattern = gen.make(3, false, &capturesComparable).text;
        std::unique_ptr<Regex> ours = compileOk(pattern);
        ASSERT_TRUE(ours);
        std::regex theirs(pattern, std::regex::ECMAScript);
        for (int t = 0; t < 8; ++t) {
            std::string text = gen.text();
            std::smatch m;
            bool found = std::regex_search(text, m, theirs);
            RegexResult r = ours->search(text);
            ASSERT_NE(r, RegexResult::LimitReached) << pattern << " on " << text;
            ASSERT_EQ(r == RegexResult::Match, found) << pattern << " on '" << text << "'";
            if (!found) continue;
            int groups = capturesComparable ? ours->spanCount() : 1;
            for (int g = 0; g < groups; ++g) {
                ptrdiff_t begin = m[g].matched ? m.position(g) : -1;
                ptrdiff_t end = m[g].matched ? begin + m.length(g) : -1;
                ASSERT_EQ(ours->span(g).begin, begin) << pattern << " on '" << text << "' group " << g;
                ASSERT_EQ(ours->span(g).end, end) << pattern << " on '" << text << "' group " << g;
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 1000);
}
