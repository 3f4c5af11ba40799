// The hand-over between a fetch's worker thread and the window's thread.
#include "platform/win32/HttpFetchChannel_win32.h"

#include <wininet.h>

#include <system_error>

namespace platform::win32 {

std::shared_ptr<void> FetchChannel::makeReadyEvent() {
  const HANDLE event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!event) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category());
  }
  return std::shared_ptr<void>(event, [](void* h) { ::CloseHandle(h); });
}

FetchChannel::FetchChannel(std::shared_ptr<void> readyEvent) : m_ready(std::move(readyEvent)) {}

bool FetchChannel::post(FetchNote note) {
  bool wake = false;
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [&] { return m_abandoned || m_queuedBytes < kMaxQueuedBytes; });
    if (m_abandoned) return false;
    // Notes already waiting mean the window's thread has been woken and will take this too.
    wake = m_notes.empty();
    m_finished = note.kind == FetchNote::Kind::kEnd || note.kind == FetchNote::Kind::kFailure ||
                 (note.kind == FetchNote::Kind::kHead && (note.status < 200 || note.status > 299));
    m_queuedBytes += note.bytes.size();
    m_notes.push_back(std::move(note));
  }
  if (wake) ::SetEvent(m_ready.get());
  return true;
}

bool FetchChannel::abandoned() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_abandoned;
}

bool FetchChannel::finished() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_finished;
}

bool FetchChannel::adoptRequest(void* request) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_abandoned) {
    ::InternetCloseHandle(request);
    return false;
  }
  m_request = request;
  return true;
}

void FetchChannel::releaseRequest() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_request) ::InternetCloseHandle(m_request);
  m_request = nullptr;
}

std::vector<FetchNote> FetchChannel::take() {
  std::vector<FetchNote> taken;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    taken.assign(std::make_move_iterator(m_notes.begin()), std::make_move_iterator(m_notes.end()));
    m_notes.clear();
    m_queuedBytes = 0;
  }
  m_room.notify_all();
  return taken;
}

void FetchChannel::abandon() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_abandoned = true;
    m_notes.clear();
    m_queuedBytes = 0;
    // WinINet ends a blocking call on a handle another thread closes.
    if (m_request) ::InternetCloseHandle(m_request);
    m_request = nullptr;
  }
  m_room.notify_all();
}

}  // namespace platform::win32
