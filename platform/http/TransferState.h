// The state of one fetch and of each of its tries, shared by the contract's source files.
#pragma once

#include <exception>
#include <optional>
#include <string>

#include "platform/http/SignInRules.h"
#include "platform/http/StallWatch.h"
#include "platform/http/TransferContract.h"

namespace platform::http {

inline bool isSuccessStatus(int status) { return status >= 200 && status <= 299; }

struct TransferContract::Fetch {
  std::string url;  // as the caller gave it (UTF-8)
  WireRequest request;
  std::unique_ptr<BodyStore> body;
  int proxyPort = 80;  // the port actually used
  // The sign-in so far: pairs sent, the kept pair tried, the user's own credentials tried.
  int pairsSent = 0;
  bool rememberedTried = false;
  bool ownTried = false;
  std::optional<ProxyCredentials> pair;
  bool encodedTried = false;
};

struct TransferContract::Round {
  explicit Round(uint64_t stallMs) : watch(stallMs) {}
  StallWatch watch;
  bool headSeen = false;
  int status = 0;
  std::string reason;
  HeadFields fields;
  std::optional<int64_t> announced;  // Content-Length, when the server sent a valid one
  bool signInWanted = false;         // a 407 to answer
  bool encodedWanted = false;        // a 400 to try percent-encoded
  bool tooLarge = false;
  bool started = false;
  bool ended = false;      // OnEndTransfer raised
  bool bodyEnded = false;  // the component read the body to its end
  bool pieceRaised = false;
  int64_t received = 0;
  std::string pieceText;  // body bytes of this round, for OnTransfer
  Status writeStatus;
  std::optional<WireNote> failure;
  bool stalled = false;
  std::exception_ptr handlerError;

  // Nothing more will come that the loop must wait for.
  bool settled() const {
    return bodyEnded || failure || !writeStatus.ok() || signInWanted || encodedWanted || tooLarge ||
           (headSeen && !isSuccessStatus(status));
  }
};

}  // namespace platform::http
