// The sample machine folder: an old Brevan installation that both update passes have to fix,
// and the tree that a complete update leaves behind.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/WindowDesign.h"
#include "tools/sample-release/Tree.h"

namespace sample {

// The installation folder, below drive C: ("C:\Program Files\Valtern\Brevan\").
inline constexpr const char* kInstallFolder = "Program Files/Valtern/Brevan";
// The settings file that points the program at the installation and the proxy.
inline constexpr const char* kSettingsFile = "WINDOWS/DARADURA.INI";
// The version of the installed main program; below 1.2.9, so the first pass runs.
inline constexpr const char* kOldVersion = "v1.0.0.0";

// The standards list's items, in the window's order, UTF-8.
inline constexpr const auto& kStandardNames = app::kMainForm.checkList.items;

using Ticks = std::array<bool, 15>;
// Every standard ticked: what the list shows on a first update, when NEW_BIN has no plug-in list.
Ticks allTicked();

// The names a pass fetches, in order: its common files, then the rows of the ticked standards
// (a name twice in a row is fetched twice).
std::vector<std::string> workList(int pass, const Ticks& ticks);

// The plug-in list the program saves at close: section PULUGINLIST, one key per standard, CP932.
std::string pluginListText(const Ticks& ticks);

// drive_c of the sample machine before the update; PROXYIP/PROXYPORT name the mirror.
Tree sampleDriveC(const std::string& proxyHost, uint16_t proxyPort);

// Writes the sample machine into `prefix` (drive_c and registry.reg). Throws
// std::runtime_error when `prefix`/drive_c already exists or a file cannot be written.
void writeSampleMachine(const std::string& prefix, const std::string& proxyHost,
                        uint16_t proxyPort);

// drive_c after a complete update of the sample machine with these ticks: both passes, the
// work folders holding only the main program's backups, the plug-in list saved at close.
Tree expectedDriveC(const Ticks& ticks, const std::string& proxyHost, uint16_t proxyPort);

// What the update leaves when the pass-2 file at `failedPosition` (0-based, common files
// first) fails on the server: the first-run restructuring and pass 1 done, pass 2 fetched up
// to the failed file and not installed. Files fetched into BrvNewUp are listed by the caller.
Tree expectedDriveCAfterPass2Failure(const Ticks& ticks, const std::string& proxyHost,
                                     uint16_t proxyPort);

}  // namespace sample
