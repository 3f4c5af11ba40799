// The names of the staging folders: made from the process and attempt, recognised exactly.
#include "unlha32/StagingName.h"

namespace unlha {
namespace {

constexpr std::string_view kPrefix = ".unlha32-";
constexpr std::string_view kSuffix = ".part";

// Takes a run of 1 to 10 decimal digits from the front of text.
bool takeNumber(std::string_view& text) {
  size_t n = 0;
  while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
  if (n == 0 || n > 10) return false;
  text.remove_prefix(n);
  return true;
}

}  // namespace

std::string stagingName(unsigned long pid, unsigned attempt) {
  return std::string(kPrefix) + std::to_string(pid) + "-" + std::to_string(attempt) +
         std::string(kSuffix);
}

bool isStagingName(std::string_view name) {
  if (name.substr(0, kPrefix.size()) != kPrefix) return false;
  name.remove_prefix(kPrefix.size());
  if (!takeNumber(name) || name.empty() || name[0] != '-') return false;
  name.remove_prefix(1);
  return takeNumber(name) && name == kSuffix;
}

}  // namespace unlha
