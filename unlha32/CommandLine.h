// The archiver command line: command word, switches, archive and destination folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace unlha {

struct Command {
  char word = 0;                      // 'e' or 'x' (lower case)
  std::vector<std::string> switches;  // as given, e.g. "-jyc"
  std::string archive;                // the archive's path, quotes removed
  std::string destination;            // the folder's path, ending in '\' or '/'
};

struct ParsedCommand {
  int error = 0;        // 0, or UNLHA_ERROR_COMMAND_NAME / UNLHA_ERROR_NOT_SUPPORT
  std::string message;  // why, when error is set (ASCII)
  Command command;
};

// Parses a command line already decoded to UTF-8. Arguments are separated by blanks or tabs;
// a double quote starts or ends a quoted part and is dropped (a backslash never escapes it, so
// "C:\dest\" keeps its trailing backslash). An unquoted argument that starts with '-' is a
// switch, up to a lone "--". The commands are "e" and "x" (any case), both extracting with
// the stored folder names. Accepted switches: -jy<letters> (no questions; we never ask), -c
// and -c1 (replace without comparing dates), -d and -d1 (keep stored folder names); any other
// switch is refused. Exactly two other arguments are needed: the archive, then the destination,
// which must end in '\' or '/'. Never throws except std::bad_alloc.
ParsedCommand parseCommandLine(std::string_view utf8);

}  // namespace unlha
