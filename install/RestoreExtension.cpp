// The extension-restore rule applied to a name.
#include "install/RestoreExtension.h"

#include "app/TextRules.h"

namespace install {

std::string RestoreExtension(const std::string& name) {
  return app::changeExtension(name, std::string(restoredExtension(name)));
}

}  // namespace install
