#include "install_log_file.h"

#include <cstdio>

#include "install_log.h"
#include "text.h"

namespace engine {
namespace {

void add_line(std::string& out, std::string_view label, std::string_view value) {
  out.append(label);
  out.append(value);
  out.append("\r\n");
}

}  // namespace

std::string format_install_date(const LocalDateTime& t) {
  char text[96];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

InstallLogWrite plan_install_log(std::string_view old_bytes, const InstallLogHeader& header,
                                 std::string_view failures, std::u16string_view completion) {
  InstallLogWrite write;
  if (!old_bytes.empty() && !old_bytes.starts_with(kUtf8Bom))
    write.rewrite = std::string(kUtf8Bom) + cp1252_to_utf8(old_bytes);
  write.head = old_bytes.empty() ? std::string(kUtf8Bom) : std::string(kLogSeparator);

  std::string& h = write.head;
  add_line(h, "Installation log for: ", wide_to_utf8(header.product_name));
  add_line(h, "Install date: ", header.install_date);
  if (header.reinstall) add_line(h, "Install type: ", *header.reinstall ? "Reinstall" : "New");
  add_line(h, "Install location: ", wide_to_utf8(header.install_location));
  add_line(h, "Installer version: ", kInstallerVersion);
  if (!header.product_version.empty()) add_line(h, "Product version: ", wide_to_utf8(header.product_version));
  if (!header.overwriting_version.empty())
    add_line(h, "Overwriting version: ", wide_to_utf8(header.overwriting_version));
  add_line(h, "Operating system: ", header.operating_system);

  write.tail = "\r\n";
  if (!failures.empty()) {
    write.tail += "*** FAILURE SUMMARY ***\r\n";
    write.tail += wide_to_utf8(kv::ansi_to_utf16(failures));
  } else {
    write.tail += wide_to_utf8(completion);
    write.tail += "\r\n";
  }
  return write;
}

FinishLogPlan plan_finish_log(const FinishLogFacts& f) {
  FinishLogPlan plan;
  plan.offer_log = f.offer_log;
  plan.write_file = f.log_wanted || f.has_failures;
  if (!f.prompts_allowed || f.automatic) return plan;
  if (f.has_failures) {
    plan.prompt = FinishPrompt::show_log_question;
    return plan;
  }
  if (!f.log_wanted) plan.offer_log = false;
  if ((!f.summary_has_choices && !plan.offer_log) || f.reboot_required)
    plan.prompt = FinishPrompt::completion_box;
  else
    plan.prompt = FinishPrompt::summary_page;
  return plan;
}

}  // namespace engine
