// All Win32 backends on the real machine, wired together as the program uses them.
#include "platform/win32/Win32Machine.h"

#include <utility>

#include "platform/profile/FileProfiles.h"
#include "platform/win32/Clock_win32.h"
#include "platform/win32/FileSystem_win32.h"
#include "platform/win32/Libraries_win32.h"
#include "platform/win32/LzExpand_win32.h"
#include "platform/win32/Processes_win32.h"
#include "platform/win32/Registry_win32.h"
#include "platform/win32/ShellFiles_win32.h"
#include "platform/win32/SystemFolders_win32.h"
#include "platform/win32/TextCodec_win32.h"
#include "platform/win32/VersionInfo_win32.h"

namespace platform::win32 {

// Members are built in the order the services need each other and torn down in reverse.
struct Win32Machine::Parts {
  Parts(MessagePump& messagePump, HttpMaker maker)
      : pump(messagePump),
        makeHttp(std::move(maker)),
        files(lastError),
        registry(lastError),
        profiles(files, codec, lastError),
        shell(files, lastError),
        processes(lastError),
        lz(lastError),
        services{files, registry,  folders, profiles,
                 codec, versions,  clock,   lastError,
                 shell, processes, lz,      [this] { return makeHttp(codec, pump, lastError); }} {}

  MessagePump& pump;
  HttpMaker makeHttp;
  LastError lastError;
  Cp932Codec codec;
  SystemClock clock;
  Win32FileSystem files;
  Win32Registry registry;
  Win32SystemFolders folders;
  profile::FileProfiles profiles;
  Win32VersionInfo versions;
  Win32ShellFiles shell;
  Win32Processes processes;
  Win32LzExpand lz;
  Win32Libraries libraries;
  Services services;
};

Win32Machine::Win32Machine(MessagePump& pump, HttpMaker makeHttp)
    : m_parts(std::make_unique<Parts>(pump, std::move(makeHttp))) {}

Win32Machine::~Win32Machine() = default;

Services& Win32Machine::services() { return m_parts->services; }

Libraries& Win32Machine::libraries() { return m_parts->libraries; }

}  // namespace platform::win32
