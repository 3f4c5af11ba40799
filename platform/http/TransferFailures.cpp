// The texts of HTTP statuses as the transfer components report them.
#include "platform/http/TransferFailures.h"

#include <array>

namespace platform::http {

namespace {

struct Phrase {
  int code;
  const char* text;
};

constexpr std::array<Phrase, 24> kPhrases{{
    {300, "Multiple Choices"},
    {301, "Moved Permanently"},
    {302, "Found"},
    {303, "See Other"},
    {304, "Not Modified"},
    {307, "Temporary Redirect"},
    {308, "Permanent Redirect"},
    {400, "Bad Request"},
    {401, "Unauthorized"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {407, "Proxy Authentication Required"},
    {408, "Request Timeout"},
    {410, "Gone"},
    {414, "URI Too Long"},
    {416, "Range Not Satisfiable"},
    {429, "Too Many Requests"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {502, "Bad Gateway"},
    {503, "Service Unavailable"},
    {504, "Gateway Timeout"},
    {505, "HTTP Version Not Supported"},
}};

}  // namespace

std::string reasonText(int code, std::string_view serverReason) {
  // The text ends up in a message box: nothing but short printable ASCII from the wire.
  bool printable = !serverReason.empty() && serverReason.size() <= 80;
  for (char c : serverReason) {
    if (c < 0x20 || c > 0x7E) printable = false;
  }
  if (printable) return std::string(serverReason);
  for (const Phrase& p : kPhrases) {
    if (p.code == code) return p.text;
  }
  return "HTTP error";
}

}  // namespace platform::http
