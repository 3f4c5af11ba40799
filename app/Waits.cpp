// Waits that keep the window alive without keeping a core busy.
#include "app/Waits.h"

#include <algorithm>

namespace app {

void waitWithMessages(platform::Clock& clock, platform::MessagePump& pump, uint64_t ms) {
  const uint64_t start = clock.tickCountMs();
  for (uint64_t passed = 0; passed < ms; passed = clock.tickCountMs() - start) {
    pump.waitMessages(static_cast<unsigned>(std::min<uint64_t>(ms - passed, kWaitSliceMs)));
  }
}

}  // namespace app
