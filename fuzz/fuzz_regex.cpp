// Feeds arbitrary patterns and texts to the regex engine: the input is a
// pattern, a zero byte, then the text. A compiled pattern must give spans
// inside the text, in order, and a whole-text match must span all of it.
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/squirrel/stdstring/regex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input((const char*)data, size);
    size_t cut = input.find('\0');
    if (cut == std::string_view::npos) cut = size;
    std::string_view pattern = input.substr(0, cut);
    std::string_view text = cut < size ? input.substr(cut + 1) : std::string_view();
    std::string error;
    std::unique_ptr<sqstd::Regex> re = sqstd::Regex::compile(pattern, &error);
    if (!re) {
        if (error.empty()) abort();
        return 0;
    }
    size_t from = text.empty() ? 0 : (size_t)(unsigned char)text[0] % (text.size() + 1);
    if (re->search(text, from) == sqstd::RegexResult::Match) {
        for (int i = 0; i < re->spanCount(); ++i) {
            sqstd::RegexSpan s = re->span(i);
            if (s.begin == -1 && s.end == -1 && i > 0) continue;
            if (s.begin < 0 || s.begin > s.end || s.end > (ptrdiff_t)text.size()) abort();
        }
        if (re->span(0).begin < (ptrdiff_t)from) abort();
    }
    if (re->matchWhole(text) == sqstd::RegexResult::Match) {
        if (re->span(0).begin != 0 || re->span(0).end != (ptrdiff_t)text.size()) abort();
    }
    return 0;
}
