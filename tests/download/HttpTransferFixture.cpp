// A real loopback mirror, a machine folder of its own and a recording of every transfer event.
#include "tests/download/HttpTransferFixture.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace test {

namespace {

std::string makeScratch() {
  std::string base = (fs::temp_directory_path() / "brevan-http-XXXXXX").string();
  if (!::mkdtemp(base.data())) throw std::runtime_error("mkdtemp");
  return base;
}

}  // namespace

void EventLog::OnHeader(platform::HttpTransfer& sender, const std::string& field,
                        const std::string& value) {
  activeInEvents = activeInEvents && sender.Active();
  events.push_back("header " + field + "=" + value);
  if (hook) hook(events.back());
}

void EventLog::OnStartTransfer(platform::HttpTransfer& sender, int) {
  activeInEvents = activeInEvents && sender.Active();
  events.push_back("start");
  if (hook) hook(events.back());
}

void EventLog::OnTransfer(platform::HttpTransfer& sender, int, int32_t bytesTransferred,
                          std::string_view piece) {
  activeInEvents = activeInEvents && sender.Active();
  text += piece;
  largestPiece = std::max(largestPiece, piece.size());
  events.push_back("transfer " + std::to_string(bytesTransferred));
  if (hook) hook(events.back());
}

void EventLog::OnEndTransfer(platform::HttpTransfer& sender, int) {
  activeInEvents = activeInEvents && sender.Active();
  events.push_back("end");
  if (hook) hook(events.back());
}

void EventLog::OnError(platform::HttpTransfer&, int errorCode, const std::string& description) {
  events.push_back("error " + std::to_string(errorCode) + " " + description);
  if (hook) hook(events.back());
}

std::vector<std::string> EventLog::flow() const {
  std::vector<std::string> out;
  for (const std::string& e : events) {
    if (e.rfind("header ", 0) != 0) out.push_back(e);
  }
  return out;
}

HttpTransferTest::HttpTransferTest()
    : m_scratch(makeScratch()), m_root(m_scratch + "/release"), m_machine(m_scratch + "/prefix") {
  platform::posix::initHttpEngine();
  fs::create_directories(m_root + "/brevan/v128");
  fs::create_directories(m_scratch + "/prefix/drive_c/TEMP/work");
  m_mirror = std::make_unique<mirror::UpdateMirror>(
      mirror::UpdateMirror::Options{m_root, 0, m_scratch + "/requests.log"});
  m_mirror->start();
  m_http =
      std::make_unique<platform::posix::CurlHttpTransfer>(m_machine, m_codec, m_pump, m_lastError);
  m_http->setEvents(&m_log);
  // Short enough that a broken case fails fast, long enough for a loaded machine.
  m_http->setTimeouts(std::chrono::seconds(5), std::chrono::seconds(10));
  m_http->setPollInterval(std::chrono::milliseconds(5));
}

HttpTransferTest::~HttpTransferTest() {
  m_http.reset();
  m_mirror.reset();
  std::error_code ignored;
  fs::remove_all(m_scratch, ignored);
}

void HttpTransferTest::publish(const std::string& name, const std::string& bytes) {
  std::ofstream(m_root + "/brevan/v128/" + name, std::ios::binary) << bytes;
}

std::string HttpTransferTest::url(const std::string& name) const {
  return m_mirror->baseUrl() + "/brevan/v128/" + name;
}

std::string HttpTransferTest::native(const std::string& windowsPath) const {
  return m_machine.nativePath(windowsPath).value_or("");
}

bool HttpTransferTest::exists(const std::string& windowsPath) const {
  return fs::exists(native(windowsPath));
}

std::string HttpTransferTest::read(const std::string& windowsPath) const {
  std::ifstream in(native(windowsPath), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string HttpTransferTest::fetch(const std::string& name) {
  m_http->ResetTransfer();
  m_http->LocalFile("C:\\TEMP\\work\\" + name);
  try {
    m_http->FetchURL(url(name));
  } catch (const platform::EipwHTTP& e) {
    return e.what();
  }
  return "";
}

std::vector<std::string> HttpTransferTest::workFiles() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(m_scratch + "/prefix/drive_c/TEMP/work")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string patternBytes(size_t size) {
  std::string bytes(size, '\0');
  uint32_t x = 2463534242u;
  for (size_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    bytes[i] = static_cast<char>(x);
  }
  return bytes;
}

}  // namespace test
