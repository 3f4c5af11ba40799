// The state of one fetch of the WinINet transfer component, as the window's thread keeps it.
#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "platform/win32/BodyFile_win32.h"
#include "platform/win32/HttpFetchChannel_win32.h"
#include "platform/win32/HttpTransfer_wininet.h"

namespace platform::win32 {

using SteadyClock = std::chrono::steady_clock;

inline bool isSuccessStatus(int status) { return status >= 200 && status <= 299; }

struct WinInetTransfer::Fetch {
  BodyFile body;
  bool storeBody = false;
  bool headSeen = false;
  int status = 0;
  std::string reason;
  std::optional<int64_t> announced;  // Content-Length, when the server sent a valid one
  bool started = false;
  bool ended = false;      // OnEndTransfer raised
  bool bodyEnded = false;  // the worker read the body to its end
  bool pieceRaised = false;
  int64_t received = 0;
  std::string pieceText;  // body bytes of this round, for OnTransfer
  Status writeStatus;
  std::optional<FetchNote> failure;
  SteadyClock::time_point lastActivity = SteadyClock::now();
  bool stalled = false;
  std::exception_ptr handlerError;

  // Nothing more will come from the worker that the window's thread waits for.
  bool settled() const {
    return bodyEnded || failure || !writeStatus.ok() || (headSeen && !isSuccessStatus(status));
  }
};

}  // namespace platform::win32
