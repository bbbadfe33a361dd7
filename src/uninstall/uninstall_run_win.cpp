#include "uninstall_run.h"

#include "self_removal.h"
#include "uninstaller.h"
#include "notification_requests.h"

namespace uninstall {

void run_uninstall_mode(const std::u16string& product_name) {
  if (!uninstall(product_name)) return;
  integration::send_notification(uninstall_run.notify_url);
  remove_self(uninstall_run.install_folder, uninstall_run.uninstall_subdir);
}

}  // namespace uninstall
