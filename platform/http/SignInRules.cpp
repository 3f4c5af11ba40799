// The rules of a proxy's sign-in and of the retry for a strict proxy.
#include "platform/http/SignInRules.h"

#include <algorithm>

#include "platform/AsciiCase.h"

namespace platform::http {

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<AuthScheme> schemeNamed(std::string_view name) {
  if (ascii::equalsIgnoreCase(name, "Basic")) return AuthScheme::kBasic;
  if (ascii::equalsIgnoreCase(name, "Digest")) return AuthScheme::kDigest;
  if (ascii::equalsIgnoreCase(name, "NTLM")) return AuthScheme::kNtlm;
  if (ascii::equalsIgnoreCase(name, "Negotiate")) return AuthScheme::kNegotiate;
  return std::nullopt;
}

}  // namespace

std::vector<AuthScheme> offeredSchemes(const HeadFields& fields) {
  std::vector<AuthScheme> offered;
  for (const auto& [name, value] : fields) {
    if (!ascii::equalsIgnoreCase(name, "Proxy-Authenticate")) continue;
    // Challenges and their parameters are both split by commas; a part whose first word holds
    // no "=" starts a challenge. Commas inside quotes belong to a parameter.
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i <= value.size(); ++i) {
      if (i < value.size() && value[i] == '"') quoted = !quoted;
      if (i < value.size() && (quoted || value[i] != ',')) continue;
      const std::string_view part = trimmed(std::string_view(value).substr(start, i - start));
      start = i + 1;
      const std::string_view word = part.substr(0, part.find_first_of(" \t"));
      if (word.empty() || word.find('=') != std::string_view::npos) continue;
      const auto scheme = schemeNamed(word);
      if (scheme && std::find(offered.begin(), offered.end(), *scheme) == offered.end()) {
        offered.push_back(*scheme);
      }
    }
  }
  return offered;
}

std::optional<AuthScheme> pickScheme(const std::vector<AuthScheme>& offered,
                                     const std::vector<AuthScheme>& preferred) {
  for (AuthScheme s : preferred) {
    if (std::find(offered.begin(), offered.end(), s) != offered.end()) return s;
  }
  return std::nullopt;
}

bool hasHighBytes(std::string_view url) {
  return std::any_of(url.begin(), url.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::string percentEncodeHighBytes(std::string_view url) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
      continue;
    }
    out += '%';
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
  }
  return out;
}

std::string basicCredentialBytes(TextCodec& codec, const std::string& utf8) {
  const std::string cp932 = codec.toCp932(utf8);
  return codec.fromCp932(cp932) == utf8 ? cp932 : utf8;
}

std::string basicAuthorization(std::string_view user, std::string_view password) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string plain(user);
  plain += ':';
  plain += password;
  std::string out = "Basic ";
  for (size_t i = 0; i < plain.size(); i += 3) {
    uint32_t n = static_cast<unsigned char>(plain[i]) << 16;
    if (i + 1 < plain.size()) n |= static_cast<unsigned char>(plain[i + 1]) << 8;
    if (i + 2 < plain.size()) n |= static_cast<unsigned char>(plain[i + 2]);
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < plain.size() ? kAlphabet[(n >> 6) & 63] : '=';
    out += i + 2 < plain.size() ? kAlphabet[n & 63] : '=';
  }
  return out;
}

}  // namespace platform::http
