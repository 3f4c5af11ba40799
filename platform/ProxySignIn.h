// How a transfer component gets a user name and password for a proxy that asks for a sign-in.
#pragma once

#include <optional>
#include <string>

namespace platform {

// A sign-in as the user typed it (UTF-8). Kept in memory only, never written anywhere.
struct ProxyCredentials {
  std::string user;
  std::string password;
};

// Implemented by the update window's logic with its input boxes; the components call it from
// inside FetchURL, on the window's thread.
class ProxySignIn {
 public:
  virtual ~ProxySignIn() = default;
  // The pair the proxy host:port accepted earlier in this run; nullopt when there is none.
  virtual std::optional<ProxyCredentials> rememberedCredentials(const std::string& host,
                                                                int port) = 0;
  // Asks the user for the name, then the password, for the proxy host:port; nullopt when the
  // user pressed "キャンセル" in either box.
  virtual std::optional<ProxyCredentials> askCredentials(const std::string& host, int port) = 0;
  // The proxy accepted the pair: it is remembered for the rest of the run.
  virtual void acceptedCredentials(const std::string& host, int port,
                                   const ProxyCredentials& credentials) = 0;
};

}  // namespace platform
