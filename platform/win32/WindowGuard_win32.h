// Exceptions that reach a window procedure: shown in the program's error box instead of
// crossing into the system's code (which on i686 cannot unwind them and ends the program).
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace platform::win32 {

// Shows a failure's text (empty for one that carries none); set once by the program, which owns
// the error box. Until then failures are only written to the debugger's output.
void setWindowFailureReport(std::function<void(const std::string& text)> report);
// Reports the exception being handled. A failure while one is being reported is not shown twice.
void reportWindowFailure() noexcept;

// Runs a window procedure's work; any exception becomes the error box and `failed` the answer.
template <class Work>
LRESULT guardedMessage(Work&& work, LRESULT failed) noexcept {
  try {
    return work();
  } catch (...) {
    reportWindowFailure();
    return failed;
  }
}

}  // namespace platform::win32
