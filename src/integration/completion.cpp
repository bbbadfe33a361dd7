#include "completion.h"

#include "text.h"

namespace integration {


std::uint64_t installed_bytes(std::span<const std::int32_t> file_sizes) {
  std::uint64_t total = 0;
  for (std::int32_t size : file_sizes)
    if (size > 0) total += std::uint64_t(size);
  return total;
}

std::vector<DocumentFile> document_files(const std::vector<std::string>& texts, std::u16string_view stem) {
  std::vector<DocumentFile> files;
  int counter = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].empty()) continue;
    ++counter;
    std::u16string name(stem);
    if (counter != 1 || i + 1 != texts.size()) name += kv::to_u16(counter);
    files.push_back({i, name + u".txt"});
  }
  return files;
}

const std::string& completion_address(const setup::Settings& settings, bool upgrade, bool downgrade, bool reinstall) {
  if (upgrade) return settings.upgrade_address;
  if (downgrade) return settings.downgrade_address;
  if (reinstall) return settings.reinstall_address;
  return settings.install_address;
}

RestartChoice restart_choice(bool reboot_required, bool automatic, bool always_ask) {
  if (!reboot_required) return RestartChoice::none;
  return automatic && !always_ask ? RestartChoice::restart : RestartChoice::ask;
}

FinalActionTargets final_action_targets(const setup::Settings& settings) {
  // The final page's application is the launch application; the folder it
  // offers to open is the run-program field.
  return {settings.run_program, settings.launch_application, settings.open_document};
}

}  // namespace integration
