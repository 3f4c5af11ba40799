// The read-only walk over the installation tree, and its question when an attribute stays.
#include <filesystem>

#include "tests/app/WindowFixture.h"

namespace test {
namespace {

TEST_F(WindowTest, AttributeThatCannotChangeAsksAndNoStopsOnlyThatFolder) {
  // The kernel's settings folder and most files in it are read-only, and their mode cannot be
  // changed, not even by root.
  machine.put("C:\\B\\a\\x.txt", "x");
  std::filesystem::create_directory_symlink("/proc/sys/kernel", machine.native("C:\\B\\a\\kernel"));
  for (const char* name :
       {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt", "6.txt", "7.txt", "8.txt"}) {
    machine.put(std::string("C:\\B\\") + name, name);
    machine.setReadOnly(std::string("C:\\B\\") + name, true);
  }
  machine.setReadOnly("C:\\B\\a\\x.txt", true);
  putSettings("C:\\B\\");
  create();
  for (auto answer : {platform::MessageAnswer::No, platform::MessageAnswer::Yes}) {
    SCOPED_TRACE(answer == platform::MessageAnswer::No ? "いいえ" : "はい");
    view.messages.clear();
    view.messageAnswers = {answer};
    form->ClearReadOnly("C:\\B\\");
    ASSERT_FALSE(view.messages.empty());
    EXPECT_EQ(view.messages[0].text, "属性変更に失敗しました。処理を続行しますか？");
    EXPECT_EQ(view.messages[0].title, "確認");
    EXPECT_EQ(view.messages[0].buttons, platform::MessageButtons::YesNo);
    // "いいえ" leaves the rest of that folder; "はい" goes on and meets the next one.
    EXPECT_EQ(view.messages.size() == 1, answer == platform::MessageAnswer::No);
    // Everywhere else the walk went on.
    for (const char* name :
         {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt", "6.txt", "7.txt", "8.txt", "a\\x.txt"}) {
      auto attributes = machine.services().files.attributes(std::string("C:\\B\\") + name);
      ASSERT_TRUE(attributes.has_value());
      EXPECT_EQ(*attributes & platform::kAttrReadOnly, 0u) << name;
    }
    for (const char* name : {"1.txt", "a\\x.txt"})
      machine.setReadOnly(std::string("C:\\B\\") + name, true);
  }
}

}  // namespace
}  // namespace test
