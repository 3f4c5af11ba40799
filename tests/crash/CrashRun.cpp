// One update as a user runs it, without a screen (tests/headless). The crash test runs it under
// strace, which kills it at a chosen rename.
//
//   BREVAN_PREFIX=<machine folder> brevan-crash-run <program folder> <15 ticks of 0/1> [key]
//
// The machine folder comes from the environment, as for the program and its archive library.
// With a public key file [key], the release is checked against it. Prints every box it answered,
// one per line; exits 0 when the update completed without an error box, 1 when it did not, 2 on
// wrong arguments.
#include <exception>
#include <iostream>
#include <string>

#include "platform/posix/HttpTransfer_curl.h"
#include "platform/posix/MachineFolder.h"
#include "tests/headless/HeadlessUpdate.h"

int main(int argc, char** argv) {
  if ((argc != 3 && argc != 4) || std::string(argv[2]).size() != 15) {
    std::cerr << "usage: brevan-crash-run <program folder> <15 ticks of 0/1> [public key]\n";
    return 2;
  }
  platform::posix::initHttpEngine();
  int status = 1;
  try {
    if (headless::runUpdate(platform::posix::MachineFolder::defaultPrefix(), argv[1], argv[2],
                            argc == 4 ? argv[3] : "", std::cout)) {
      status = 0;
    }
  } catch (const std::exception& e) {  // an unreadable key file: a wrong argument
    std::cerr << e.what() << "\n";
    status = 2;
  }
  platform::posix::cleanupHttpEngine();
  return status;
}
