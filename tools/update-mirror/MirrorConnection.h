// One accepted connection of the update mirror, served by its own thread.
#pragma once

#include <atomic>
#include <thread>

#include "tools/update-mirror/UpdateMirror.h"

namespace mirror {

struct UpdateMirror::Connection {
  int fd = -1;  // closed and set to -1 under the mirror's mutex
  std::thread thread;
  std::atomic<bool> finished{false};
};

}  // namespace mirror
