#include "crash_mail.h"

namespace crash {
namespace {

std::string without_line_breaks(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

}  // namespace

std::string mail_subject(std::string_view version, std::string_view executable_name) {
  return "Exception - Installer " + std::string(version) + ": " + std::string(executable_name);
}

std::string mail_headers(std::string_view extra_header, const UserNote& note) {
  while (!extra_header.empty() && (extra_header.back() == ' ' || extra_header.back() == '\t' ||
                                   extra_header.back() == '\r' || extra_header.back() == '\n'))
    extra_header.remove_suffix(1);
  std::string headers(extra_header);
  if (!headers.empty()) headers += "\r\n";
  const std::string email = without_line_breaks(note.email);
  if (!email.empty()) headers += "X-Exception-Email: " + email + "\r\nReply-To: " + email + "\r\n";
  return headers;
}

std::string mail_body(std::string_view report, const UserNote& note) {
  std::string body(report);
  const std::string email = without_line_breaks(note.email);
  if (!email.empty()) body += "\r\nEmail: " + email + "\r\n";
  if (!note.comments.empty()) body += "\r\nComments:\r\n" + note.comments;
  return body;
}

std::string form_body(const std::vector<std::pair<std::string, std::string>>& fields) {
  std::string body;
  for (const auto& [name, value] : fields) {
    body.append("--").append(kFormBoundary).append("\r\nContent-Disposition: form-data; name=\"");
    body.append(name).append("\"\r\n\r\n").append(value).append("\r\n");
  }
  return body.append("--").append(kFormBoundary).append("--\r\n");
}

}  // namespace crash
