// The component's one long-lived worker thread and its queue of fetches.
#include "platform/win32/HttpFetchQueue_win32.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/http/TransferFailures.h"

namespace platform::win32 {

// Shared by the owner and its thread, either of which may go first.
struct FetchWorker::Lane {
  struct Job {
    FetchRequest request;
    std::shared_ptr<FetchChannel> channel;
  };
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Job> jobs;
  std::shared_ptr<FetchChannel> running;  // the fetch the thread is inside, if any
  bool retired = false;                   // no more jobs: the thread ends when idle

  void run() {
    FetchSession session;
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> lock(mutex);
        wake.wait(lock, [&] { return retired || !jobs.empty(); });
        if (jobs.empty()) return;
        job = std::move(jobs.front());
        jobs.pop_front();
        running = job.channel;
      }
      try {
        runFetch(job.request, *job.channel, session);
      } catch (const std::exception& e) {
        // Out of memory, most likely: the window's thread reports it; a thread must not throw.
        FetchNote note;
        note.kind = FetchNote::Kind::kFailure;
        note.code = http::kEngineErrorBase + 27;
        try {
          note.description = e.what();
          job.channel->post(std::move(note));
        } catch (...) {
          // nothing left to report with; the window's thread stops waiting at its stall watch
        }
      }
      std::lock_guard<std::mutex> lock(mutex);
      running.reset();
    }
  }
};

FetchWorker::~FetchWorker() {
  if (!m_lane) return;
  {
    std::lock_guard<std::mutex> lock(m_lane->mutex);
    m_lane->retired = true;
  }
  m_lane->wake.notify_all();
}

void FetchWorker::submit(FetchRequest request, std::shared_ptr<FetchChannel> channel) {
  if (m_lane) {
    std::lock_guard<std::mutex> lock(m_lane->mutex);
    const auto& running = m_lane->running;
    const bool stuck = running && running->abandoned() && !running->finished();
    if (!m_lane->retired && !stuck) {
      m_lane->jobs.push_back({std::move(request), std::move(channel)});
      m_lane->wake.notify_all();
      return;
    }
    // Its queue is empty (one fetch at a time): the thread ends after the call it is in.
    m_lane->retired = true;
    m_lane->wake.notify_all();
  }
  auto lane = std::make_shared<Lane>();
  lane->jobs.push_back({std::move(request), std::move(channel)});
  std::thread([lane] { lane->run(); }).detach();
  m_lane = std::move(lane);
}

}  // namespace platform::win32
