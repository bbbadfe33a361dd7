#pragma once
// The report as the vendor receives it: the mail's subject, headers and
// body, and the web form they are posted with.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace crash {

// What the user typed into the report's dialog.
struct UserNote {
  std::string email;
  std::string comments;
};

// "Exception - Installer 37.0.4: setup.exe".
std::string mail_subject(std::string_view version, std::string_view executable_name);
// The extra header line (trailing blanks and line ends trimmed), then, with
// an address, the sender's address twice. An address cannot carry line
// breaks into the headers: they are dropped.
std::string mail_headers(std::string_view extra_header, const UserNote& note);
std::string mail_body(std::string_view report, const UserNote& note);

inline constexpr char kFormBoundary[] = "AaB03x";
inline constexpr char kFormContentType[] = "multipart/form-data; boundary=AaB03x";
// The fields in order, each as one part of the multipart form.
std::string form_body(const std::vector<std::pair<std::string, std::string>>& fields);

}  // namespace crash
