#include <windows.h>

#include "crash_guard.h"
#include "icon_resources.h"
#include "install_log.h"
#include "win_handles.h"

namespace integration {
namespace {

constexpr WORD kLanguage = 1033;
constexpr WORD kGroupNumber = 1;

}  // namespace

bool replace_icon_resources(const std::u16string& executable, std::span<const std::uint8_t> icon_file) {
  HANDLE update = nullptr;
  bool replaced = false;
  kv::CrashInfo crash = kv::crash_guard([&] {
    update = BeginUpdateResourceW(kv::as_wide(executable), FALSE);
    if (!update) {
      engine::log_text("Failed to open uninstaller for icon replacement.\r\n");
      return;
    }
    std::optional<IconResources> resources = icon_resources(icon_file);
    bool complete = resources.has_value();
    if (resources) {
      WORD number = 1;
      for (std::span<const std::uint8_t> image : resources->images) {
        complete = complete && UpdateResourceW(update, RT_ICON, MAKEINTRESOURCEW(number), kLanguage,
                                               const_cast<std::uint8_t*>(image.data()), DWORD(image.size()));
        ++number;
      }
      complete = complete && UpdateResourceW(update, RT_GROUP_ICON, MAKEINTRESOURCEW(kGroupNumber), kLanguage,
                                             resources->group.data(), DWORD(resources->group.size()));
    }
    HANDLE finishing = update;
    update = nullptr;
    replaced = EndUpdateResourceW(finishing, !complete) && complete;
    if (!replaced) engine::log_text("Failed to replace uninstaller icon.\r\n");
  });
  // A crash left the update open: throw its changes away.
  if (crash && update) kv::crash_guard([&] { EndUpdateResourceW(update, TRUE); });
  return replaced && !crash;
}

}  // namespace integration
