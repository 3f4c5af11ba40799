// The real clock on Windows.
#include "platform/win32/Clock_win32.h"

#include <windows.h>

namespace platform::win32 {
namespace {

// 1601-01-01 (the FILETIME epoch) in Windows date-time days.
constexpr double kFileTimeEpochDays = -109205.0;
constexpr double kFileTimeUnitsPerDay = 864000000000.0;

}  // namespace

uint64_t SystemClock::tickCountMs() { return ::GetTickCount64(); }

double SystemClock::now() {
  SYSTEMTIME local{};
  ::GetLocalTime(&local);
  FILETIME asFileTime{};
  ::SystemTimeToFileTime(&local, &asFileTime);
  ULARGE_INTEGER units{};
  units.LowPart = asFileTime.dwLowDateTime;
  units.HighPart = asFileTime.dwHighDateTime;
  return kFileTimeEpochDays + static_cast<double>(units.QuadPart) / kFileTimeUnitsPerDay;
}

}  // namespace platform::win32
