// The hand-over between a fetch's worker thread and the window's thread: what the worker learnt,
// queued in arrival order, an event the window's thread waits on together with its messages,
// and the request handle the window's thread closes to end the worker's blocking call.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/http/TransferWire.h"

namespace platform::win32 {

using FetchNote = http::WireNote;

// Owned jointly by the window's thread and one worker, either of which may go first. The worker
// waits only for room in the queue; the window's thread never waits on the channel's lock for
// long, and waits for notes through readyEvent().
class FetchChannel {
 public:
  // Body bytes that may wait in the queue before the worker waits for the window's thread:
  // memory stays bounded however fast the network is.
  static constexpr size_t kMaxQueuedBytes = 1024 * 1024;

  // The event a component's fetches share one after the other: an event per file costs more
  // under Wine than the fetch of a small one. Throws std::system_error when none can be made.
  static std::shared_ptr<void> makeReadyEvent();

  explicit FetchChannel(std::shared_ptr<void> readyEvent);
  FetchChannel(const FetchChannel&) = delete;
  FetchChannel& operator=(const FetchChannel&) = delete;

  // Worker side: queues a note and sets the event, after waiting for room when the queue is
  // full. Returns false, queuing nothing, once the window's thread has left the fetch.
  bool post(FetchNote note);
  bool abandoned() const;
  // The worker has posted its last note (the end, a failure, or a head that ends the request):
  // what it still does is closing handles, which does not wait for the network.
  bool finished() const;
  // Worker side: the request handle its blocking calls run on, from now until releaseRequest.
  // False, and the handle closed, when the window's thread has left already.
  bool adoptRequest(void* request);
  // Worker side: closes the adopted handle, unless abandon() closed it already.
  void releaseRequest();

  // Window side: everything queued so far, oldest first.
  std::vector<FetchNote> take();
  // The window's thread has left the fetch: the request handle is closed, which ends the
  // worker's blocking call at once, and the worker stops at its next step.
  void abandon();
  // Set when a note is queued into an empty queue (auto-reset); a worker left behind may still
  // set it once, which only wakes the window's thread for nothing.
  HANDLE readyEvent() const { return m_ready.get(); }

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_room;
  std::deque<FetchNote> m_notes;
  size_t m_queuedBytes = 0;
  bool m_abandoned = false;
  bool m_finished = false;
  void* m_request = nullptr;
  std::shared_ptr<void> m_ready;
};

}  // namespace platform::win32
