// The libcurl component's byte mover: runs libcurl, hands on what arrived, waits, stops.
#include <utility>

#include "platform/posix/HttpTransferState_curl.h"

namespace platform::posix {

void CurlHttpTransfer::collectNotes(std::vector<http::WireNote>& notes, int64_t& headBytes) {
  if (!m_wire) return;
  Wire& w = *m_wire;
  if (!w.done) {
    int running = 0;
    if (curl_multi_perform(m_engine->multi, &running) != CURLM_OK) {
      w.done = true;
      w.result = CURLE_FAILED_INIT;
    }
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(m_engine->multi, &queued)) {
      if (msg->msg == CURLMSG_DONE) {
        w.done = true;
        w.result = msg->data.result;
      }
    }
  }
  headBytes += std::exchange(w.headBytes, 0);
  // A head is the final one once its body begins or the request has ended.
  if (!w.headReported && w.head.complete() && (!w.pending.empty() || w.done)) {
    w.headReported = true;
    http::WireNote head;
    head.kind = http::WireNote::Kind::kHead;
    head.status = w.head.status();
    head.reason = w.head.reason();
    head.fields = w.head.fields();
    notes.push_back(std::move(head));
  }
  if (w.headReported && !w.pending.empty()) {
    http::WireNote piece;
    piece.kind = http::WireNote::Kind::kPiece;
    piece.bytes.swap(w.pending);
    notes.push_back(std::move(piece));
  }
  if (w.done && !w.endReported) {
    w.endReported = true;
    http::WireNote end;
    if (w.result != CURLE_OK) {
      end.kind = http::WireNote::Kind::kFailure;
      end.code = kEngineErrorBase + w.result;
      end.description =
          w.errorBuffer[0] ? std::string(w.errorBuffer) : curl_easy_strerror(w.result);
    }
    notes.push_back(std::move(end));
  }
}

void CurlHttpTransfer::waitForWire(std::chrono::milliseconds wait) {
  if (!m_wire || m_wire->done) return;
  if (curl_multi_poll(m_engine->multi, nullptr, 0, static_cast<int>(wait.count()), nullptr) !=
      CURLM_OK) {
    m_wire->done = true;
    m_wire->result = CURLE_FAILED_INIT;
  }
}

void CurlHttpTransfer::stopRequest() {
  if (!m_wire) return;
  if (m_wire->added) curl_multi_remove_handle(m_engine->multi, m_engine->easy);
  // The handle must not point at this request's state once it is gone.
  curl_easy_reset(m_engine->easy);
  m_wire.reset();
}

}  // namespace platform::posix
