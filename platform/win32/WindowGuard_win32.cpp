// The one way out of a window procedure for an exception: the program's error box.
#include "platform/win32/WindowGuard_win32.h"

#include <utility>

#include "platform/win32/WideText.h"

namespace platform::win32 {
namespace {

std::function<void(const std::string&)>& report() {
  static std::function<void(const std::string&)> shown;
  return shown;
}

bool reporting = false;

}  // namespace

void setWindowFailureReport(std::function<void(const std::string& text)> shown) {
  report() = std::move(shown);
}

void reportWindowFailure() noexcept {
  std::string text;
  try {
    throw;
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
  }
  try {
    ::OutputDebugStringW(widen(text).c_str());
    // A box shown from inside the box's own message loop would stack up boxes without end.
    if (reporting || !report()) return;
    reporting = true;
    report()(text);
    reporting = false;
  } catch (...) {
    reporting = false;
  }
}

}  // namespace platform::win32
