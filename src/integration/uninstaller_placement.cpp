#include "uninstaller_placement.h"

namespace integration {


std::u16string uninstaller_path(std::u16string_view uninstall_folder) {
  std::u16string path(uninstall_folder);
  if (!path.empty() && path.back() != u'\\') path += u'\\';
  return path + kUninstallerFileName;
}

}  // namespace integration
