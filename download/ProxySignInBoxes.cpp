// The proxy sign-in through the window's input boxes.
#include "download/ProxySignInBoxes.h"

namespace download {

namespace {

constexpr const char* kTitle = "プロキシ認証";

std::string proxyName(const std::string& host, int port) {
  return host + ":" + std::to_string(port);
}

}  // namespace

std::optional<platform::ProxyCredentials> ProxySignInBoxes::rememberedCredentials(
    const std::string& host, int port) {
  if (m_proxy != proxyName(host, port)) return std::nullopt;
  return m_accepted;
}

std::optional<platform::ProxyCredentials> ProxySignInBoxes::askCredentials(const std::string& host,
                                                                           int port) {
  const std::string prompt =
      "プロキシ " + proxyName(host, port) + " のユーザー名を入力してください";
  // A name typed earlier in the run is offered again; a password never is.
  const std::string lastUser = m_accepted ? m_accepted->user : std::string();
  auto user = m_view.askInput(kTitle, prompt, lastUser, platform::InputMode::Plain);
  if (!user) return std::nullopt;
  auto password =
      m_view.askInput(kTitle, "パスワードを入力してください", "", platform::InputMode::Password);
  if (!password) return std::nullopt;
  return platform::ProxyCredentials{std::move(*user), std::move(*password)};
}

void ProxySignInBoxes::acceptedCredentials(const std::string& host, int port,
                                           const platform::ProxyCredentials& credentials) {
  m_proxy = proxyName(host, port);
  m_accepted = credentials;
}

}  // namespace download
