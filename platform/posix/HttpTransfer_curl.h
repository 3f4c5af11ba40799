// The HTTP transfer component on libcurl's multi interface, run on the window's thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/MessagePump.h"
#include "platform/Status.h"
#include "platform/TextCodec.h"
#include "platform/http/TransferContract.h"
#include "platform/posix/MachineFolder.h"

namespace platform::posix {

// Prepares libcurl once for the whole program; call in main() before any component exists.
// Returns false when the engine cannot start (every fetch then fails).
bool initHttpEngine();
// Releases what initHttpEngine set up; call at program end, after every component is gone.
void cleanupHttpEngine();

using http::kEngineErrorBase;
using http::kErrorLocalFile;
using http::kErrorShortBody;
using http::kErrorTimedOut;
using http::kErrorTransferAborted;
using http::kErrorTransferBusy;

// The contract of every component (events, tries, bounds, error codes: TransferContract.h) on
// libcurl; engine failures are kEngineErrorBase plus libcurl's error number, with its own
// explanation. Connections are kept open between requests (keep-alive) and reused by the next
// FetchURL of the same component. libcurl's callbacks only keep what arrived; the contract's
// loop collects it between rounds, so no event is raised from inside libcurl. Every request
// asks caches to revalidate (Cache-Control and Pragma: no-cache). A proxy's sign-in is answered
// with Basic, Digest or NTLM, and Negotiate (a Kerberos ticket) only when nothing else is offered.
class CurlHttpTransfer final : public http::TransferContract {
 public:
  // machine maps LocalFile; codec turns the URL into CP932 bytes; pump runs while the transfer
  // waits; lastError receives the Windows-style code of a local-file failure.
  CurlHttpTransfer(const MachineFolder& machine, TextCodec& codec, MessagePump& pump,
                   LastError& lastError);
  ~CurlHttpTransfer() override;

 protected:
  std::unique_ptr<http::BodyStore> makeBody() override;
  void startRequest(const http::WireRequest& request) override;
  void collectNotes(std::vector<http::WireNote>& notes, int64_t& headBytes) override;
  void waitForWire(std::chrono::milliseconds wait) override;
  void stopRequest() override;
  std::vector<http::AuthScheme> signInSchemes() const override;

 private:
  struct Engine;
  struct Wire;
  void setOptions(const http::WireRequest& request);

  const MachineFolder& m_machine;
  std::unique_ptr<Engine> m_engine;
  std::unique_ptr<Wire> m_wire;
};

}  // namespace platform::posix
