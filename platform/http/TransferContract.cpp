// The transfer contract: a fetch from its checks through its tries to the body that counts.
#include "platform/http/TransferContract.h"

#include <algorithm>

#include "platform/http/TransferState.h"

namespace platform::http {

namespace {

constexpr int kMostPairs = 3;
constexpr int64_t kStallMinimumBytes = 1024;

// The system's monotonic clock, when no other is set.
class SteadyClock final : public Clock {
 public:
  uint64_t tickCountMs() override {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
  }
  double now() override { return 0.0; }
};

std::string localFileFailure(int error) {
  return "Cannot write the local file (error " + std::to_string(error) + ")";
}

}  // namespace

TransferContract::TransferContract(TextCodec& codec, MessagePump& pump, LastError& lastError)
    : m_codec(codec), m_pump(pump), m_lastError(lastError) {}

TransferContract::~TransferContract() = default;

void TransferContract::ResetTransfer() {
  if (m_active) m_abortRequested = true;
}

void TransferContract::AbortTransfer() {
  if (m_active) m_abortRequested = true;
}

void TransferContract::setTimeouts(std::chrono::milliseconds connect,
                                   std::chrono::milliseconds stall) {
  m_connectTimeout = connect;
  m_stallTimeout = stall;
}

void TransferContract::setPollInterval(std::chrono::milliseconds interval) {
  m_pollInterval = std::max(interval, std::chrono::milliseconds(1));
}

uint64_t TransferContract::nowMs() {
  static SteadyClock steady;
  return (m_clock ? m_clock : &steady)->tickCountMs();
}

void TransferContract::FetchURL(const std::string& url) {
  if (m_active) throw EipwHTTP(kErrorTransferBusy, "A transfer is already in progress");
  if (m_proxyPort < 0 || m_proxyPort > 65535) {
    throw EipwHTTP(kErrorBadProxyPort, "Invalid proxy port " + std::to_string(m_proxyPort));
  }
  // Names are sent in the program's code page; a character it lacks would turn into '?', which
  // starts a query and would ask for another file.
  const std::string bytes = m_codec.toCp932(url);
  if (std::count(bytes.begin(), bytes.end(), '?') != std::count(url.begin(), url.end(), '?')) {
    throw EipwHTTP(kErrorBadUrl, "The URL has characters outside code page 932");
  }
  Fetch f;
  f.url = url;
  f.proxyPort = m_proxyPort == 0 ? 80 : m_proxyPort;
  f.request.url = bytes;
  f.request.proxyHost = m_proxyHost;
  f.request.proxyPort = f.proxyPort;
  f.request.connectTimeout = m_connectTimeout;
  // An empty LocalFile leaves the body to the OnTransfer events.
  if (!m_localFile.empty()) {
    f.body = makeBody();
    const Status st = f.body->open(m_localFile);
    if (!st.ok()) {
      m_lastError.set(st.error);
      throw EipwHTTP(kErrorLocalFile, localFileFailure(st.error));
    }
  }
  // The pair the proxy accepted for an earlier file goes with the first try.
  if (m_signIn && !m_proxyHost.empty() && m_acceptedScheme) {
    if (auto kept = m_signIn->rememberedCredentials(m_proxyHost, f.proxyPort)) {
      f.rememberedTried = true;
      sendCredentials(f, *m_acceptedScheme, *kept);
    }
  }

  m_active = true;
  m_abortRequested = false;
  struct Running {
    TransferContract& self;
    ~Running() { self.m_active = false; }
  } running{*this};
  for (;;) {
    Round r(static_cast<uint64_t>(m_stallTimeout.count()));
    try {
      runRound(f, r);
    } catch (const EipwHTTP&) {
      if (f.body) f.body->discard();
      throw;
    }
    if (r.signInWanted && !r.handlerError && !m_abortRequested) {
      if (nextSignIn(f, r)) continue;
      r.signInWanted = false;  // the 407 itself is the answer now
    }
    if (r.encodedWanted && !r.handlerError && !m_abortRequested) {
      f.encodedTried = true;
      f.request.url = percentEncodeHighBytes(f.request.url);
      continue;
    }
    if (f.pair && r.headSeen && r.status != 407 && m_signIn) {
      m_signIn->acceptedCredentials(m_proxyHost, f.proxyPort, *f.pair);
      m_acceptedScheme = f.request.scheme;
    }
    checkOutcome(f, r);
    finish(f, r);
    return;
  }
}

bool TransferContract::nextSignIn(Fetch& f, const Round& r) {
  const auto scheme = pickScheme(offeredSchemes(r.fields), signInSchemes());
  if (!scheme) return false;
  if (answersWithOwnCredentials(*scheme) && !f.ownTried) {
    f.ownTried = true;
    f.pair.reset();
    f.request.scheme = scheme;
    f.request.ownCredentials = true;
    f.request.user.clear();
    f.request.password.clear();
    return true;
  }
  if (!m_signIn || f.pairsSent >= kMostPairs) return false;
  std::optional<ProxyCredentials> pair;
  if (!f.rememberedTried) {
    f.rememberedTried = true;
    pair = m_signIn->rememberedCredentials(m_proxyHost, f.proxyPort);
  }
  if (!pair) pair = m_signIn->askCredentials(m_proxyHost, f.proxyPort);
  // A Cancel pressed while the boxes were up ends the fetch as the boxes' own キャンセル does.
  if (!pair || m_abortRequested) return false;
  sendCredentials(f, *scheme, *pair);
  return true;
}

void TransferContract::sendCredentials(Fetch& f, AuthScheme scheme, const ProxyCredentials& pair) {
  ++f.pairsSent;
  f.pair = pair;
  f.request.scheme = scheme;
  f.request.ownCredentials = false;
  const bool basic = scheme == AuthScheme::kBasic;
  f.request.user = basic ? basicCredentialBytes(m_codec, pair.user) : pair.user;
  f.request.password = basic ? basicCredentialBytes(m_codec, pair.password) : pair.password;
}

void TransferContract::checkOutcome(Fetch& f, Round& r) {
  if (r.handlerError) {
    try {
      std::rethrow_exception(r.handlerError);
    } catch (const EipwHTTP& e) {
      // A judge's refusal, or a nested fetch's failure, keeps its own code.
      if (f.body) f.body->discard();
      if (r.started && !r.ended && m_events) {
        r.ended = true;
        try {
          m_events->OnEndTransfer(*this, 0);
        } catch (...) {
          // already failing; the first error is the one reported
        }
      }
      throw;
    } catch (const std::exception& e) {
      fail(f, r, kErrorTransferAborted, e.what());
    } catch (...) {
      if (f.body) f.body->discard();
      throw;
    }
  }
  if (m_abortRequested) fail(f, r, kErrorTransferAborted, "Transfer aborted");
  if (r.stalled) {
    fail(f, r, kErrorTimedOut,
         "Fewer than " + std::to_string(kStallMinimumBytes) + " bytes received in " +
             std::to_string(m_stallTimeout.count()) + " ms");
  }
  if (!r.writeStatus.ok()) {
    m_lastError.set(r.writeStatus.error);
    fail(f, r, kErrorLocalFile, localFileFailure(r.writeStatus.error));
  }
  if (r.tooLarge) {
    fail(f, r, kErrorTooLarge,
         "The file is larger than " + std::to_string(m_sizeLimit - 1) + " bytes");
  }
  if (r.headSeen && !isSuccessStatus(r.status)) {
    fail(f, r, r.status, reasonText(r.status, r.reason));
  }
  if (r.failure) fail(f, r, r.failure->code, r.failure->description);
  if (!r.headSeen) fail(f, r, kErrorNoReply, "The server sent no response");
  if (r.announced && *r.announced != r.received) {
    fail(f, r, kErrorShortBody,
         "Transferred a partial file: " + std::to_string(r.received) + " of " +
             std::to_string(*r.announced) + " bytes");
  }
}

void TransferContract::finish(Fetch& f, Round& r) {
  // The last word on a complete body, before it counts.
  if (m_judge) {
    try {
      m_judge->judgeBody(r.received);
    } catch (...) {
      r.handlerError = std::current_exception();
      checkOutcome(f, r);
    }
  }
  if (f.body) {
    const Status st = f.body->commit();
    if (!st.ok()) {
      m_lastError.set(st.error);
      fail(f, r, kErrorLocalFile, localFileFailure(st.error));
    }
  }
  auto raiseClosing = [&](auto&& call) {
    try {
      if (m_events) call(*m_events);
    } catch (const std::exception& e) {
      r.ended = true;
      fail(f, r, kErrorTransferAborted, e.what());
    }
  };
  // An empty body still reports its total, so the caller sees it arrive complete.
  if (!r.pieceRaised) {
    raiseClosing([&](HttpTransferEvents& ev) { ev.OnTransfer(*this, 0, 0, std::string_view()); });
  }
  r.ended = true;
  raiseClosing([&](HttpTransferEvents& ev) { ev.OnEndTransfer(*this, 0); });
  if (f.body) f.body->keep();
}

void TransferContract::fail(Fetch& f, Round& r, int code, const std::string& description) {
  if (f.body) f.body->discard();
  if (r.started && !r.ended) {
    r.ended = true;
    try {
      if (m_events) m_events->OnEndTransfer(*this, 0);
    } catch (...) {
      // already failing; the first error is the one reported
    }
  }
  throw EipwHTTP(code, description);
}

}  // namespace platform::http
