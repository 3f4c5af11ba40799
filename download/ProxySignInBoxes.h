// The proxy sign-in through the window's input boxes, and the pair kept for the rest of the run.
#pragma once

#include <optional>
#include <string>

#include "platform/ProxySignIn.h"
#include "platform/View.h"

namespace download {

// One per window, shared by its transfer components. The accepted pair lives in this object's
// memory only: nothing is written to the settings file or anywhere else.
class ProxySignInBoxes final : public platform::ProxySignIn {
 public:
  explicit ProxySignInBoxes(platform::View& view) : m_view(view) {}

  std::optional<platform::ProxyCredentials> rememberedCredentials(const std::string& host,
                                                                  int port) override;
  std::optional<platform::ProxyCredentials> askCredentials(const std::string& host,
                                                           int port) override;
  void acceptedCredentials(const std::string& host, int port,
                           const platform::ProxyCredentials& credentials) override;

 private:
  platform::View& m_view;
  std::string m_proxy;  // "host:port" the kept pair belongs to
  std::optional<platform::ProxyCredentials> m_accepted;
};

}  // namespace download
