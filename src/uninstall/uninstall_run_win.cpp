#include "uninstall_run.h"

namespace uninstall {

void run_uninstall_mode(const std::u16string&) {}

}  // namespace uninstall
