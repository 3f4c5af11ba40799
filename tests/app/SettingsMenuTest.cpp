// The proxy menu: input boxes, the checks on the port and the rewritten settings file.
#include "tests/app/WindowFixture.h"

namespace test {
namespace {

constexpr const char* kIni = "C:\\WINDOWS\\DARADURA.INI";

class SettingsMenuTest : public WindowTest {
 protected:
  void SetUp() override {
    putSettings("C:\\B\\", "old.proxy", "8080");
    create();
    view.messages.clear();
  }
  std::string file() { return machine.get(kIni); }
};

TEST_F(SettingsMenuTest, ProxyHostIsWrittenAsTyped) {
  view.inputAnswers = {"proxy.社内.local"};
  view.events->onProxyIPMenuClick();
  ASSERT_EQ(view.inputs.size(), 1u);
  EXPECT_EQ(view.inputs[0].title, "プロキシ設定");
  EXPECT_EQ(view.inputs[0].prompt, "プロキシIP");
  EXPECT_EQ(view.inputs[0].value, "old.proxy");
  EXPECT_EQ(form->ProxyIP, "proxy.社内.local");
  EXPECT_EQ(file(),
            machine.services().codec.toCp932(
                "PROXYIP=proxy.社内.local\r\nPROXYPORT=8080\r\nPATH=C:\\B\\\r\nVER=1.0.0\r\n"));
}

TEST_F(SettingsMenuTest, CancelRewritesTheUnchangedValues) {
  machine.put(kIni, "PROXYIP=old.proxy\nPROXYPORT=8080\nPATH=C:\\B\\\nVER=1.0.0\nEXTRA=1\n");
  view.events->onProxyIPMenuClick();
  EXPECT_EQ(file(), "PROXYIP=old.proxy\r\nPROXYPORT=8080\r\nPATH=C:\\B\\\r\nVER=1.0.0\r\n");
  machine.put(kIni, "");
  view.events->onProxyPortMenuClick();
  EXPECT_EQ(view.inputs.back().value, "8080");
  EXPECT_EQ(file(), "PROXYIP=old.proxy\r\nPROXYPORT=8080\r\nPATH=C:\\B\\\r\nVER=1.0.0\r\n");
}

TEST_F(SettingsMenuTest, PortChecks) {
  struct Row {
    const char* typed;
    const char* error;  // null: accepted
    uint16_t port;
  } rows[] = {
      {"65536", "範囲チェックエラー", 8080},
      {"-1", "範囲チェックエラー", 8080},
      {"80a", "'80a' は整数ではありません", 8080},
      {"", "'' は整数ではありません", 8080},
      {"0", nullptr, 0},
      {" 3128", nullptr, 3128},
      {"$50", nullptr, 80},
      {"0x50", "'0x50' は整数ではありません", 8080},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.typed);
    form->ProxyPortNo = 8080;
    machine.put(kIni, "unchanged");
    view.messages.clear();
    view.inputAnswers = {r.typed};
    view.events->onProxyPortMenuClick();
    EXPECT_EQ(form->ProxyPortNo, r.port);
    if (r.error) {
      ASSERT_EQ(view.messages.size(), 1u);
      EXPECT_EQ(view.messages[0].text, r.error);
      EXPECT_EQ(view.messages[0].title, "エラー");
      EXPECT_EQ(file(), "unchanged");
    } else {
      EXPECT_TRUE(view.messages.empty());
      EXPECT_NE(file().find("PROXYPORT=" + std::to_string(r.port) + "\r\n"), std::string::npos);
    }
  }
}

TEST_F(SettingsMenuTest, UnwritableFileIsReportedAndTheValueKept) {
  machine.setReadOnly(kIni, true);
  view.inputAnswers = {"new.proxy"};
  view.events->onProxyIPMenuClick();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text,
            "ファイル \"C:\\WINDOWS\\DARADURA.INI\" を作成できません。アクセスが拒否されました。");
  EXPECT_EQ(form->ProxyIP, "new.proxy");
  EXPECT_NE(file().find("PROXYIP=old.proxy"), std::string::npos);
}

TEST_F(SettingsMenuTest, PathIsWrittenAsTheRunHasItNow) {
  form->InstallPath = "C:\\B\\New_BIN\\";
  view.events->onProxyIPMenuClick();
  EXPECT_NE(file().find("PATH=C:\\B\\New_BIN\\\r\n"), std::string::npos);
}

}  // namespace
}  // namespace test
