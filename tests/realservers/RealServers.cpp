// Writes each server's configuration into the test's folder, starts it in the foreground as a
// child (so its pid is known and nothing else is ever signalled) and waits for its port.
#include "tests/realservers/RealServers.h"

#include <netinet/in.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tools/sample-release/Cp932.h"
#include "tools/sample-release/ReleaseContent.h"

namespace realservers {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Squid refuses to run as root; started by root it becomes this user, the package's own.
constexpr const char* kSquidUser = "proxy";
constexpr const char* kSquidHelpers = "/usr/lib/squid";

int connectTo(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  const int rc = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::close(fd);
  return rc;
}

// A loopback port nobody listens on now; the server binds it a moment later.
uint16_t freePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) != 0) {
    ::close(fd);
    throw std::runtime_error("no free loopback port");
  }
  ::close(fd);
  return ntohs(a.sin_port);
}

std::string readText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::string> lines(const fs::path& path) {
  std::vector<std::string> out;
  std::istringstream in(readText(path));
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

void waitForPort(e2e::ChildProcess& server, uint16_t port, const std::string& what,
                 const fs::path& log) {
  const auto end = std::chrono::steady_clock::now() + 15s;
  while (connectTo(port) != 0) {
    if (!server.running() || std::chrono::steady_clock::now() > end) {
      throw std::runtime_error(what + " did not come up:\n" + readText(log));
    }
    std::this_thread::sleep_for(20ms);
  }
}

// Squid's regular expression for the end of a target naming the file.
std::string fileRegex(const std::string& name) {
  std::string re = "/";
  for (const char c : name) {
    if (c == '.') re += '\\';
    re += c;
  }
  return re + "$";
}

// The sample release's pass folders with their names as CP932 bytes and their times.
void copyRelease(const fs::path& from, const fs::path& to) {
  for (const int pass : sample::kPasses) {
    const fs::path source = from / sample::basePath(pass), target = to / sample::basePath(pass);
    fs::create_directories(target);
    for (const auto& entry : fs::directory_iterator(source)) {
      const fs::path copy = target / sample::toCp932(entry.path().filename().string());
      fs::copy_file(entry.path(), copy);
      fs::last_write_time(copy, entry.last_write_time());
    }
  }
}

}  // namespace

std::string RealServers::missingTools() {
  std::string missing;
  for (const char* tool : {"squid", "nginx", "htpasswd"}) {
    if (e2e::findProgram(tool).empty()) missing += std::string(" ") + tool;
  }
  if (!fs::exists(std::string(kSquidHelpers) + "/basic_ncsa_auth")) missing += " basic_ncsa_auth";
  return missing;
}

