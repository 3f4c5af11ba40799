// The hand-over between a fetch's worker thread and the window's thread: what the worker learnt,
// queued in arrival order, and an event the window's thread waits on together with its messages.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace platform::win32 {

struct FetchNote {
  enum class Kind {
    kHead,     // the final response's status, reason phrase and header fields
    kPiece,    // body bytes, in order
    kEnd,      // the body ended as the connection or the length says
    kFailure,  // the request failed; code and description as EipwHTTP reports them
  };
  Kind kind = Kind::kEnd;
  int status = 0;
  std::string reason;
  std::vector<std::pair<std::string, std::string>> fields;
  std::string bytes;
  int code = 0;
  std::string description;
};

// Owned jointly by the window's thread and one worker, either of which may go first. The worker
// waits only for room in the queue; the window's thread never waits on the channel's lock for
// long, and waits for notes through readyEvent().
class FetchChannel {
 public:
  // Body bytes that may wait in the queue before the worker waits for the window's thread:
  // memory stays bounded however fast the network is.
  static constexpr size_t kMaxQueuedBytes = 1024 * 1024;

  // Throws std::system_error when no event can be made.
  FetchChannel();
  ~FetchChannel();
  FetchChannel(const FetchChannel&) = delete;
  FetchChannel& operator=(const FetchChannel&) = delete;

  // Worker side: queues a note and sets the event, after waiting for room when the queue is
  // full. Returns false, queuing nothing, once the window's thread has left the fetch.
  bool post(FetchNote note);
  bool abandoned() const;

  // Window side: everything queued so far, oldest first.
  std::vector<FetchNote> take();
  // The window's thread has left the fetch: the worker stops at its next step.
  void abandon();
  // Set whenever a note is queued (auto-reset).
  HANDLE readyEvent() const { return m_ready; }

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_room;
  std::deque<FetchNote> m_notes;
  size_t m_queuedBytes = 0;
  bool m_abandoned = false;
  HANDLE m_ready = nullptr;
};

}  // namespace platform::win32
