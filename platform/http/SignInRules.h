// The rules of a proxy's sign-in and of the retry for a strict proxy, as pure functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/TextCodec.h"
#include "platform/http/TransferWire.h"

namespace platform::http {

using HeadFields = std::vector<std::pair<std::string, std::string>>;

// The schemes the Proxy-Authenticate fields of a 407 offer, in the order they stand; unknown
// schemes are left out.
std::vector<AuthScheme> offeredSchemes(const HeadFields& fields);
// The first scheme of `preferred` (a component's, best first) that the proxy offers.
std::optional<AuthScheme> pickScheme(const std::vector<AuthScheme>& offered,
                                     const std::vector<AuthScheme>& preferred);

// True when the request target holds a byte of 0x80 or more.
bool hasHighBytes(std::string_view url);
// The URL with every byte of 0x80 or more written as %XX (upper-case hex).
std::string percentEncodeHighBytes(std::string_view url);

// A name or password as Basic sends it: in code page 932 when it holds every character, else as
// UTF-8.
std::string basicCredentialBytes(TextCodec& codec, const std::string& utf8);
// "Basic " and base64 of "user:password", the field value of a Basic answer.
std::string basicAuthorization(std::string_view user, std::string_view password);

}  // namespace platform::http
