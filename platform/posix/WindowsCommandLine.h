// Windows command lines taken apart as CreateProcess and the C runtime do it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::posix {

struct CommandLine {
  std::string program;                 // the first token, without its quotes
  std::vector<std::string> arguments;  // the rest, split as the C runtime splits argv
};

// The program is everything up to the closing quote when the line starts with one, else up to
// the first blank. The arguments follow the runtime's rules: blanks separate outside quotes;
// 2n backslashes before a quote give n backslashes and the quote opens or closes quoting;
// 2n+1 give n backslashes and a literal quote; "" inside quotes is a literal quote; other
// backslashes stand for themselves. nullopt for a line without a program.
std::optional<CommandLine> splitCommandLine(std::string_view line);

}  // namespace platform::posix
