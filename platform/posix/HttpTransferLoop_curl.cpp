// The wait loop of a fetch: libcurl, then the collected events, then window messages, then a
// short wait for the network.
#include <algorithm>
#include <limits>

#include "platform/posix/HttpTransferState_curl.h"

namespace platform::posix {

namespace {

int32_t clampedTotal(int64_t total) {
  return static_cast<int32_t>(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void CurlHttpTransfer::runLoop(Fetch& f) {
  CURLM* multi = m_engine->multi;
  f.lastActivity = SteadyClock::now();
  for (;;) {
    int running = 0;
    const CURLMcode mc = curl_multi_perform(multi, &running);
    if (mc != CURLM_OK) {
      f.done = true;
      f.result = CURLE_FAILED_INIT;
    }
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
      if (msg->msg == CURLMSG_DONE) {
        f.done = true;
        f.result = msg->data.result;
      }
    }
    deliverEvents(f);
    if (f.handlerError || m_abortRequested || f.done) return;
    if (SteadyClock::now() - f.lastActivity > m_stallTimeout) {
      f.stalled = true;
      return;
    }
    // Window messages run here, outside libcurl: a Cancel click only raises the abort flag,
    // which is looked at before libcurl runs again.
    try {
      m_pump.processMessages();
    } catch (...) {
      f.handlerError = std::current_exception();
      return;
    }
    if (m_abortRequested) return;
    const auto waitMs = static_cast<int>(m_pollInterval.count());
    if (curl_multi_poll(multi, nullptr, 0, waitMs, nullptr) != CURLM_OK) {
      f.done = true;
      f.result = CURLE_FAILED_INIT;
      return;
    }
  }
}

void CurlHttpTransfer::deliverEvents(Fetch& f) {
  // Each handler may abort or fail; nothing more is raised after that.
  auto raise = [&](auto&& call) {
    if (f.handlerError || m_abortRequested) return false;
    try {
      if (m_events) call(*m_events);
    } catch (...) {
      f.handlerError = std::current_exception();
      return false;
    }
    return !m_abortRequested;
  };
  if (!f.headDelivered && f.head.complete()) {
    f.headDelivered = true;
    const auto fields = f.head.fields();
    for (const auto& header : fields) {
      if (!raise(
              [&](HttpTransferEvents& ev) { ev.OnHeader(*this, header.first, header.second); })) {
        return;
      }
    }
    if (!isSuccessStatus(f.head.status())) return;
    f.started = true;
    if (!raise([&](HttpTransferEvents& ev) { ev.OnStartTransfer(*this, 0); })) return;
  }
  if (!f.started || f.pendingText.empty()) return;
  // The piece is handed over from a second buffer, so both keep their capacity from round to
  // round and memory stays at one round's worth of data.
  f.pieceText.swap(f.pendingText);
  f.pendingText.clear();
  f.pieceRaised = true;
  const int32_t total = clampedTotal(f.received);
  raise([&](HttpTransferEvents& ev) { ev.OnTransfer(*this, 0, total, f.pieceText); });
}

void CurlHttpTransfer::fail(Fetch& f, int code, const std::string& description) {
  f.body.discard();
  if (f.started && !f.ended) {
    f.ended = true;
    try {
      if (m_events) m_events->OnEndTransfer(*this, 0);
    } catch (...) {
      // already failing; the first error is the one reported
    }
  }
  throw EipwHTTP(code, description);
}

}  // namespace platform::posix
