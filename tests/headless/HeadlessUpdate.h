// One update as a user runs it, without a screen: the real core on the real machine services and
// archive library, a view double that answers every box with OK or Yes, a clock whose waits end
// at once. The crash test kills it at chosen renames; the benchmark times it whole.
#pragma once

#include <ostream>
#include <string>

namespace headless {

// Runs the update on the machine folder `prefix` with the program's libraries in
// `programFolder` and the standards ticked as `ticks` (15 of '0'/'1'). With `publicKeyFile`,
// the program checks the release against that key as a program built with it does. Writes every
// box it answered to `boxes`, one per line; true when the update completed without an error box.
// The caller initialises the HTTP engine.
bool runUpdate(const std::string& prefix, const std::string& programFolder,
               const std::string& ticks, const std::string& publicKeyFile, std::ostream& boxes);

}  // namespace headless
