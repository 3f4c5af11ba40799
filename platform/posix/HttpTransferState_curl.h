// The inner state of the libcurl transfer component, shared by its source files.
#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/posix/HttpResponseHead.h"
#include "platform/posix/HttpTransfer_curl.h"

namespace platform::posix {

struct CurlHttpTransfer::Engine {
  // The multi handle keeps the connection cache, so connections outlive one request.
  CURLM* multi = curl_multi_init();
  CURL* easy = curl_easy_init();
  ~Engine() {
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
  }
};

// One request on the wire. libcurl's callbacks only note what arrived; collectNotes hands it on.
struct CurlHttpTransfer::Wire {
  ResponseHead head;
  bool headReported = false;
  std::string pending;  // body bytes not collected yet
  int64_t headBytes = 0;
  bool added = false;  // the easy handle is in the multi handle
  bool done = false;
  bool endReported = false;
  CURLcode result = CURLE_OK;
  char errorBuffer[CURL_ERROR_SIZE] = {};
  // Texts and lists libcurl points at while the request runs.
  std::string origin;
  std::string proxy;
  curl_slist* fields = nullptr;
  ~Wire() {
    if (fields) curl_slist_free_all(fields);
  }

  static size_t onHeader(char* data, size_t size, size_t count, void* self) {
    auto& w = *static_cast<Wire*>(self);
    w.headBytes += static_cast<int64_t>(size * count);
    // An interim head (a 1xx, or a 407 libcurl answers itself) gives way to the next one.
    w.head.addLine(std::string_view(data, size * count));
    return size * count;
  }

  static size_t onBody(char* data, size_t size, size_t count, void* self) {
    auto& w = *static_cast<Wire*>(self);
    // An error page ends the transfer; the status decides the error.
    if (w.head.status() < 200 || w.head.status() > 299) return 0;
    w.pending.append(data, size * count);
    return size * count;
  }
};

}  // namespace platform::posix
