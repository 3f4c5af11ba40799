// All Linux backends over one machine folder, wired together as the program uses them.
#include "platform/posix/PosixMachine.h"

#include <utility>

#include "platform/posix/Clock_posix.h"
#include "platform/posix/FileSystem_posix.h"
#include "platform/posix/HttpTransfer_curl.h"
#include "platform/posix/Libraries_posix.h"
#include "platform/posix/LzExpand_posix.h"
#include "platform/posix/Processes_posix.h"
#include "platform/posix/Registry_posix.h"
#include "platform/posix/ShellFiles_posix.h"
#include "platform/posix/SystemFolders_posix.h"
#include "platform/posix/TextCodec_posix.h"
#include "platform/posix/VersionInfo_posix.h"
#include "platform/profile/FileProfiles.h"

namespace platform::posix {

// Members are built in the order the services need each other and torn down in reverse.
struct PosixMachine::Parts {
  Parts(std::string prefix, std::string programFolder, MessagePump& messagePump)
      : machine(std::move(prefix)),
        pump(messagePump),
        files(machine, lastError),
        registry(machine, lastError),
        folders(machine),
        profiles(files, codec, lastError),
        versions(files),
        shell(files, lastError),
        processes(machine),
        lz(machine, lastError),
        libraries(std::move(programFolder)),
        services{files,
                 registry,
                 folders,
                 profiles,
                 codec,
                 versions,
                 clock,
                 lastError,
                 shell,
                 processes,
                 lz,
                 [this] {
                   return std::make_unique<CurlHttpTransfer>(machine, codec, pump, lastError); }} {}

  MachineFolder machine;
  MessagePump& pump;
  LastError lastError;
  IconvTextCodec codec;
  SystemClock clock;
  PosixFileSystem files;
  PosixRegistry registry;
  PosixSystemFolders folders;
  profile::FileProfiles profiles;
  PeVersionInfo versions;
  PosixShellFiles shell;
  PosixProcesses processes;
  MspackLzExpand lz;
  DlLibraries libraries;
  Services services;
};

PosixMachine::PosixMachine(std::string prefix, std::string programFolder, MessagePump& pump)
    : m_parts(std::make_unique<Parts>(std::move(prefix), std::move(programFolder), pump)) {
  m_parts->machine.ensureSystemFolders();
}

PosixMachine::~PosixMachine() = default;

const MachineFolder& PosixMachine::machine() const { return m_parts->machine; }

Services& PosixMachine::services() { return m_parts->services; }

Libraries& PosixMachine::libraries() { return m_parts->libraries; }

}  // namespace platform::posix
