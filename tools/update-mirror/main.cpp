// brevan-mirror: serves a release folder on 127.0.0.1 until interrupted; prints its port.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "tools/update-mirror/UpdateMirror.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: brevan-mirror --root DIR [--port N] [--log FILE] [--head-log FILE]\n"
               "                     [--fault NAME=KIND]...\n"
               "  KIND: short[:BYTES] nolength status:CODE reset[:BYTES] slow:BYTES:MS "
               "stall[:BYTES] hang\n"
               "        signin:USER:PASSWORD signinloop signinunknown strict length:BYTES\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  mirror::UpdateMirror::Options options;
  std::vector<std::pair<std::string, mirror::Fault>> faults;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return usage();
    const std::string value = argv[++i];
    if (arg == "--root") {
      options.root = value;
    } else if (arg == "--port") {
      char* end = nullptr;
      const long port = std::strtol(value.c_str(), &end, 10);
      if (*end != '\0' || port < 0 || port > 65535) return usage();
      options.port = static_cast<uint16_t>(port);
    } else if (arg == "--log") {
      options.logFile = value;
    } else if (arg == "--head-log") {
      options.headLogFile = value;
    } else if (arg == "--fault") {
      const size_t eq = value.rfind('=');
      const auto fault =
          eq == std::string::npos ? std::nullopt : mirror::parseFault(value.substr(eq + 1));
      if (!fault) return usage();
      faults.emplace_back(value.substr(0, eq), *fault);
    } else {
      return usage();
    }
  }
  if (options.root.empty()) return usage();

  // The signals are taken by sigwait below, so every thread must have them blocked.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  mirror::UpdateMirror server(options);
  for (const auto& [name, fault] : faults) server.setFault(name, fault);
  try {
    std::printf("%u\n", static_cast<unsigned>(server.start()));
    std::fflush(stdout);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  int signal = 0;
  sigwait(&signals, &signal);
  server.stop();
  return 0;
}
