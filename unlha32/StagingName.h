// The names of the staging folders the library makes inside a destination.
#pragma once

#include <string>
#include <string_view>

namespace unlha {

// ".unlha32-<pid>-<n>.part": the staging folder a process makes, n counting its attempts.
std::string stagingName(unsigned long pid, unsigned attempt);

// True for exactly the names stagingName makes (both numbers plain decimal digits, no sign,
// no blank): only such an entry may be taken for what a killed run left behind.
bool isStagingName(std::string_view name);

}  // namespace unlha
