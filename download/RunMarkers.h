// Files OLD_BIN holds while a part of the update that must be finished is under way.
#pragma once

namespace download {

// Names of the program's own kind (".~brevan-"), so neither the product nor the update data can
// bring one, and of no kind the clean-up of temporary files takes for its own.

// While the first-run restructuring runs: written before the first entry moves, removed once
// NEW_BIN is seeded and the viewer control registered.
inline constexpr const char* kRestructuringMarker = ".~brevan-restructuring";

// While pass (1) installs: written before its expansion run starts, removed once it has
// finished. Pass (1) replaces the old program early, so after a cut-off pass (1) the program's
// version alone would skip the rest of it for good.
inline constexpr const char* kPassOneMarker = ".~brevan-pass1";

}  // namespace download
