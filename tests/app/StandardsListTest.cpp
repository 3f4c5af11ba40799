// The standards list: ticks from the plug-in list, the national standards, saving at close.
#include "tests/app/WindowFixture.h"

using platform::Control;

namespace test {
namespace {

constexpr const char* kMlit = "国土交通省電子納品基準";
constexpr const char* kMaff = "農林水産省電子納品基準";

class StandardsListTest : public WindowTest {
 protected:
  void SetUp() override { putSettings("C:\\B\\"); }
  std::string cp932(const std::string& s) { return machine.services().codec.toCp932(s); }
  int ticked() const {
    int n = 0;
    for (int i = 0; i < view.itemCount(); ++i) n += view.isChecked(i) ? 1 : 0;
    return n;
  }
};

TEST_F(StandardsListTest, NoPluginListTicksEverything) {
  create();
  EXPECT_EQ(ticked(), 15);
}

TEST_F(StandardsListTest, InstallationCopyIsCopiedIntoNewBinAndFollowed) {
  machine.put("C:\\B\\NEW_BIN\\readme.txt", "");
  std::string list = cp932(std::string("[PULUGINLIST]\r\n") + kMlit + "=1\r\n日本道路公団=0\r\n");
  machine.put("C:\\B\\Install.ini", list);
  create();
  EXPECT_EQ(machine.get("C:\\B\\NEW_BIN\\Install.ini"), list);
  EXPECT_TRUE(view.isChecked(0));
  EXPECT_EQ(ticked(), 1);
}

TEST_F(StandardsListTest, OldCopyIsTheSecondSource) {
  machine.put("C:\\B\\new_bin\\x", "");
  machine.put("C:\\B\\OLD_BIN\\INSTALL.INI", cp932("[pulugInList]\r\n水資源機構 = 0x1 \r\n"));
  create();
  EXPECT_TRUE(machine.has("C:\\B\\NEW_BIN\\Install.ini"));
  EXPECT_TRUE(view.isChecked(6));
  EXPECT_EQ(ticked(), 1);
}

TEST_F(StandardsListTest, CopyThatCannotBeMadeLeavesEverythingTicked) {
  // No NEW_BIN folder: the working copy cannot be written.
  machine.put("C:\\B\\Install.ini", cp932(std::string("[PULUGINLIST]\r\n") + kMlit + "=0\r\n"));
  create();
  EXPECT_EQ(ticked(), 15);
}

TEST_F(StandardsListTest, NationalStandardsCannotBeUnticked) {
  machine.put("C:\\B\\NEW_BIN\\Install.ini",
              cp932(std::string("[PULUGINLIST]\r\n") + kMaff + "=0\r\n"));
  create();
  view.messages.clear();
  EXPECT_FALSE(view.isChecked(1));  // loading does not apply the rule
  view.clickItem(1);
  EXPECT_TRUE(view.isChecked(1));
  EXPECT_TRUE(view.messages.empty());
  view.clickItem(1);
  EXPECT_TRUE(view.isChecked(1));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, std::string("「") + kMaff + "」の\r選択解除はできません。");
  EXPECT_EQ(view.messages[0].kind, platform::MessageKind::Plain);
  view.clickItem(0);
  EXPECT_TRUE(view.isChecked(0));
  // Its text differs from the national standard's, so it may be unticked.
  view.clickItem(9);
  view.clickItem(9);
  EXPECT_FALSE(view.isChecked(9));
  EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(StandardsListTest, CloseSavesEveryItemAndKeepsOtherSections) {
  machine.put("C:\\B\\Install.ini", cp932("[OTHER]\r\nKeep=yes\r\n[PULUGINLIST]\r\n"));
  machine.put("C:\\B\\NEW_BIN\\Install.ini",
              cp932(std::string("[PULUGINLIST]\r\n") + kMlit + "=1\r\n" + kMaff + "=1\r\n"));
  create();
  view.clickItem(14);
  ASSERT_TRUE(view.deliverClose());
  EXPECT_FALSE(form->WorkList);
  auto& profiles = machine.services().profiles;
  for (int i = 0; i < 15; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(profiles.readString("C:\\B\\Install.ini", "PULUGINLIST", view.itemText(i)),
              (i <= 1 || i == 14) ? "1" : "0");
  }
  EXPECT_EQ(profiles.readString("C:\\B\\Install.ini", "OTHER", "Keep"), "yes");
}

TEST_F(StandardsListTest, CloseDuringARunSavesIntoTheSubFolderAndCopiesToTheRoot) {
  machine.put("C:\\B\\New_BIN\\Install.ini", "");
  create();
  form->InstallPath = "C:\\B\\New_BIN\\";
  ASSERT_TRUE(view.deliverClose());
  EXPECT_EQ(machine.get("C:\\B\\Install.ini"), machine.get("C:\\B\\New_BIN\\Install.ini"));
  EXPECT_NE(machine.get("C:\\B\\Install.ini").find("[PULUGINLIST]"), std::string::npos);
}

TEST_F(StandardsListTest, UnwritableListKeepsTheWindowOpenUntilItCanBeWritten) {
  machine.put("C:\\B\\Install.ini", "[PULUGINLIST]\r\n");
  machine.setReadOnly("C:\\B\\Install.ini", true);
  create();
  view.messages.clear();
  EXPECT_FALSE(view.deliverClose());
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, "C:\\B\\Install.ini に書き込めません");
  EXPECT_TRUE(form->WorkList);
  machine.setReadOnly("C:\\B\\Install.ini", false);
  EXPECT_TRUE(view.deliverClose());
}

TEST_F(StandardsListTest, DamagedPluginListDoesNotBreakStartUp) {
  std::string junk(1 << 20, '\x81');
  junk += "\n[PULUGINLIST]\n\xff\xfe=1\n";
  machine.put("C:\\B\\NEW_BIN\\Install.ini", junk);
  create();
  EXPECT_EQ(ticked(), 0);
  EXPECT_TRUE(view.deliverClose());
}

}  // namespace
}  // namespace test