RealServers::RealServers(const std::string& release, const ProxyOptions& options) {
  std::string root = (fs::temp_directory_path() / "brevan-servers-XXXXXX").string();
  if (::mkdtemp(root.data()) == nullptr) throw std::runtime_error("no folder for the servers");
  m_root = root;
  // Squid's own user must reach its folders below this one.
  fs::permissions(m_root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  // Names Squid's shared memory segments, so that suites running side by side do not meet.
  m_service =
      "brevan" + std::to_string(::getpid()) + fs::path(m_root).filename().string().substr(15);
  copyRelease(release, m_root + "/origin/root");
  startOrigin(options);
  startProxy(options);
}

RealServers::~RealServers() {
  m_proxy.reset();
  m_origin.reset();
  // Squid removes its segments on a clean stop; after a forced one they would stay.
  std::error_code ignored;
  for (const char* part : {"-cf__metadata.shm", "-cf__queues.shm", "-cf__readers.shm"}) {
    fs::remove("/dev/shm/" + m_service + part, ignored);
  }
  fs::remove_all(m_root, ignored);
}

void RealServers::startOrigin(const ProxyOptions& options) {
  const std::string dir = m_root + "/origin";
  fs::create_directories(dir + "/logs");
  fs::create_directories(dir + "/temp");
  m_originPort = freePort();
  std::string dropped;
  if (!options.dropped.empty()) {
    for (const int pass : sample::kPasses) {
      dropped += "    location = /" + sample::basePath(pass) + "/" + options.dropped +
                 " { return 444; }\n";
    }
  }
  // One process (no workers to leave behind), in the foreground, as the user who runs the test.
  writeText(dir + "/nginx.conf",
            "daemon off;\nmaster_process off;\npid " + dir + "/nginx.pid;\nerror_log " + dir +
                "/logs/error.log;\nevents { worker_connections 64; }\nhttp {\n"
                "  log_format brevan '$status $request_uri';\n  access_log " +
                dir + "/logs/access.log brevan;\n  client_body_temp_path " + dir +
                "/temp/body;\n"
                "  proxy_temp_path " +
                dir + "/temp/proxy;\n  fastcgi_temp_path " + dir +
                "/temp/fastcgi;\n  uwsgi_temp_path " + dir + "/temp/uwsgi;\n  scgi_temp_path " +
                dir +
                "/temp/scgi;\n  default_type application/octet-stream;\n  server {\n"
                "    listen 127.0.0.1:" +
                std::to_string(m_originPort) +
                ";\n"
                "    server_name update.valtern.jp;\n    root " +
                dir + "/root;\n" + dropped + "  }\n}\n");
  // -e: the error log before the configuration is read is ours too, not /var/log/nginx.
  m_origin = std::make_unique<e2e::ChildProcess>(
      std::vector<std::string>{"nginx", "-e", dir + "/logs/error.log", "-p", dir, "-c",
                               dir + "/nginx.conf"},
      std::map<std::string, std::string>{}, dir + "/logs/nginx.out");
  waitForPort(*m_origin, m_originPort, "nginx", dir + "/logs/error.log");
}

void RealServers::startProxy(const ProxyOptions& options) {
  const std::string dir = m_root + "/proxy";
  fs::create_directories(dir + "/cache");
  fs::create_directories(dir + "/logs");
  if (m_proxyPort == 0) m_proxyPort = freePort();
  std::string conf = "http_port 127.0.0.1:" + std::to_string(m_proxyPort) +
                     "\nvisible_hostname brevan-proxy\npid_filename " + dir +
                     "/squid.pid\ncache_dir ufs " + dir +
                     "/cache 64 4 16\nmaximum_object_size 64 MB\n"
                     "logformat brevan %Ss/%>Hs %ru\naccess_log stdio:" +
                     dir + "/logs/access.log brevan\ncache_log " + dir +
                     "/logs/cache.log\ncache_store_log none\ncoredump_dir " + dir +
                     "\nlogfile_rotate 0\nicp_port 0\nhtcp_port 0\npinger_enable off\n"
                     "netdb_filename none\nshutdown_lifetime 0 seconds\n";
  if (::geteuid() == 0) conf += std::string("cache_effective_user ") + kSquidUser + "\n";
  if (options.strictParser) conf += "relaxed_header_parser off\n";
  // The publisher's host is the origin on loopback: no name is ever looked up, nothing direct.
  conf += "cache_peer 127.0.0.1 parent " + std::to_string(m_originPort) +
          " 0 no-query originserver name=publisher\n"
          "acl publisher dstdomain update.valtern.jp\n"
          "cache_peer_access publisher allow publisher\nnever_direct allow all\n";
  if (options.basicSignIn) {
    if (!e2e::commandOutput({"htpasswd", "-b", "-c", dir + "/users", kUser, kPassword})) {
      throw std::runtime_error("htpasswd failed");
    }
    conf += std::string("auth_param basic program ") + kSquidHelpers + "/basic_ncsa_auth " + dir +
            "/users\nauth_param basic children 2\nauth_param basic realm Brevan office proxy\n"
            "acl signedIn proxy_auth REQUIRED\nhttp_access deny !signedIn\n";
  }
  if (!options.refused.empty()) {
    conf +=
        "acl refused urlpath_regex " + fileRegex(options.refused) + "\nhttp_access deny refused\n";
  }
  conf += "http_access allow publisher\nhttp_access deny all\n";
  writeText(dir + "/squid.conf", conf);
  if (::geteuid() == 0) {
    const passwd* user = ::getpwnam(kSquidUser);
    if (user == nullptr) throw std::runtime_error("no user " + std::string(kSquidUser));
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      (void)::chown(entry.path().c_str(), user->pw_uid, user->pw_gid);  // checked by Squid's start
    }
    (void)::chown(dir.c_str(), user->pw_uid, user->pw_gid);
  }
  const std::vector<std::string> squid{"squid", "-n", m_service, "-N", "-f", dir + "/squid.conf"};
  std::vector<std::string> makeCache = squid;
  makeCache.push_back("-z");
  if (!e2e::commandOutput(makeCache)) {
    throw std::runtime_error("squid -z failed:\n" + readText(dir + "/logs/cache.log"));
  }
  m_proxy = std::make_unique<e2e::ChildProcess>(squid, std::map<std::string, std::string>{},
                                                dir + "/logs/squid.out");
  waitForPort(*m_proxy, m_proxyPort, "squid", dir + "/logs/cache.log");
}

void RealServers::publish(int pass, const std::string& name, const std::string& bytes) {
  const fs::path file =
      fs::path(m_root) / "origin/root" / sample::basePath(pass) / sample::toCp932(name);
  const fs::path fresh = file.string() + ".new";
  writeText(fresh, bytes);
  fs::rename(fresh, file);
}

void RealServers::stopOrigin() { m_origin.reset(); }

void RealServers::restartProxy(const ProxyOptions& options) {
  m_proxy.reset();
  startProxy(options);
}

std::vector<std::string> RealServers::proxyLog() const {
  std::vector<std::string> answers = lines(m_root + "/proxy/logs/access.log");
  // The harness's own look whether the port is open sends no request.
  std::erase_if(answers, [](const std::string& line) {
    return line.find("error:transaction-end-before-headers") != std::string::npos;
  });
  return answers;
}

std::string RealServers::logs() const {
  return "\nnginx:\n" + readText(m_root + "/origin/logs/error.log") + "\nsquid:\n" +
         readText(m_root + "/proxy/logs/cache.log");
}

std::string compressed(const std::string& bytes) {
  std::string dir = (fs::temp_directory_path() / "brevan-szdd-XXXXXX").string();
  if (::mkdtemp(dir.data()) == nullptr) throw std::runtime_error("no scratch folder");
  writeText(dir + "/FILE.TX", bytes);
  const bool made = e2e::commandOutput({"mscompress", dir + "/FILE.TX"}).has_value();
  std::string szdd = readText(dir + "/FILE.TX_");
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  if (!made || szdd.compare(0, 4, "SZDD") != 0) throw std::runtime_error("mscompress failed");
  return szdd;
}

}  // namespace realservers
