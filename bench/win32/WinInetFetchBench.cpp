// A first update's fetches under Wine: our WinINet component file after file, as the download
// sequence drives it, against the least WinINet can do for the same files (one session, the
// component's request flags, one request after the other, each body written to its file).
//
//   bench_wininet_fetch ours|loop PROXY LIST   PROXY "host:port"; LIST lines "url<TAB>path"
// Prints "<seconds> <peak KB>" for the fetches alone (the process's start is not counted).
#include <windows.h>

#include <psapi.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/HttpTransfer_wininet.h"
#include "platform/win32/MessagePump_win32.h"
#include "platform/win32/TextCodec_win32.h"
#include "platform/win32/WideText.h"

namespace {

using Clock = std::chrono::steady_clock;
using List = std::vector<std::pair<std::string, std::string>>;

// The thread's real messages, as the window's pump runs them (there is no window here).
class ThreadPump final : public platform::MessagePump {
 public:
  void processMessages() override { (void)platform::win32::runPendingMessages(nullptr); }
  void waitMessages(unsigned timeoutMs) override {
    (void)platform::win32::waitForMessages(nullptr, timeoutMs);
  }
};

bool ours(const std::string& proxy, const List& list) {
  platform::win32::Cp932Codec codec;
  ThreadPump pump;
  platform::LastError lastError;
  platform::win32::WinInetTransfer http(codec, pump, lastError);
  const size_t colon = proxy.rfind(':');
  try {
    for (const auto& [url, local] : list) {
      http.ResetTransfer();
      http.ProxyServer(proxy.substr(0, colon));
      http.ProxyPort(std::stoi(proxy.substr(colon + 1)));
      http.LocalFile(local);
      http.FetchURL(url);
      pump.processMessages();  // as the download sequence does after each file
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fetch failed: %s\n", e.what());
    return false;
  }
  return true;
}

// The yardstick: the same GETs with the same flags on one session, no thread, no events.
bool loop(const std::string& proxy, const List& list) {
  HINTERNET session =
      ::InternetOpenA("Brevan-Bench/1.0", INTERNET_OPEN_TYPE_PROXY, proxy.c_str(), nullptr, 0);
  if (!session) return false;
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                      INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI |
                      INTERNET_FLAG_KEEP_CONNECTION;
  static const char kFields[] = "Cache-Control: no-cache\r\nPragma: no-cache\r\n";
  std::vector<char> buffer(32768);
  bool ok = true;
  for (const auto& [url, local] : list) {
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    char host[256] = {};
    char path[2048] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return false;
    HINTERNET connection = ::InternetConnectA(session, host, parts.nPort, nullptr, nullptr,
                                              INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET request = connection ? ::HttpOpenRequestA(connection, "GET", path, "HTTP/1.1",
                                                        nullptr, nullptr, flags, 0)
                                   : nullptr;
    ok = request &&
         ::HttpSendRequestA(request, kFields, static_cast<DWORD>(sizeof kFields - 1), nullptr, 0);
    HANDLE file = ok ? ::CreateFileW(platform::win32::widen(local).c_str(), GENERIC_WRITE, 0,
                                     nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                     : INVALID_HANDLE_VALUE;
    ok = file != INVALID_HANDLE_VALUE;
    for (DWORD read = 0; ok;) {
      ok = ::InternetReadFile(request, buffer.data(), static_cast<DWORD>(buffer.size()), &read);
      if (!ok || read == 0) break;
      DWORD written = 0;
      ok = ::WriteFile(file, buffer.data(), read, &written, nullptr) && written == read;
    }
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    if (request) ::InternetCloseHandle(request);
    if (connection) ::InternetCloseHandle(connection);
    if (!ok) break;
  }
  ::InternetCloseHandle(session);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_wininet_fetch ours|loop PROXY LIST\n");
    return 2;
  }
  const std::string mode = argv[1];
  List list;
  std::ifstream in(argv[3]);
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) list.emplace_back(line.substr(0, tab), line.substr(tab + 1));
  }
  const auto start = Clock::now();
  const bool ok = mode == "ours" ? ours(argv[2], list) : mode == "loop" && loop(argv[2], list);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!ok) {
    std::fprintf(stderr, "%s failed (error %lu)\n", mode.c_str(), ::GetLastError());
    return 1;
  }
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
  std::printf("%.4f %lu\n", seconds, static_cast<unsigned long>(memory.PeakWorkingSetSize >> 10));
  return 0;
}
