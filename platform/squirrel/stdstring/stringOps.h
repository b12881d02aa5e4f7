// stringOps.h -- the plain string helpers behind `split`, `strip`, `lstrip`,
// `rstrip` and `escape`.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sqstd {

// Pieces of text between any of the separator bytes; empty pieces are kept
// unless skipEmpty. No separators at all gives the whole text as one piece.
std::vector<std::string_view> splitString(std::string_view text, std::string_view separators, bool skipEmpty);

// White space here is the C locale's: space, \t, \n, \v, \f and \r.
std::string_view stripLeft(std::string_view text);
std::string_view stripRight(std::string_view text);
std::string_view stripBoth(std::string_view text);

// The text as it would be written inside a double-quoted script string:
// quotes, backslashes and control bytes get backslash escapes, other bytes
// outside printable ASCII become \xnn.
std::string escapeString(std::string_view text);

}  // namespace sqstd
