// How the window uses its transfer components: a direct fetch through the window's handlers, and
// a component that reports a failure both by its error event and by the failed fetch.
#include <stdlib.h>

#include "tests/download/DownloadFixture.h"

using platform::Control;

namespace test {
namespace {

using ComponentUseTest = DownloadTest;

// Forwards to the real component, but raises its error event before the failed fetch throws,
// as a component that reports both ways does.
class ErrorEventTransfer : public platform::HttpTransfer {
 public:
  explicit ErrorEventTransfer(std::unique_ptr<platform::HttpTransfer> inner)
      : m_inner(std::move(inner)) {}
  void setEvents(platform::HttpTransferEvents* events) override {
    m_events = events;
    m_inner->setEvents(events);
  }
  void setSignIn(platform::ProxySignIn* signIn) override { m_inner->setSignIn(signIn); }
  void setBodyJudge(platform::BodyJudge* judge) override { m_inner->setBodyJudge(judge); }
  void ResetTransfer() override { m_inner->ResetTransfer(); }
  void ProxyServer(const std::string& host) override { m_inner->ProxyServer(host); }
  void ProxyPort(int port) override { m_inner->ProxyPort(port); }
  void LocalFile(const std::string& path) override { m_inner->LocalFile(path); }
  void FetchURL(const std::string& url) override {
    try {
      m_inner->FetchURL(url);
    } catch (const platform::EipwHTTP& e) {
      std::string message = e.what();
      if (m_events) m_events->OnError(*this, e.code(), message.substr(message.find(": ") + 2));
      throw;
    }
  }
  bool Active() const override { return m_inner->Active(); }
  void AbortTransfer() override { m_inner->AbortTransfer(); }

 private:
  std::unique_ptr<platform::HttpTransfer> m_inner;
  platform::HttpTransferEvents* m_events = nullptr;
};

TEST_F(ComponentUseTest, ErrorEventAndFailedFetchGiveOneBox) {
  platform::Services& real = machine.services();
  platform::Services reporting{
      real.files,   real.registry,
      real.folders, real.profiles,
      real.codec,   real.versions,
      real.clock,   real.lastError,
      real.shell,   real.processes,
      real.lz,      [&real] {
                                 return std::make_unique<ErrorEventTransfer>(real.makeHttp()); }};
  putTwoFolderInstallation(1, 0, 0, 0);
  putSettings(kRoot, "127.0.0.1", std::to_string(m_mirror->port()));
  form = std::make_unique<TMainForm>(view, reporting);
  for (int i = 2; i < view.itemCount(); ++i) view.setChecked(i, false);
  view.events->onActivate();
  view.messages.clear();
  m_mirror->setFault("PAGESET.EX_", {mirror::FaultKind::kStatus, 404, 0, 0});
  press();
  EXPECT_EQ(texts(), std::vector<std::string>{"[404]Not Found"});
  EXPECT_EQ(requestsUnder("v128"), 5u);
  EXPECT_EQ(requestsUnder("20251299"), 0u);
  EXPECT_TRUE(form->CancelRequested);
  form.reset();  // before the services it was built on
}

TEST_F(ComponentUseTest, DirectFetchIgnoresTheEnvironmentProxy) {
  // The window's own component, without a proxy, fetching straight from the mirror.
  ::setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(closedPort())).c_str(), 1);
  ::setenv("ALL_PROXY", ("http://127.0.0.1:" + std::to_string(closedPort())).c_str(), 1);
  putTwoFolderInstallation(1, 0, 0, 0);
  openWindow({0});
  form->WorkList->assign(1, "PictDesk.ex_");
  form->CurrentItem = 1;
  form->FirstPass = false;
  form->ContentLength = 2147483647.0;
  auto& http = *form->ipwHTTP;
  http.ResetTransfer();
  http.ProxyServer("");
  http.ProxyPort(0);
  http.LocalFile("C:\\TEMP\\direct\\PictDesk.ex_");
  (void)machine.services().files.createFolders("C:\\TEMP\\direct");
  EXPECT_NO_THROW(http.FetchURL(m_mirror->baseUrl() + "/brevan/20251299/PictDesk.ex_"));
  ::unsetenv("http_proxy");
  ::unsetenv("ALL_PROXY");
  EXPECT_EQ(m_mirror->requestLog(), std::vector<std::string>{"/brevan/20251299/PictDesk.ex_"});
  EXPECT_EQ(machine.get("C:\\TEMP\\direct\\PictDesk.ex_"), contentOf("PictDesk.ex_"));
  EXPECT_TRUE(form->TransferDone);
  EXPECT_EQ(form->ContentLength, 1000.0);
  EXPECT_EQ(view.caption(Control::ProgressLabel), "1000 Bytes Completed");
  EXPECT_EQ(view.caption(Control::MsgLabel), "アップデートコンポーネント(2)のダウンロード 100%");
}

}  // namespace
}  // namespace test
