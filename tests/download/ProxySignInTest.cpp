// The proxy's sign-in as the window asks for it: the boxes, the kept pair, and キャンセル.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/download/DownloadFixture.h"

namespace test {
namespace {

using platform::InputMode;
using ProxySignInTest = DownloadTest;

// True when some file under the folder holds the bytes.
bool anyFileHolds(const std::string& folder, const std::string& bytes) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    if (s.str().find(bytes) != std::string::npos) return true;
  }
  return false;
}

TEST_F(ProxySignInTest, BoxesAskNameThenPasswordAndTheAcceptedPairServesTheRun) {
  const auto list = expectedList(false, {0});
  mirror::Fault signIn;
  signIn.kind = mirror::FaultKind::kSignIn;
  signIn.user = "anna";
  signIn.password = "s3cret-pw";
  // The first and the last file of the pass want the sign-in; one pair serves both.
  m_mirror->setFault(list.front(), signIn);
  m_mirror->setFault(list.back(), signIn);
  putTwoFolderInstallation(1, 2, 9, 0);
  openWindow({0});
  view.inputAnswers = {"anna", "wrong", "anna", "s3cret-pw"};
  press();

  const std::string prompt =
      "プロキシ 127.0.0.1:" + std::to_string(m_mirror->port()) + " のユーザー名を入力してください";
  ASSERT_EQ(view.inputs.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(view.inputs[i].title, "プロキシ認証");
    EXPECT_EQ(view.inputs[i].prompt, i % 2 ? "パスワードを入力してください" : prompt);
    EXPECT_EQ(view.inputs[i].mode, i % 2 ? InputMode::Password : InputMode::Plain);
    EXPECT_EQ(view.inputs[i].value, "");
  }
  for (const auto& m : view.messages) EXPECT_NE(m.title, "エラー") << m.text;
  EXPECT_TRUE(unpressStarted(2));
  EXPECT_FALSE(anyFileHolds(machine.prefix(), "s3cret-pw"));
}

TEST_F(ProxySignInTest, CancelEndsWithTheCommunicationErrorBox) {
  const auto list = expectedList(false, {0});
  mirror::Fault signIn;
  signIn.kind = mirror::FaultKind::kSignIn;
  signIn.user = "anna";
  signIn.password = "secret";
  m_mirror->setFault(list.front(), signIn);
  putTwoFolderInstallation(1, 2, 9, 0);
  openWindow({0});
  view.inputAnswers = {"anna", std::nullopt};
  press();

  ASSERT_EQ(view.inputs.size(), 2u);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, "通信エラーが発生しました[1]\r" + list.front() +
                                       "\r\r407: Proxy Authentication Required");
  EXPECT_FALSE(unpressStarted(2));
  expectIdle();
}

}  // namespace
}  // namespace test
