// The names in one folder of the destination, found without regard to ASCII case.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/AsciiCase.h"

namespace unlha {

// The machine's rule: a name matches an existing entry whatever its ASCII letter case; an
// exact match comes first.
struct FolderNames {
  std::unordered_set<std::string> exact;
  std::unordered_map<std::string, std::string> folded;

  void add(const std::string& name) {
    exact.insert(name);
    folded.emplace(platform::ascii::toLower(name), name);
  }
  std::optional<std::string> find(const std::string& name) const {
    if (exact.count(name) != 0) return name;
    const auto it = folded.find(platform::ascii::toLower(name));
    if (it == folded.end()) return std::nullopt;
    return it->second;
  }
};

}  // namespace unlha
