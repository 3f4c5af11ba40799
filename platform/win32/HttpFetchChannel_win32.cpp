// The hand-over between a fetch's worker thread and the window's thread.
#include "platform/win32/HttpFetchChannel_win32.h"

#include <wininet.h>

#include <system_error>

namespace platform::win32 {

FetchChannel::FetchChannel() : m_ready(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
  if (!m_ready) {
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category());
  }
}

FetchChannel::~FetchChannel() { ::CloseHandle(m_ready); }

bool FetchChannel::post(FetchNote note) {
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [&] { return m_abandoned || m_queuedBytes < kMaxQueuedBytes; });
    if (m_abandoned) return false;
    m_queuedBytes += note.bytes.size();
    m_notes.push_back(std::move(note));
  }
  ::SetEvent(m_ready);
  return true;
}

bool FetchChannel::abandoned() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_abandoned;
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
