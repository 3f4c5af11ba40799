// Path and name rules the window applies.
#include <gtest/gtest.h>

#include "app/TextRules.h"
#include "platform/AsciiCase.h"

namespace {

TEST(TextRules, PathParts) {
  EXPECT_EQ(app::folderPart("C:\\VALTERN\\BREVAN\\PICTDESK.EXE"), "C:\\VALTERN\\BREVAN\\");
  EXPECT_EQ(app::folderPart("C:PICTDESK.EXE"), "C:");
  EXPECT_EQ(app::folderPart("PICTDESK.EXE"), "");
  EXPECT_EQ(app::namePart("C:\\A\\b.txt"), "b.txt");
  EXPECT_EQ(app::withBackslash("C:\\A"), "C:\\A\\");
  EXPECT_EQ(app::withBackslash("C:\\A\\"), "C:\\A\\");
  EXPECT_EQ(app::withoutBackslash("C:\\A\\"), "C:\\A");
}

TEST(TextRules, Extensions) {
  EXPECT_EQ(app::extensionOf("PictDesk.ex_"), ".ex_");
  EXPECT_EQ(app::extensionOf("C:\\a.b\\name"), "");
  EXPECT_EQ(app::extensionOf("name"), "");
  EXPECT_EQ(app::changeExtension("LIST.4K_", ".TXT"), "LIST.TXT");
  EXPECT_EQ(app::changeExtension("name", ".KOU"), "name.KOU");
}

TEST(TextRules, CaseFoldingTouchesAsciiOnly) {
  using namespace platform::ascii;
  EXPECT_EQ(toUpper("c:\\valtern\\ヘルプ\\old_bin\\"), "C:\\VALTERN\\ヘルプ\\OLD_BIN\\");
  EXPECT_EQ(toLower("Install.INI ÄÖ"), "install.ini ÄÖ");
  EXPECT_EQ(app::findIgnoreCase("D:\\B\\New_BIN\\", "NEW_BIN\\"), 5u);
  EXPECT_TRUE(equalsIgnoreCase("Install.INI", "install.ini"));
  EXPECT_FALSE(equalsIgnoreCase("Install.INI", "install.in"));
  EXPECT_FALSE(equalsIgnoreCase("[", "{"));  // only letters fold: '[' + 0x20 is '{'
  EXPECT_LT(compareIgnoreCase("New_BIN", "OLD_bin"), 0);
  EXPECT_EQ(compareIgnoreCase("New_BIN", "new_bin"), 0);
  EXPECT_GT(compareIgnoreCase("new_bin2", "NEW_BIN"), 0);
}

}  // namespace
