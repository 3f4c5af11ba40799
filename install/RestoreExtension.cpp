// The extension-restore rule as one table.
#include "install/RestoreExtension.h"

#include <array>
#include <string_view>
#include <utility>

#include "app/TextRules.h"
#include "platform/AsciiCase.h"

namespace install {

namespace {

// Compressed extension (upper case, with its dot) and the extension it stands for.
constexpr std::array<std::pair<std::string_view, std::string_view>, 18> kRestored{{
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
constexpr std::string_view kDefaultExtension = ".KOU";

}  // namespace

std::string RestoreExtension(const std::string& name) {
  const std::string extension = platform::ascii::toUpper(app::extensionOf(name));
  for (const auto& [compressed, restored] : kRestored) {
    if (extension == compressed) return app::changeExtension(name, std::string(restored));
  }
  return app::changeExtension(name, std::string(kDefaultExtension));
}

}  // namespace install
