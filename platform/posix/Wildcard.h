// Windows wildcard matching of file names ('*' and '?', without regard to ASCII case).
#pragma once

#include <string_view>

namespace platform {

// True when the name matches the pattern as FindFirstFile matches it: '*' stands for any run of
// characters, '?' for one character (or none just before a dot or at the end), "*.*" matches
// every name, also one without a dot, and "*." the names without a dot. Letters compare without
// regard to ASCII case. (Windows also matches the 8.3 short names; there are none here.)
bool wildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace platform
