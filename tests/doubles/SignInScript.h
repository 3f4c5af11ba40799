// A proxy sign-in double: answers from a script and records what was asked and kept.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/ProxySignIn.h"

namespace test {

class SignInScript : public platform::ProxySignIn {
 public:
  std::optional<platform::ProxyCredentials> rememberedCredentials(const std::string&,
                                                                  int) override {
    return kept;
  }
  std::optional<platform::ProxyCredentials> askCredentials(const std::string& host,
                                                           int port) override {
    asked.push_back(host + ":" + std::to_string(port));
    if (answers.empty()) return std::nullopt;
    auto a = answers.front();
    answers.pop_front();
    return a;
  }
  void acceptedCredentials(const std::string&, int,
                           const platform::ProxyCredentials& pair) override {
    kept = pair;
  }
  std::deque<std::optional<platform::ProxyCredentials>> answers;
  std::vector<std::string> asked;
  std::optional<platform::ProxyCredentials> kept;
};

inline platform::ProxyCredentials pair(const char* user, const char* password) {
  return {user, password};
}

}  // namespace test
