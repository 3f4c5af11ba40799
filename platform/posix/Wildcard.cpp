// Windows wildcard matching of file names, with the DOS rules FindFirstFile applies.
#include "platform/posix/Wildcard.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/AsciiCase.h"

namespace platform {
namespace {

// The pattern after FindFirstFile's translation: '?' becomes "one character, or nothing at a
// dot or the end"; '*' before a '.' becomes "anything up to the name's last dot"; a '.' before
// '?', '*' or the end becomes "a dot, or the end of the name".
enum class Token : char { Literal, Star, DosStar, DosQm, DosDot };

struct Item {
  Token token;
  char letter;
};

std::vector<Item> translate(std::string_view pattern) {
  std::vector<Item> items;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (c == '?') {
      items.push_back({Token::DosQm, c});
    } else if (c == '*') {
      items.push_back({next == '.' ? Token::DosStar : Token::Star, c});
    } else if (c == '.' && (next == '?' || next == '*' || i + 1 == pattern.size())) {
      items.push_back({Token::DosDot, c});
    } else {
      items.push_back({Token::Literal, c});
    }
  }
  return items;
}

// Matching by table, from the ends backwards: row p holds for every name position n whether
// the pattern from p on matches the name from n on. Two rows are kept, so neither time nor
// memory depends on how many stars the pattern holds, and nothing recurses.
bool matchItems(const std::vector<Item>& items, std::string_view name) {
  const size_t size = name.size();
  const size_t lastDot = name.rfind('.');
  // A star before a dot may not swallow the name's last dot: that dot has to meet the pattern's.
  const size_t dosStarLimit = lastDot == std::string_view::npos ? size : lastDot;
  std::vector<char> next(size + 1, 0), row(size + 1, 0);
  next[size] = 1;  // the empty pattern matches only the end of the name
  for (size_t p = items.size(); p-- > 0;) {
    const Item& item = items[p];
    for (size_t n = size + 1; n-- > 0;) {
      const bool atEnd = n == size;
      bool result = false;
      switch (item.token) {
        case Token::Star:
          result = next[n] || (!atEnd && row[n + 1]);
          break;
        case Token::DosStar:
          result = next[n] || (n < dosStarLimit && row[n + 1]);
          break;
        case Token::DosQm:
          // One character, but at a dot or the end it matches nothing.
          result = (!atEnd && name[n] != '.') ? next[n + 1] : next[n];
          break;
        case Token::DosDot:
          result = atEnd ? next[n] : (name[n] == '.' && next[n + 1]);
          break;
        case Token::Literal:
          result = !atEnd && ascii::toUpper(item.letter) == ascii::toUpper(name[n]) && next[n + 1];
          break;
      }
      row[n] = result ? 1 : 0;
    }
    std::swap(row, next);
  }
  return next[0] != 0;
}

}  // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name) {
  return matchItems(translate(pattern), name);
}

}  // namespace platform
