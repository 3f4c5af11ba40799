// Wildcard matching as FindFirstFile does it, row by row.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/Wildcard.h"

namespace {

struct Row {
  const char* pattern;
  const char* name;
  bool matches;
};

void check(std::initializer_list<Row> rows) {
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("pattern \"") + row.pattern + "\", name \"" + row.name + "\"");
    EXPECT_EQ(platform::wildcardMatch(row.pattern, row.name), row.matches);
  }
}

TEST(WildcardTest, StarAndStarDotStarMatchEveryName) {
  check({
      {"*", "A.INI", true},
      {"*", "Sub", true},
      {"*", ".", true},
      {"*", "..", true},
      {"*.*", "A.INI", true},
      {"*.*", "NODOT", true},  // a name without a dot
      {"*.*", ".profile", true},
      {"*.*", "a.b.c", true},
      {"*.*", ".", true},
      {"*.*", "..", true},
  });
}

TEST(WildcardTest, ExtensionsCompareWithoutCaseAndOnlyTheLastOne) {
  check({
      {"*.BAK", "x.bak", true},
      {"*.BAK", "X.Bak", true},
      {"*.BAK", "a.b.BAK", true},
      {"*.BAK", ".bak", true},
      {"*.BAK", "x.bak.old", false},
      {"*.BAK", "xbak", false},
      {"*.HTM", "page.html", false},  // Windows matches this through 8.3 names; none here
      {"*.", "NODOT", true},
      {"*.", "a.txt", false},
      {"a.*", "a", true},
      {"a.*", "a.b", true},
      {"a.*", "ab", false},
  });
}

TEST(WildcardTest, QuestionMarkTakesOneCharacterOrNoneBeforeADot) {
  check({
      {"?", "a", true},
      {"?", "ab", false},
      {"FILE?.TXT", "FILE1.TXT", true},
      {"FILE?.TXT", "FILE.TXT", true},
      {"FILE?.TXT", "FILE12.TXT", false},
      {"??.INI", "A.INI", true},
      {"??.INI", "AB.INI", true},
      {"??.INI", "ABC.INI", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
  });
}

TEST(WildcardTest, LiteralsAndStarsInTheMiddle) {
  check({
      {"PICTDESK.EXE", "pictdesk.exe", true},
      {"PICTDESK.EXE", "pictdesk.exe2", false},
      {"PICTDESK.EXE", "pictdesk.ex", false},
      {"A*", "abc", true},
      {"A*", "b", false},
      {"*A*B*", "xxAyyBzz", true},
      {"*A*B*", "xxByyA", false},
      {"OLD_BIN", "old_bin", true},
      {"", "a", false},
  });
}

TEST(WildcardTest, OnlyAsciiLettersFoldCase) {
  check({
      {"表*", "表示.txt", true},
      {"É*", "é", false},
      {"ＡＢ", "ａｂ", false},
      {"*.ｔｘｔ", "a.ｔｘｔ", true},
  });
}

TEST(WildcardTest, ManyStarsDoNotBlowUp) {
  const std::string name(4000, 'a');
  EXPECT_FALSE(platform::wildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
  EXPECT_TRUE(platform::wildcardMatch("*a*a*a*a*a*a*a*a*a*a*a*a*a*", name));
}

}  // namespace
