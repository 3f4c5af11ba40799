// Every machine service the update window uses, handed to it at construction.
#pragma once

#include <functional>
#include <memory>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/HttpTransfer.h"
#include "platform/Libraries.h"
#include "platform/LzExpand.h"
#include "platform/Processes.h"
#include "platform/ProfileFiles.h"
#include "platform/Registry.h"
#include "platform/ReleaseCrypto.h"
#include "platform/ShellFiles.h"
#include "platform/Status.h"
#include "platform/SystemFolders.h"
#include "platform/TextCodec.h"
#include "platform/VersionInfo.h"

namespace platform {

struct Services {
  FileSystem& files;
  Registry& registry;
  SystemFolders& folders;
  ProfileFiles& profiles;
  TextCodec& codec;
  VersionInfo& versions;
  Clock& clock;
  LastError& lastError;
  ShellFiles& shell;
  Processes& processes;
  LzExpand& lz;
  // Makes a new HTTP transfer component; the window owns three.
  std::function<std::unique_ptr<HttpTransfer>()> makeHttp;
  // The checks with the publisher's key the program was built with; none without a key, and
  // then no release list is fetched.
  ReleaseCrypto* release = nullptr;
};

}  // namespace platform
