#include "uninstaller_placement.h"
#include "paths.h"

namespace integration {


std::u16string uninstaller_path(std::u16string_view uninstall_folder) {
  return kv::join_path(uninstall_folder, kUninstallerFileName);
}

}  // namespace integration
