// The HTTP transfer component on WinINet: the body file and the hand-over to the worker.
#include "platform/win32/HttpTransfer_wininet.h"

#include <windows.h>

#include <exception>

#include "platform/win32/BodyFile_win32.h"
#include "platform/win32/HttpFetchQueue_win32.h"

namespace platform::win32 {

namespace {

// WinINet's own time-out comes later than the contract's stall watch and only lets a worker
// that was left behind end: Wine reports a time-out while waiting for the head as a dropped
// connection.
constexpr std::chrono::milliseconds kWorkerReceiveTimeout{65000};

class WindowsBody final : public http::BodyStore {
 public:
  Status open(const std::string& localFile) override { return m_file.open(localFile); }
  Status write(const char* data, size_t size) override { return m_file.write(data, size); }
  Status commit() override { return m_file.commit(); }
  void discard() override { m_file.discard(); }
  void keep() override { m_file.keep(); }

 private:
  BodyFile m_file;
};

}  // namespace

WinInetTransfer::WinInetTransfer(TextCodec& codec, MessagePump& pump, LastError& lastError)
    : TransferContract(codec, pump, lastError), m_worker(std::make_unique<FetchWorker>()) {}

WinInetTransfer::~WinInetTransfer() { stopRequest(); }

std::unique_ptr<http::BodyStore> WinInetTransfer::makeBody() {
  return std::make_unique<WindowsBody>();
}

std::vector<http::AuthScheme> WinInetTransfer::signInSchemes() const {
  return {http::AuthScheme::kNegotiate, http::AuthScheme::kNtlm, http::AuthScheme::kDigest,
          http::AuthScheme::kBasic};
}

bool WinInetTransfer::answersWithOwnCredentials(http::AuthScheme scheme) const {
  return scheme == http::AuthScheme::kNegotiate || scheme == http::AuthScheme::kNtlm;
}

void WinInetTransfer::startRequest(const http::WireRequest& wire) {
  const auto target = requestTarget(wire.url);
  if (!target) throw EipwHTTP(http::kErrorBadUrl, "The URL is not a valid http address");
  FetchRequest request;
  request.target = *target;
  if (!wire.proxyHost.empty()) request.proxy = proxyText(wire.proxyHost, wire.proxyPort);
  request.connectTimeoutMs = static_cast<unsigned long>(wire.connectTimeout.count());
  request.receiveTimeoutMs = static_cast<unsigned long>(kWorkerReceiveTimeout.count());
  request.scheme = wire.scheme;
  if (!wire.ownCredentials) {
    request.user = wire.user;
    request.password = wire.password;
  }
  try {
    if (!m_readyEvent) m_readyEvent = FetchChannel::makeReadyEvent();
    m_channel = std::make_shared<FetchChannel>(m_readyEvent);
    m_worker->submit(std::move(request), m_channel);
  } catch (const std::exception&) {
    m_channel.reset();
    throw EipwHTTP(http::kEngineErrorBase + 2, "The HTTP engine could not start");
  }
}

void WinInetTransfer::collectNotes(std::vector<http::WireNote>& notes, int64_t& headBytes) {
  if (!m_channel) return;
  for (FetchNote& note : m_channel->take()) {
    if (note.kind == FetchNote::Kind::kHead) {
      headBytes += static_cast<int64_t>(note.reason.size()) + 15;
      for (const auto& [field, value] : note.fields) {
        headBytes += static_cast<int64_t>(field.size() + value.size()) + 4;
      }
    }
    notes.push_back(std::move(note));
  }
}

void WinInetTransfer::waitForWire(std::chrono::milliseconds wait) {
  if (!m_channel) return;
  // Wakes for the worker's next note or for a new window message, whichever comes first.
  const HANDLE ready = m_channel->readyEvent();
  ::MsgWaitForMultipleObjects(1, &ready, FALSE, static_cast<DWORD>(wait.count()), QS_ALLINPUT);
}

void WinInetTransfer::stopRequest() {
  // Whatever the worker still does is no longer this fetch's business.
  if (m_channel) m_channel->abandon();
  m_channel.reset();
}

}  // namespace platform::win32
