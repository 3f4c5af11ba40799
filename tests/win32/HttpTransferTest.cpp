// The WinINet transfer component under Wine against the Linux update mirror on loopback.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "platform/win32/HttpTransfer_wininet.h"
#include "platform/win32/TextCodec_win32.h"
#include "platform/win32/WideText.h"
#include "tests/doubles/SignInScript.h"

namespace {

using platform::win32::narrow;
using platform::win32::widen;
using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::StartsWith;

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string readFile(const std::string& path) {
  std::ifstream in(std::filesystem::path(widen(path)), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(std::filesystem::path(widen(path)), std::ios::binary) << bytes;
}

// Bytes that differ from position to position, so a misplaced piece shows.
std::string patternBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

class PumpDouble : public platform::MessagePump {
 public:
  void processMessages() override {
    ++rounds;
    if (hook) hook();
  }
  // The component waits on its worker and the messages itself; this is never called.
  void waitMessages(unsigned) override { ADD_FAILURE() << "waitMessages"; }
  int rounds = 0;
  std::function<void()> hook;
};

// Records "header Name=value", "start", "transfer N", "end", and whether Active() held.
class EventLog : public platform::HttpTransferEvents {
 public:
  void OnHeader(platform::HttpTransfer& s, const std::string& f, const std::string& v) override {
    note(s, "header " + f + "=" + v);
  }
  void OnStartTransfer(platform::HttpTransfer& s, int) override { note(s, "start"); }
  void OnTransfer(platform::HttpTransfer& s, int, int32_t total, std::string_view) override {
    note(s, "transfer " + std::to_string(total));
  }
  void OnEndTransfer(platform::HttpTransfer& s, int) override { note(s, "end"); }
  void OnError(platform::HttpTransfer& s, int code, const std::string&) override {
    note(s, "error " + std::to_string(code));
  }
  std::vector<std::string> flow() const {
    std::vector<std::string> out;
    for (const auto& e : events) {
      if (e.rfind("header ", 0) != 0) out.push_back(e);
    }
    return out;
  }
  std::vector<std::string> events;
  bool activeInEvents = true;
  std::function<void(const std::string&)> hook;

 private:
  void note(platform::HttpTransfer& sender, std::string event) {
    activeInEvents = activeInEvents && sender.Active();
    events.push_back(std::move(event));
    if (hook) hook(events.back());
  }
};

class WinInetTransferTest : public ::testing::Test {
 protected:
  WinInetTransferTest() : m_http(m_codec, m_pump, m_lastError) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    m_work = narrow(temp) + "brevan-http-" + std::to_string(::GetCurrentProcessId()) + "-" +
             std::to_string(++s_serial);
    ::CreateDirectoryW(widen(m_work).c_str(), nullptr);
    ::CreateDirectoryW(widen(env("BREVAN_MIRROR_ROOT") + "\\brevan").c_str(), nullptr);
    ::CreateDirectoryW(widen(env("BREVAN_MIRROR_ROOT") + "\\brevan\\v128").c_str(), nullptr);
    m_http.setEvents(&m_log);
    // Short enough that a broken case fails fast, long enough for a loaded machine.
    m_http.setTimeouts(std::chrono::seconds(5), std::chrono::seconds(10));
    m_http.setPollInterval(std::chrono::milliseconds(5));
  }
  ~WinInetTransferTest() override {
    for (const std::string& name : workFiles()) ::DeleteFileW(widen(m_work + "\\" + name).c_str());
    ::RemoveDirectoryW(widen(m_work).c_str());
  }

  void publish(const std::string& name, const std::string& bytes) {
    writeFile(env("BREVAN_MIRROR_ROOT") + "\\brevan\\v128\\" + name, bytes);
  }
  std::string url(const std::string& name) const {
    return "http://" + env("BREVAN_MIRROR") + "/brevan/v128/" + name;
  }
  std::string local(const std::string& name) const { return m_work + "\\" + name; }
  // Fetches into the work folder; returns the exception's message or "".
  std::string fetch(const std::string& name, const std::string& from = "") {
    m_log.events.clear();
    m_http.ResetTransfer();
    m_http.LocalFile(local(name));
    try {
      m_http.FetchURL(from.empty() ? url(name) : from);
    } catch (const platform::EipwHTTP& e) {
      return e.what();
    }
    return "";
  }
  // Files in the work folder, hidden ones and temporaries included.
  std::vector<std::string> workFiles() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const HANDLE find = ::FindFirstFileW(widen(m_work + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::string name = narrow(found.cFileName);
      if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
  }
  // Request targets the mirror received since it started, raw bytes.
  std::vector<std::string> requestLog() const {
    std::istringstream in(readFile(env("BREVAN_MIRROR_LOG")));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  static inline int s_serial = 0;
  std::string m_work;
  platform::win32::Cp932Codec m_codec;
  PumpDouble m_pump;
  platform::LastError m_lastError;
  EventLog m_log;
  platform::win32::WinInetTransfer m_http;
};

TEST_F(WinInetTransferTest, FetchesCp932NamesDirectlyAndThroughTheProxy) {
  struct Case {
    std::string name;
    bool proxy;
    std::string target;  // as the mirror logged it
  };
  // 表 and ソ end in the byte 0x5C, the ASCII backslash.
  const Case cases[] = {
      {"ヘルプ.lzh", false, "/brevan/v128/\x83\x77\x83\x8B\x83\x76.lzh"},
      {"表ソ.lzh", false, "/brevan/v128/\x95%5C\x83%5C.lzh"},
      {"ヘルプ.lzh", true,
       "http://update.brevan.invalid:80/brevan/v128/\x83\x77\x83\x8B\x83\x76.lzh"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    const std::string body = patternBytes(100000);
    publish(c.name, body);
    const size_t logged = requestLog().size();
    m_http.ProxyServer(c.proxy ? "127.0.0.1" : "");
    m_http.ProxyPort(c.proxy ? std::stoi(env("BREVAN_MIRROR").substr(10)) : 0);
    const std::string from = c.proxy ? "http://update.brevan.invalid/brevan/v128/" + c.name : "";

    EXPECT_EQ(fetch(c.name, from), "");

    EXPECT_TRUE(readFile(local(c.name)) == body);
    EXPECT_THAT(requestLog(), ::testing::Contains(c.target));
    EXPECT_EQ(requestLog().size(), logged + 1);
    // Every header, then the start, running totals up to the length, the end.
    const auto flow = m_log.flow();
    ASSERT_GE(flow.size(), 3u);
    EXPECT_THAT(m_log.events, ::testing::Contains("header Content-Length=100000"));
    EXPECT_EQ(m_log.events[m_log.events.size() - flow.size()], "start");
    EXPECT_EQ(flow[flow.size() - 2], "transfer 100000");
    EXPECT_EQ(flow.back(), "end");
    EXPECT_TRUE(m_log.activeInEvents);
    EXPECT_FALSE(m_http.Active());
  }
}

TEST_F(WinInetTransferTest, ServerFaultsFailAsOnLinuxAndLeaveNoFile) {
  m_http.setTimeouts(std::chrono::seconds(5), std::chrono::milliseconds(300));
  enum Began { kNo, kYes, kEither };
  struct Case {
    const char* name;  // the mirror's fault for it is set by the suite's command
    ::testing::Matcher<std::string> message;  // EipwHTTP's message; "" for success
    Began bodyBegan;                          // OnStartTransfer (and so OnEndTransfer) raised
  };
  const Case cases[] = {
      {"F_missing", "404: Not Found", kNo},
      {"F_status500", "500: Internal Server Error", kNo},
      {"F_short", "1018: Transferred a partial file: 100000 of 200000 bytes", kYes},
      // A reset throws away what the client has not read yet, the head too at times; Wine's
      // WinINet ends the body quietly at a reset, and the length check fails the fetch then.
      {"F_reset", AnyOf(StartsWith("1056: "), StartsWith("1018: Transferred a partial file: ")),
       kEither},
      {"F_stall", "1028: Fewer than 1024 bytes received in 300 ms", kYes},
      {"F_hang", "1028: Fewer than 1024 bytes received in 300 ms", kNo},
      {"F_nolength", "", kYes},
  };
  const std::string body = patternBytes(200000);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (std::string(c.name) != "F_missing") publish(c.name, body);
    writeFile(local(c.name), "from an earlier run");

    const std::string message = fetch(c.name);

    EXPECT_THAT(message, c.message);
    if (message.empty()) {
      EXPECT_TRUE(readFile(local(c.name)) == body);
      EXPECT_THAT(workFiles(), ElementsAre(c.name));
      ::DeleteFileW(widen(local(c.name)).c_str());
    } else {
      // Nothing that could pass for the downloaded file, not even a temporary.
      EXPECT_THAT(workFiles(), ElementsAre());
    }
    const auto flow = m_log.flow();
    if (c.bodyBegan == kNo || (c.bodyBegan == kEither && flow.empty())) {
      EXPECT_THAT(flow, ElementsAre());
    } else {
      ASSERT_FALSE(flow.empty());
      EXPECT_EQ(flow.front(), "start");
      EXPECT_EQ(flow.back(), "end");
      EXPECT_EQ(std::count(flow.begin(), flow.end(), "end"), 1);
    }
  }
}

TEST_F(WinInetTransferTest, AbortEndsAFetchAtOnceAlsoFromASilentServer) {
  // Long time-outs: only the abort can end these fetches in time.
  m_http.setTimeouts(std::chrono::seconds(60), std::chrono::seconds(60));
  struct Case {
    const char* name;
    bool fromProgressEvent;  // else from the window's message loop, a while after the start
  };
  for (const Case& c : {Case{"F_stall", false}, Case{"F_hang", false}, Case{"F_slow", true}}) {
    SCOPED_TRACE(c.name);
    publish(c.name, patternBytes(100000));
    m_pump.rounds = 0;
    m_pump.hook = [&] {
      if (!c.fromProgressEvent && m_pump.rounds == 20) m_http.AbortTransfer();
    };
    m_log.hook = [&](const std::string& event) {
      if (c.fromProgressEvent && event.rfind("transfer", 0) == 0) {
        m_http.AbortTransfer();
        m_http.ResetTransfer();
      }
    };
    EXPECT_EQ(fetch(c.name), "1042: Transfer aborted");
    EXPECT_FALSE(m_http.Active());
    EXPECT_THAT(workFiles(), ElementsAre());
    if (c.fromProgressEvent) {
      EXPECT_THAT(m_log.flow(), ElementsAre("start", StartsWith("transfer "), "end"));
    }
  }
  // The component is ready for the next file.
  m_pump.hook = nullptr;
  m_log.hook = nullptr;
  publish("next", "fine");
  EXPECT_EQ(fetch("next"), "");
  EXPECT_EQ(readFile(local("next")), "fine");
}

TEST_F(WinInetTransferTest, RefusedBeforeAnyRequest) {
  publish("a", "x");
  writeFile(local("kept"), "kept");
  ::SetFileAttributesW(widen(local("kept")).c_str(), FILE_ATTRIBUTE_READONLY);
  struct Case {
    std::string localFile;
    std::string url;
    int proxyPort;
    std::string message;
    int lastError;
  };
  const Case cases[] = {
      {local("kept"), url("a"), 0, "1023: ", 5},
      {local("missing\\a"), url("a"), 0, "1023: ", 3},
      {m_work, url("a"), 0, "1023: ", 5},
      {local("x"), url("snow☃.lzh"), 0, "1003: ", 0},
      {local("x"), "ftp://127.0.0.1/a", 0, "1003: ", 0},
      {local("x"), url("a"), 70000, "1043: Invalid proxy port 70000", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.localFile + " " + c.url);
    m_lastError.set(0);
    m_http.ProxyServer(c.proxyPort ? "127.0.0.1" : "");
    m_http.ProxyPort(c.proxyPort);
    m_http.LocalFile(c.localFile);
    try {
      m_http.FetchURL(c.url);
      ADD_FAILURE() << "fetched";
    } catch (const platform::EipwHTTP& e) {
      EXPECT_EQ(std::string(e.what()).substr(0, c.message.size()), c.message) << e.what();
    }
    EXPECT_EQ(m_lastError.get(), c.lastError);
  }
  EXPECT_THAT(requestLog(), ::testing::Not(::testing::Contains("/brevan/v128/a")));
  EXPECT_EQ(readFile(local("kept")), "kept");
  ::SetFileAttributesW(widen(local("kept")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Through the mirror as proxy, for a host no name lookup knows.
class WinInetProxyTest : public WinInetTransferTest {
 protected:
  WinInetProxyTest() {
    m_http.setSignIn(&m_signIn);
    m_http.ProxyServer("127.0.0.1");
    m_http.ProxyPort(std::stoi(env("BREVAN_MIRROR").substr(10)));
  }
  std::string viaProxy(const std::string& name) {
    return fetch(name, "http://update.brevan.invalid/brevan/v128/" + name);
  }
  test::SignInScript m_signIn;
};

TEST_F(WinInetProxyTest, SignInWithBasicAsksUntilThePairIsTakenAtMostThreeTimes) {
  using test::pair;
  struct Row {
    const char* name;  // the suite's command gives each its fault
    std::vector<std::optional<platform::ProxyCredentials>> answers;
    std::string message;
    size_t asks;
  };
  const std::string refused = "407: Proxy Authentication Required";
  const Row rows[] = {
      {"F_signin", {pair("anna", "x"), pair("anna", "secret")}, "", 2},
      {"F_signin", {std::nullopt}, refused, 1},
      {"F_signinloop",
       {pair("a", "1"), pair("a", "1"), pair("a", "1"), pair("a", "1")},
       refused,
       3},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.name) + " " + std::to_string(r.asks));
    publish(r.name, "signed in");
    m_signIn = {};
    m_signIn.answers.assign(r.answers.begin(), r.answers.end());
    EXPECT_EQ(viaProxy(r.name), r.message);
    EXPECT_EQ(m_signIn.asked.size(), r.asks);
    if (r.message.empty()) {
      EXPECT_EQ(readFile(local(r.name)), "signed in");
      EXPECT_THAT(m_log.flow(), ElementsAre("start", "transfer 9", "end"));
      ::DeleteFileW(widen(local(r.name)).c_str());
    } else {
      EXPECT_THAT(m_log.flow(), ElementsAre());
    }
  }
}

TEST_F(WinInetProxyTest, StrictProxyGetsThePercentEncodedNameAndEveryRequestAsksToRevalidate) {
  publish("ヘルプ_strict.lzh", "help");
  const size_t before = requestLog().size();
  EXPECT_EQ(viaProxy("ヘルプ_strict.lzh"), "");
  const auto log = requestLog();
  ASSERT_EQ(log.size(), before + 2);
  const std::string base = "http://update.brevan.invalid:80/brevan/v128/";
  EXPECT_EQ(log[before], base + "\x83\x77\x83\x8B\x83\x76_strict.lzh");
  EXPECT_EQ(log[before + 1], base + "%83w%83%8B%83v_strict.lzh");
  EXPECT_EQ(readFile(local("ヘルプ_strict.lzh")), "help");

  const std::string heads = readFile(env("BREVAN_MIRROR_HEADS"));
  size_t count = 0;
  for (size_t at = heads.find("GET "); at != std::string::npos; at = heads.find("GET ", at + 1)) {
    const std::string head = heads.substr(at, heads.find("\r\n\r\n", at) - at);
    SCOPED_TRACE(head);
    EXPECT_NE(head.find("\r\nCache-Control: no-cache"), std::string::npos);
    EXPECT_NE(head.find("\r\nPragma: no-cache"), std::string::npos);
    ++count;
  }
  EXPECT_GE(count, 2u);
}

TEST_F(WinInetTransferTest, StallIsFewerThanAKilobyteInAWindowNotALongTransfer) {
  m_http.setTimeouts(std::chrono::seconds(5), std::chrono::seconds(1));
  struct Row {
    const char* name;  // F_drip 64 bytes, F_steady 4096 bytes every 100 ms
    size_t size;
    std::string message;
  };
  const Row rows[] = {
      {"F_drip", 20000, "1028: Fewer than 1024 bytes received in 1000 ms"},
      {"F_steady", 120000, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const std::string body = patternBytes(r.size);
    publish(r.name, body);
    EXPECT_EQ(fetch(r.name), r.message);
    EXPECT_EQ(readFile(local(r.name)) == body, r.message.empty());
  }
}

}  // namespace

// The threads of this process other than the calling one, each as its id and creation time (an
// id may be given again to a later thread).
std::set<std::pair<DWORD, uint64_t>> otherThreads() {
  std::set<std::pair<DWORD, uint64_t>> threads;
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Thread32First(snapshot, &entry); more;
       more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != ::GetCurrentProcessId() ||
        entry.th32ThreadID == ::GetCurrentThreadId()) {
      continue;
    }
    FILETIME created{}, exited{}, kernel{}, user{};
    const HANDLE thread = ::OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
    if (thread) {
      ::GetThreadTimes(thread, &created, &exited, &kernel, &user);
      ::CloseHandle(thread);
    }
    threads.emplace(entry.th32ThreadID,
                    uint64_t{created.dwHighDateTime} << 32 | created.dwLowDateTime);
  }
  ::CloseHandle(snapshot);
  return threads;
}

TEST_F(WinInetTransferTest, FetchesOneAfterTheOtherOnOneWorkerThread) {
  publish("small", "abc");
  std::set<std::pair<DWORD, uint64_t>> first;
  std::set<std::pair<DWORD, uint64_t>> seen;
  m_log.hook = [&](const std::string& event) {
    if (event != "start") return;
    const auto now = otherThreads();
    if (first.empty()) first = now;
    seen.insert(now.begin(), now.end());
  };
  for (int i = 0; i < 10; ++i) ASSERT_EQ(fetch("small"), "");
  // A thread per fetch would show ten workers.
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(seen, first);
}
