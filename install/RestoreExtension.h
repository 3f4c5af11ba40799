// The extension-restore rule: the name a downloaded compressed file gets once expanded.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace install {

// Compressed extension (upper case, with its dot) and the extension it stands for.
inline constexpr std::array<std::pair<std::string_view, std::string_view>, 18> kRestored{{
    {".EX_", ".EXE"},
    {".DL_", ".DLL"},
    {".SP_", ".SPI"},
    {".LA_", ".LAY"},
    {".IN_", ".INI"},
    {".TX_", ".TXT"},
    {".4K_", ".4KE"},
    {".4N_", ".4NO"},
    {".6K_", ".6KE"},
    {".6N_", ".6NO"},
    {".JH_", ".JH"},
    {".NK_", ".NK"},
    {".XL_", ".XLS"},
    {".DO_", ".DOC"},
    {".EZ_", ".EZ"},
    {".0K_", ".0KE"},
    {".1N_", ".1NO"},
    {".KU_", ".KUK"},
}};

// Archives and the harbour templates come through here: their copy is named ".KOU".
inline constexpr std::string_view kDefaultExtension = ".KOU";

// True when `text` equals the upper-case `upper` without regard to ASCII letter case.
constexpr bool equalsUpperAscii(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c =
        text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
    if (c != upper[i]) return false;
  }
  return true;
}

// The extension, dot included, that the name's restored copy carries. Known at compile time for
// a constant name, so the expansion steps can be checked against the download tables.
constexpr std::string_view restoredExtension(std::string_view name) {
  const std::size_t separator = name.find_last_of("\\:");
  const std::size_t start = separator == std::string_view::npos ? 0 : separator + 1;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot < start) return kDefaultExtension;
  for (const auto& [compressed, restored] : kRestored) {
    if (equalsUpperAscii(name.substr(dot), compressed)) return restored;
  }
  return kDefaultExtension;
}

// The name with its extension restored from the compressed form (".EX_" gives ".EXE",
// ".JH_" gives ".JH"); the extension is matched without regard to ASCII letter case and the
// stem is kept as it stands. Any other extension, and a name without one, gives ".KOU"
// (replaced or appended). Takes a name without folder; never fails.
std::string RestoreExtension(const std::string& name);

// The restored copy's name of a work-list entry: the same rule, named as the steps use it.
inline std::string RestoredName(const std::string& entry) { return RestoreExtension(entry); }

}  // namespace install
