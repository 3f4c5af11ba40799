// Windows command lines taken apart as CreateProcess and the C runtime do it.
#include "platform/posix/WindowsCommandLine.h"

#include <utility>

namespace platform::posix {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string> splitArguments(std::string_view text) {
  std::vector<std::string> out;
  size_t i = 0;
  while (true) {
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i >= text.size()) return out;
    std::string argument;
    bool quoted = false;
    while (i < text.size() && (quoted || !isBlank(text[i]))) {
      if (text[i] == '\\') {
        size_t count = 0;
        while (i < text.size() && text[i] == '\\') {
          ++count;
          ++i;
        }
        if (i < text.size() && text[i] == '"') {
          argument.append(count / 2, '\\');
          if (count % 2 == 1) {
            argument += '"';
            ++i;
          }
        } else {
          argument.append(count, '\\');
        }
      } else if (text[i] == '"') {
        if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
          argument += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument += text[i++];
      }
    }
    out.push_back(std::move(argument));
  }
}

}  // namespace

std::optional<CommandLine> splitCommandLine(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  CommandLine out;
  if (i < line.size() && line[i] == '"') {
    size_t close = line.find('"', i + 1);
    if (close == std::string_view::npos) close = line.size();
    out.program = std::string(line.substr(i + 1, close - i - 1));
    i = close < line.size() ? close + 1 : close;
  } else {
    size_t end = i;
    while (end < line.size() && !isBlank(line[end])) ++end;
    out.program = std::string(line.substr(i, end - i));
    i = end;
  }
  if (out.program.empty()) return std::nullopt;
  out.arguments = splitArguments(line.substr(i));
  return out;
}

}  // namespace platform::posix
