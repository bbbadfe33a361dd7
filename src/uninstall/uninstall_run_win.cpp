#include "uninstall_run.h"

#include "self_removal.h"
#include "uninstaller.h"
#include "notification_requests.h"

namespace uninstall {

setup::RunOutcome run_uninstall_mode(const std::u16string& product_name) {
  const setup::RunOutcome outcome = uninstall(product_name);
  if (outcome != setup::RunOutcome::completed && outcome != setup::RunOutcome::restart_needed) return outcome;
  integration::send_notification(uninstall_run.notify_url);
  remove_self(uninstall_run.install_folder, uninstall_run.uninstall_subdir,
              installation_parents(uninstall_run.directories, uninstall_run.install_folder));
  return outcome;
}

}  // namespace uninstall
