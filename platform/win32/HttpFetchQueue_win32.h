// The component's one long-lived worker thread: it takes fetches from a queue, one after the
// other, and keeps its WinINet session between them.
#pragma once

#include <memory>

#include "platform/win32/HttpFetchWorker_wininet.h"

namespace platform::win32 {

// Starting a thread and opening a session for every file costs more than the fetch of a small
// file itself. The worker starts with the first fetch and ends when its owner goes.
class FetchWorker {
 public:
  FetchWorker() = default;
  // Tells the thread to end after its current fetch; it does not wait for it.
  ~FetchWorker();
  FetchWorker(const FetchWorker&) = delete;
  FetchWorker& operator=(const FetchWorker&) = delete;

  // Queues one GET, whose notes go to the channel (see runFetch). A fetch the channel has left
  // before its turn is skipped. When the thread is still inside a fetch its channel left before
  // the last note (a blocking call that may not have ended yet), that thread is let go and a fresh
  // one takes this fetch, so it never waits behind an abandoned one. Throws std::system_error when
  // no thread can be started.
  void submit(FetchRequest request, std::shared_ptr<FetchChannel> channel);

 private:
  struct Lane;
  std::shared_ptr<Lane> m_lane;
};

}  // namespace platform::win32
