// How every transfer component reports a failed fetch: the codes of EipwHTTP and the texts of
// HTTP statuses, the same on every platform so the window's boxes read the same.
#pragma once

#include <string>
#include <string_view>

namespace platform::http {

// An HTTP status outside 200-299 fails with the status itself (300-599). Failures of the engine
// are kEngineErrorBase plus a number; the numbers follow libcurl's error numbers, so the Linux
// component passes its own through and the others map theirs onto these.
inline constexpr int kEngineErrorBase = 1000;
inline constexpr int kErrorBadUrl = kEngineErrorBase + 3;  // also a name outside code page 932
inline constexpr int kErrorUnknownHost = kEngineErrorBase + 6;
inline constexpr int kErrorCannotConnect = kEngineErrorBase + 7;
inline constexpr int kErrorShortBody = kEngineErrorBase + 18;
inline constexpr int kErrorLocalFile = kEngineErrorBase + 23;
inline constexpr int kErrorTimedOut = kEngineErrorBase + 28;
inline constexpr int kErrorTransferAborted = kEngineErrorBase + 42;
inline constexpr int kErrorBadProxyPort = kEngineErrorBase + 43;
inline constexpr int kErrorNoReply = kEngineErrorBase + 52;
inline constexpr int kErrorConnectionReset = kEngineErrorBase + 56;
inline constexpr int kErrorTooLarge = kEngineErrorBase + 63;
inline constexpr int kErrorTransferBusy = kEngineErrorBase + 93;

// A reason phrase fit to show: the server's own when it is short printable ASCII, otherwise the
// usual phrase for the code, otherwise "HTTP error".
std::string reasonText(int code, std::string_view serverReason);

}  // namespace platform::http
