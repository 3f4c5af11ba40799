// Path and name rules the window applies.
#include <gtest/gtest.h>

#include "app/TextRules.h"

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
  EXPECT_EQ(app::upperAscii("c:\\valtern\\ヘルプ\\old_bin\\"), "C:\\VALTERN\\ヘルプ\\OLD_BIN\\");
  EXPECT_EQ(app::findIgnoreCase("D:\\B\\New_BIN\\", "NEW_BIN\\"), 5u);
  EXPECT_TRUE(app::equalsIgnoreCase("Install.INI", "install.ini"));
}

}  // namespace
