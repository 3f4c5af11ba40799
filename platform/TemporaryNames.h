// The names of the program's own temporary files, written beside a target and renamed onto it.
#pragma once

#include <string_view>

namespace platform {

// Every temporary file the backends write beside a target starts with this.
inline constexpr std::string_view kTemporaryPrefix = ".~brevan-";

// True for exactly the names the backends give their temporary files: ".~brevan-<pid>-<n>" and
// ".~brevan-body-<pid>-<n>", with decimal numbers. A program killed between writing such a file
// and renaming it leaves it behind; no file of the product or of a user has such a name.
inline bool isProgramTemporaryName(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix)) return false;
  name.remove_prefix(kTemporaryPrefix.size());
  if (name.starts_with("body-")) name.remove_prefix(5);
  // <digits> "-" <digits>, nothing else.
  auto digits = [&name] {
    size_t n = 0;
    while (n < name.size() && name[n] >= '0' && name[n] <= '9') ++n;
    name.remove_prefix(n);
    return n > 0;
  };
  if (!digits() || !name.starts_with('-')) return false;
  name.remove_prefix(1);
  return digits() && name.empty();
}

}  // namespace platform
