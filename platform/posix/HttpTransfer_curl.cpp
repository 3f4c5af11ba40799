// The HTTP transfer component on libcurl: the engine, the body file and the request's options.
#include "platform/posix/HttpTransfer_curl.h"

#include <curl/curl.h>

#include <algorithm>

#include "platform/posix/BodyFile_posix.h"
#include "platform/posix/HttpTransferState_curl.h"

namespace platform::posix {

namespace {

bool g_engineReady = false;

// libcurl takes "::1" as a host with a port; an address with more than one colon is IPv6.
std::string proxyHostOption(const std::string& host) {
  if (host.find("://") == std::string::npos && host.find('[') == std::string::npos &&
      std::count(host.begin(), host.end(), ':') > 1) {
    return "[" + host + "]";
  }
  return host;
}

// The path and query of an absolute URL, as they stand ("/" when there is none).
std::string originTarget(const std::string& url) {
  const size_t scheme = url.find("://");
  const size_t start = url.find_first_of("/?#", scheme == std::string::npos ? 0 : scheme + 3);
  if (start == std::string::npos || url[start] == '#') return "/";
  std::string target = url.substr(start, url.find('#', start) - start);
  if (target.front() == '?') target.insert(0, "/");
  return target;
}

long authMask(http::AuthScheme scheme) {
  switch (scheme) {
    case http::AuthScheme::kBasic:
      return static_cast<long>(CURLAUTH_BASIC);
    case http::AuthScheme::kDigest:
      return static_cast<long>(CURLAUTH_DIGEST);
    case http::AuthScheme::kNtlm:
      return static_cast<long>(CURLAUTH_NTLM);
    case http::AuthScheme::kNegotiate:
      return static_cast<long>(CURLAUTH_NEGOTIATE);
  }
  return static_cast<long>(CURLAUTH_BASIC);
}

// The body file of the machine folder, as the contract keeps it.
class MachineBody final : public http::BodyStore {
 public:
  explicit MachineBody(const MachineFolder& machine) : m_machine(machine) {}
  Status open(const std::string& localFile) override {
    const auto native = m_machine.nativePath(localFile);
    return native ? m_file.open(*native) : Status::failure(kErrorPathNotFound);
  }
  Status write(const char* data, size_t size) override { return m_file.write(data, size); }
  Status commit() override { return m_file.commit(); }
  void discard() override { m_file.discard(); }
  void keep() override { m_file.keep(); }

 private:
  const MachineFolder& m_machine;
  BodyFile m_file;
};

}  // namespace

bool initHttpEngine() {
  if (!g_engineReady) g_engineReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return g_engineReady;
}

void cleanupHttpEngine() {
  if (g_engineReady) curl_global_cleanup();
  g_engineReady = false;
}

CurlHttpTransfer::CurlHttpTransfer(const MachineFolder& machine, TextCodec& codec,
                                   MessagePump& pump, LastError& lastError)
    : TransferContract(codec, pump, lastError),
      m_machine(machine),
      m_engine(std::make_unique<Engine>()) {}

CurlHttpTransfer::~CurlHttpTransfer() { stopRequest(); }

std::unique_ptr<http::BodyStore> CurlHttpTransfer::makeBody() {
  return std::make_unique<MachineBody>(m_machine);
}

std::vector<http::AuthScheme> CurlHttpTransfer::signInSchemes() const {
  // Negotiate last: it answers with a Kerberos ticket, not with what the user types.
  std::vector<http::AuthScheme> schemes;
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  if (info->features & CURL_VERSION_NTLM) schemes.push_back(http::AuthScheme::kNtlm);
  schemes.push_back(http::AuthScheme::kDigest);
  schemes.push_back(http::AuthScheme::kBasic);
  if (info->features & CURL_VERSION_SPNEGO) schemes.push_back(http::AuthScheme::kNegotiate);
  return schemes;
}

void CurlHttpTransfer::startRequest(const http::WireRequest& request) {
  if (!m_engine->multi || !m_engine->easy) {
    throw EipwHTTP(kEngineErrorBase + CURLE_FAILED_INIT, "The HTTP engine could not start");
  }
  m_wire = std::make_unique<Wire>();
  setOptions(request);
  if (curl_multi_add_handle(m_engine->multi, m_engine->easy) != CURLM_OK) {
    curl_easy_reset(m_engine->easy);
    m_wire.reset();
    throw EipwHTTP(kEngineErrorBase + CURLE_FAILED_INIT, "The HTTP engine could not start");
  }
  m_wire->added = true;
}

void CurlHttpTransfer::setOptions(const http::WireRequest& r) {
  CURL* easy = m_engine->easy;
  Wire& w = *m_wire;
  curl_easy_reset(easy);
  curl_easy_setopt(easy, CURLOPT_URL, r.url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, "Brevan-Update/2.5");
  // A proxy's cache must never hand out a file the publisher has replaced.
  w.fields = curl_slist_append(w.fields, "Cache-Control: no-cache");
  w.fields = curl_slist_append(w.fields, "Pragma: no-cache");
  curl_easy_setopt(easy, CURLOPT_HTTPHEADER, w.fields);
  // Larger reads than the default give fewer rounds of the loop; libcurl reads up to 100 of
  // them per round, so one round still holds a few megabytes at most.
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, 32768L);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(r.connectTimeout.count()));
  // An empty proxy must also override http_proxy and friends from the environment; a set one
  // is used for every host, whatever no_proxy says.
  w.proxy = proxyHostOption(r.proxyHost);
  // libcurl percent-encodes bytes above 0x7F in the path of a direct request (not in a proxy's
  // absolute target); the server expects the CP932 name as it stands.
  w.origin = originTarget(r.url);
  if (w.proxy.empty()) curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, w.origin.c_str());
  curl_easy_setopt(easy, CURLOPT_PROXY, w.proxy.c_str());
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
  curl_easy_setopt(easy, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
  // A tunnel's "200 Connection established" must not pass for the response's head.
  curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl_easy_setopt(easy, CURLOPT_PROXYPORT, static_cast<long>(r.proxyPort));
  if (r.scheme) {
    // libcurl copies the texts; it answers the scheme's challenges itself within the request.
    curl_easy_setopt(easy, CURLOPT_PROXYAUTH, authMask(*r.scheme));
    curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, r.user.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, r.password.c_str());
  }
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Wire::onHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &w);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Wire::onBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &w);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, w.errorBuffer);
}

}  // namespace platform::posix
