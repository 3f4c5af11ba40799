// The extension-restore rule: the name a downloaded compressed file gets once expanded.
#pragma once

#include <string>

namespace install {

// The name with its extension restored from the compressed form (".EX_" gives ".EXE",
// ".JH_" gives ".JH"); the extension is matched without regard to ASCII letter case and the
// stem is kept as it stands. Any other extension, and a name without one, gives ".KOU"
// (replaced or appended). Takes a name without folder; never fails.
std::string RestoreExtension(const std::string& name);

// The restored copy's name of a work-list entry: the same rule, named as the steps use it.
inline std::string RestoredName(const std::string& entry) { return RestoreExtension(entry); }

}  // namespace install
