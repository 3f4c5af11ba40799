// Windows wildcard matching of file names ('*' and '?', without regard to ASCII case).
#pragma once

#include <string_view>

namespace platform {

// True when the name matches the pattern as FindFirstFile matches it: "*.*" matches every
// name, also one without a dot; letters compare without regard to ASCII case.
bool wildcardMatch(std::string_view pattern, std::string_view name);

}  // namespace platform
