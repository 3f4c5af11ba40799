// The first-run restructuring into OLD_BIN and NEW_BIN, finished when an earlier run was cut off.
#pragma once

#include <string>

#include "download/RunMarkers.h"
#include "platform/FileSystem.h"

class TMainForm;

namespace download {

enum class LayoutState {
  kFirstRun,     // no OLD_BIN: the installation has never been restructured
  kInterrupted,  // OLD_BIN with the marker, or without NEW_BIN beside it: a run was cut off
  kDone,         // OLD_BIN without the marker and NEW_BIN beside it
};

// How far the installation folder `root` (ending in '\') is in its two-folder layout.
LayoutState layoutState(platform::FileSystem& files, const std::string& root);

// Moves the entries of the installation folder `root` (ending in '\') into OLD_BIN, except
// OLD_BIN, NEW_BIN and the settings file, then seeds NEW_BIN and registers the viewer control;
// on an interrupted layout the same steps finish it (moves merge, copies replace). Returns false
// when the sequence must end: a box named what could not be moved (the marker stays, so the
// next press resumes), or the window was closed while the control registered.
bool Restructure(TMainForm& form, const std::string& root);

}  // namespace download
