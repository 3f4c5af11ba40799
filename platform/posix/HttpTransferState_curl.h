// The inner state of the libcurl transfer component, shared by its source files.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "platform/posix/BodyFile_posix.h"
#include "platform/posix/HttpResponseHead.h"
#include "platform/posix/HttpTransfer_curl.h"

namespace platform::posix {

using SteadyClock = std::chrono::steady_clock;

inline bool isSuccessStatus(int status) { return status >= 200 && status <= 299; }

struct CurlHttpTransfer::Engine {
  // The multi handle keeps the connection cache, so connections outlive one request.
  CURLM* multi = curl_multi_init();
  CURL* easy = curl_easy_init();
  ~Engine() {
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
  }
};

// The state of one FetchURL. libcurl's callbacks only write the body and note what arrived;
// the loop turns the notes into events.
struct CurlHttpTransfer::Fetch {
  BodyFile body;
  bool storeBody = false;
  ResponseHead head;
  bool headDelivered = false;
  bool rejectBody = false;  // the final status is not 2xx: its page is not stored
  bool started = false;
  bool ended = false;
  bool pieceRaised = false;
  int64_t received = 0;
  std::string pendingText;  // body bytes since the last OnTransfer
  std::string pieceText;
  Status writeStatus;
  SteadyClock::time_point lastActivity = SteadyClock::now();
  bool done = false;
  bool stalled = false;
  CURLcode result = CURLE_OK;
  std::exception_ptr handlerError;
  char errorBuffer[CURL_ERROR_SIZE] = {};

  static size_t onHeader(char* data, size_t size, size_t count, void* self) {
    auto& f = *static_cast<Fetch*>(self);
    f.lastActivity = SteadyClock::now();
    f.head.addLine(std::string_view(data, size * count));
    if (f.head.complete() && !isSuccessStatus(f.head.status())) f.rejectBody = true;
    return size * count;
  }

  static size_t onBody(char* data, size_t size, size_t count, void* self) {
    auto& f = *static_cast<Fetch*>(self);
    const size_t n = size * count;
    f.lastActivity = SteadyClock::now();
    if (f.rejectBody) return 0;  // ends the transfer; the status decides the error
    if (f.storeBody) {
      f.writeStatus = f.body.write(data, n);
      if (!f.writeStatus.ok()) return 0;
    }
    f.pendingText.append(data, n);
    f.received += static_cast<int64_t>(n);
    return n;
  }
};

}  // namespace platform::posix
