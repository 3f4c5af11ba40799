// The archiver command line: tokens, switches and the two paths.
#include "unlha32/CommandLine.h"

#include <algorithm>
#include <optional>

#include "platform/AsciiCase.h"
#include "unlha32/unlha32.h"

namespace unlha {
namespace {

struct Token {
  std::string text;
  bool quoted = false;  // some part stood between quotes
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Splits at unquoted blanks; nullopt when a quote is left open.
std::optional<std::vector<Token>> tokenize(std::string_view line) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i == line.size()) break;
    Token token;
    bool inQuotes = false;
    for (; i < line.size() && (inQuotes || !isBlank(line[i])); ++i) {
      if (line[i] == '"') {
        inQuotes = !inQuotes;
        token.quoted = true;
      } else {
        token.text += line[i];
      }
    }
    if (inQuotes) return std::nullopt;
    tokens.push_back(std::move(token));
  }
  return tokens;
}

bool acceptedSwitch(const std::string& given) {
  const std::string s = platform::ascii::toLower(given);
  if (s.size() >= 3 && s.compare(0, 3, "-jy") == 0) {
    return std::all_of(s.begin() + 3, s.end(), [](char c) { return c >= 'a' && c <= 'z'; });
  }
  return s == "-c" || s == "-c1" || s == "-d" || s == "-d1";
}

ParsedCommand failure(int error, std::string message) {
  ParsedCommand result;
  result.error = error;
  result.message = std::move(message);
  return result;
}

bool endsInSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

}  // namespace

ParsedCommand parseCommandLine(std::string_view utf8) {
  auto tokens = tokenize(utf8);
  if (!tokens) return failure(UNLHA_ERROR_COMMAND_NAME, "unterminated quotation mark");
  if (tokens->empty()) return failure(UNLHA_ERROR_COMMAND_NAME, "empty command line");

  ParsedCommand result;
  const std::string word = platform::ascii::toLower((*tokens)[0].text);
  if (word != "e" && word != "x") return failure(UNLHA_ERROR_COMMAND_NAME, "unknown command");
  result.command.word = word[0];

  std::vector<std::string> arguments;
  bool switchesEnded = false;
  for (size_t i = 1; i < tokens->size(); ++i) {
    Token& token = (*tokens)[i];
    if (!switchesEnded && !token.quoted && token.text == "--") {
      switchesEnded = true;
    } else if (!switchesEnded && !token.quoted && !token.text.empty() && token.text[0] == '-') {
      if (!acceptedSwitch(token.text)) return failure(UNLHA_ERROR_NOT_SUPPORT, "unknown switch");
      result.command.switches.push_back(std::move(token.text));
    } else {
      arguments.push_back(std::move(token.text));
    }
  }

  if (arguments.empty() || arguments[0].empty()) {
    return failure(UNLHA_ERROR_COMMAND_NAME, "no archive named");
  }
  if (arguments.size() < 2) return failure(UNLHA_ERROR_COMMAND_NAME, "no destination folder");
  if (!endsInSeparator(arguments[1]) || arguments.size() > 2) {
    return failure(UNLHA_ERROR_NOT_SUPPORT, "member names to extract are not supported");
  }
  result.command.archive = std::move(arguments[0]);
  result.command.destination = std::move(arguments[1]);
  return result;
}

}  // namespace unlha
